// POSIX backend: Windows paths on the drives of the Wine prefix, resolved as Wine resolves them.
#include "platform/posix/wine_drive.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cwctype>
#include <memory>

#include "forms/units.h"

namespace platform::posix {

namespace {

bool isSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Wine compares names by their upper-case forms one UTF-16 unit at a time, as NTFS does; the
// C.UTF-8 locale carries the Unicode case table. Without it ASCII and Latin-1 still fold.
std::u16string caseKey(std::string_view utf8Name) {
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  std::u16string key = forms::fromUtf8(utf8Name);
  if (unicode == locale_t{}) return forms::toUpper(key);
  for (auto& c : key) c = static_cast<char16_t>(towupper_l(c, unicode));
  return key;
}

// The drive letter and the components of a full drive path ("C:\a\b"), with "." and ".."
// resolved by text as Windows does; nullopt for any other kind of path or one naming no entry.
struct DrivePath {
  char drive;
  std::vector<std::string> parts;  // UTF-8
};

std::optional<DrivePath> parseDrivePath(std::u16string_view path) {
  if (path.size() < 4 || path[1] != u':' || !isSeparator(path[2]) || isSeparator(path.back())) {
    return std::nullopt;
  }
  char16_t letter = path[0] | 0x20;
  if (letter < u'a' || letter > u'z') return std::nullopt;
  DrivePath parsed{static_cast<char>(letter), {}};
  for (std::size_t start = 3; start <= path.size();) {
    std::size_t end = start;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    auto part = path.substr(start, end - start);
    if (part == u"..") {
      if (!parsed.parts.empty()) parsed.parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parsed.parts.push_back(forms::toUtf8(part));
    }
    start = end + 1;
  }
  if (parsed.parts.empty()) return std::nullopt;
  return parsed;
}

// Names stored in `folder` that equal `name` but for letter case, the exact one first.
std::vector<std::string> sameNames(const std::string& folder, const std::string& name) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return names;
  const std::u16string key = caseKey(name);
  bool exact = false;
  while (const dirent* entry = readdir(dir.get())) {
    std::string_view stored = entry->d_name;
    if (stored == "." || stored == "..") continue;
    if (stored == name) {
      exact = true;
    } else if (caseKey(stored) == key) {
      names.emplace_back(stored);
    }
  }
  if (exact) names.insert(names.begin(), name);
  return names;
}

}  // namespace

std::string winePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = getpwuid(getuid());
    home = user ? user->pw_dir : "";
  }
  return std::string(home) + "/.wine";
}

std::string driveRoot(char letter) {
  char lower = static_cast<char>(letter | 0x20);
  if (lower < 'a' || lower > 'z') return {};
  const std::string prefix = winePrefix();
  const std::string device = prefix + "/dosdevices/" + lower + ":";
  struct stat st {};
  if (lstat(device.c_str(), &st) == 0) return isFolder(device) ? device : std::string();
  // A prefix that Wine has not booted yet has drive_c but no dosdevices.
  if (lower == 'c' && isFolder(prefix + "/drive_c")) return prefix + "/drive_c";
  return {};
}

std::optional<DriveEntries> findEntries(std::u16string_view windowsPath) {
  auto parsed = parseDrivePath(windowsPath);
  if (!parsed) return std::nullopt;
  std::string folder = driveRoot(parsed->drive);
  if (folder.empty()) return std::nullopt;
  const std::string last = std::move(parsed->parts.back());
  parsed->parts.pop_back();
  for (const auto& part : parsed->parts) {
    auto names = sameNames(folder, part);
    auto sub = std::find_if(names.begin(), names.end(), [&](const std::string& n) {
      return isFolder(std::string(folder).append("/").append(n));
    });
    if (sub == names.end()) return std::nullopt;
    folder += "/" + *sub;
  }
  auto names = sameNames(folder, last);
  return DriveEntries{std::move(folder), std::move(names)};
}

std::optional<std::string> hostPath(std::u16string_view windowsPath) {
  auto found = findEntries(windowsPath);
  if (!found || found->names.empty()) return std::nullopt;
  return found->folder + "/" + found->names.front();
}

}  // namespace platform::posix
