// POSIX backend: Windows paths on the drives of the Wine prefix, resolved as Wine resolves them.
#include "platform/posix/wine_drive.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <system_error>
#include <vector>

#include "forms/errors.h"
#include "forms/units.h"
#include "platform/posix/name_resolution.h"

namespace platform::posix {

namespace {

bool isSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

// Whether a failed call says only that the entry is not there or may not be seen, which a lookup
// answers with "not found". Anything else (no descriptor or memory left, a failing disk) leaves
// the answer unknown, and a lookup that reported it as absence would tell the user a falsehood.
bool meansAbsent(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case EACCES:
    case EPERM:
    case ELOOP:
    case ENAMETOOLONG:
      return true;
    default:
      return false;
  }
}

[[noreturn]] void raiseLookupFailure(int error) {
  if (error == EMFILE || error == ENFILE) throw forms::err::tooManyFiles();
  if (error == ENOMEM) throw forms::err::outOfMemory();
  throw forms::err::deviceIoError();
}

void expectAbsence(int error) {
  if (!meansAbsent(error)) raiseLookupFailure(error);
}

bool isFolder(const std::string& path) {
  struct stat st = {};
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  expectAbsence(errno);
  return false;
}

// The drive letter and the components of a full drive path ("C:\a\b"), with "." and ".."
// resolved by text as Windows does; nullopt for any other kind of path or one naming no entry.
struct DrivePath {
  char drive;
  std::vector<std::u16string> parts;
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
      parsed.parts.emplace_back(part);
    }
    start = end + 1;
  }
  if (parsed.parts.empty()) return std::nullopt;
  return parsed;
}

EntryKind kindOf(const std::string& path) {
  struct stat st = {};
  if (stat(path.c_str(), &st) != 0) {
    expectAbsence(errno);
    return EntryKind::Other;  // missing, a dangling link, or out of sight
  }
  if (S_ISREG(st.st_mode)) return EntryKind::File;
  if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
  return EntryKind::Other;
}

// The whole user.DOSATTRIB value, however long, or nullopt when the entry has none.
std::optional<std::string> dosAttrib(const std::string& path) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    ssize_t size = getxattr(path.c_str(), "user.DOSATTRIB", nullptr, 0);
    if (size < 0) {
      if (errno == ENOMEM || errno == EIO) raiseLookupFailure(errno);
      return std::nullopt;  // none, or a file system that keeps no such attributes
    }
    std::string value(static_cast<std::size_t>(size), '\0');
    ssize_t length = getxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size());
    if (length >= 0) {
      value.resize(static_cast<std::size_t>(length));
      return value;
    }
    if (errno == ENOMEM || errno == EIO) raiseLookupFailure(errno);
    if (errno != ERANGE) return std::nullopt;  // it grew in between: ask again
  }
  return std::nullopt;
}

ListedEntry entryAt(const std::string& folder, std::string name) {
  const std::string path = folder + "/" + name;
  EntryKind kind = kindOf(path);
  if (kind == EntryKind::Other) return {std::move(name), kind, std::nullopt};
  return {std::move(name), kind, dosAttrib(path)};
}

// The entry as the descriptor's own file has it, not whatever its path names by now.
ListedEntry heldEntry(const Descriptor& file, std::string name, const std::string& hostPath) {
  struct stat st = {};
  if (fstat(file.get(), &st) != 0) raiseLookupFailure(errno);
  EntryKind kind = S_ISREG(st.st_mode)   ? EntryKind::File
                   : S_ISDIR(st.st_mode) ? EntryKind::Folder
                                         : EntryKind::Other;
  if (kind == EntryKind::Other) return {std::move(name), kind, std::nullopt};
  // An O_PATH descriptor has no attributes of its own to read, but its /proc link names its file.
  std::string self = "/proc/self/fd/" + std::to_string(file.get());
  struct stat linked = {};
  bool viaProc =
      stat(self.c_str(), &linked) == 0 && linked.st_ino == st.st_ino && linked.st_dev == st.st_dev;
  return {std::move(name), kind, dosAttrib(viaProc ? self : hostPath)};
}

// The entries of `folder` whose names equal `name` but for letter case, in the order the folder
// lists them, with what resolveName needs of each. A folder that may not be read lists nothing.
std::vector<ListedEntry> listSameNames(const std::string& folder, std::u16string_view name) {
  std::vector<ListedEntry> listing;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) {
    expectAbsence(errno);
    return listing;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (!entry) break;
    if (sameName(entry->d_name, name)) listing.push_back(entryAt(folder, entry->d_name));
  }
  if (errno != 0) expectAbsence(errno);
  return listing;
}

// The stored name of the entry that `wanted` names in `folder`. The exact name is tried first,
// as Wine tries it: it needs no listing, so a folder that may be searched but not read (mode
// 711 to another user) still yields it. Only when it is no admitted entry is the folder read.
std::optional<std::string> resolveIn(const std::string& folder, const WantedName& wanted) {
  std::string exact = forms::toUtf8(wanted.name);
  if (exact.find('\0') == std::string::npos) {  // a NUL would cut the path short
    const ListedEntry entry = entryAt(folder, exact);
    if (resolveName(std::span(&entry, 1), wanted)) return exact;
  }
  std::vector<ListedEntry> listing = listSameNames(folder, wanted.name);
  std::optional<std::size_t> index = resolveName(listing, wanted);
  if (!index) return std::nullopt;
  return std::move(listing[*index].name);
}

}  // namespace

void settleWinePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (!prefix || !*prefix || *prefix == '/') return;
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(prefix, error);
  // Without a current folder there is nothing to make it absolute against; Wine then refuses it.
  if (!error) setenv("WINEPREFIX", absolute.lexically_normal().c_str(), 1);
}

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
  struct stat st = {};
  if (lstat(device.c_str(), &st) == 0) return isFolder(device) ? device : std::string();
  expectAbsence(errno);
  // A prefix that Wine has not booted yet has drive_c but no dosdevices.
  if (lower == 'c' && isFolder(prefix + "/drive_c")) return prefix + "/drive_c";
  return {};
}

std::optional<DriveEntry> findEntry(std::u16string_view windowsPath, int attributes) {
  auto parsed = parseDrivePath(windowsPath);
  if (!parsed) return std::nullopt;
  std::string folder = driveRoot(parsed->drive);
  if (folder.empty()) return std::nullopt;
  const std::u16string last = std::move(parsed->parts.back());
  parsed->parts.pop_back();
  for (const auto& part : parsed->parts) {
    auto sub = resolveIn(folder, {part, true, 0});
    if (!sub) return std::nullopt;
    folder += "/" + *sub;
  }
  const WantedName wanted{last, false, attributes};
  for (int attempt = 0; attempt < 3; ++attempt) {
    auto name = resolveIn(folder, wanted);
    if (!name) return std::nullopt;
    std::string hostPath = folder + "/" + *name;
    Descriptor file(open(hostPath.c_str(), O_PATH | O_CLOEXEC));
    if (!file) {
      // Found, but nothing left to hold it with: the start, opening it again, says so.
      if (errno == EMFILE || errno == ENFILE) return DriveEntry{hostPath, std::move(*name), {}};
      expectAbsence(errno);
      continue;  // gone since it was resolved
    }
    const ListedEntry held = heldEntry(file, *name, hostPath);
    if (resolveName(std::span(&held, 1), wanted)) {
      return DriveEntry{std::move(hostPath), std::move(*name), std::move(file)};
    }
  }
  return std::nullopt;
}

}  // namespace platform::posix
