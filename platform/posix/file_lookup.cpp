// POSIX backend: the file lookup of platform::Services::dir, with Wine's file attributes.
#include "platform/posix/file_lookup.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <charconv>

#include "forms/units.h"
#include "platform/api.h"
#include "platform/posix/wine_drive.h"

namespace platform::posix {

namespace {

// The attributes Wine reports for a host entry, or -1 when it cannot be read (a dangling link).
// A dot-file without a DOSATTRIB mark is hidden: Wine shows it so while its ShowDotFiles
// setting is off, which is the default.
int wineAttributes(const std::string& path, std::string_view name) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return -1;
  int attributes = S_ISDIR(st.st_mode) ? vbDirectory : vbArchive;
  if ((st.st_mode & 0222) == 0) attributes |= vbReadOnly;
  char mark[64];
  ssize_t length = getxattr(path.c_str(), "user.DOSATTRIB", mark, sizeof mark);
  if (length >= 0) return attributes | dosAttribBits({mark, static_cast<std::size_t>(length)});
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= vbHidden;
  return attributes;
}

}  // namespace

int dosAttribBits(std::string_view value) {
  value = value.substr(0, value.find('\0'));  // Samba 3 stored the text with its terminator
  if (value.size() <= 2 || !value.starts_with("0x")) return 0;
  unsigned bits = 0;
  auto [end, error] = std::from_chars(value.data() + 2, value.data() + value.size(), bits, 16);
  if (error != std::errc{} || end != value.data() + value.size()) return 0;
  return static_cast<int>(bits) & (vbHidden | vbSystem);
}

std::u16string dir(std::u16string_view windowsPath, int attributes) {
  auto found = findEntries(windowsPath);
  if (!found) return {};
  for (const auto& name : found->names) {
    int entry = wineAttributes(found->folder + "/" + name, name);
    if (entry >= 0 && (entry & (vbHidden | vbSystem | vbDirectory) & ~attributes) == 0) {
      return forms::fromUtf8(name);
    }
  }
  return {};
}

}  // namespace platform::posix
