// POSIX backend: which entry of one folder a name on a Wine drive stands for.
#include "platform/posix/name_resolution.h"

#include "forms/units.h"
#include "platform/api.h"

namespace platform::posix {

namespace {

// Wine compares names by their upper-case forms one UTF-16 unit at a time, as NTFS does, by its
// own table rather than the C library's: the one the launcher's own compare uses.
std::u16string caseKey(std::u16string_view name) {
  return forms::toUpper(name);
}

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c) {
  if (c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

bool admits(const ListedEntry& entry, const WantedName& wanted) {
  if (entry.kind == EntryKind::Other) return false;
  if (wanted.folderOnTheWay) return entry.kind == EntryKind::Folder;
  return (wineAttributes(entry) & (vbHidden | vbSystem | vbDirectory) & ~wanted.attributes) == 0;
}

}  // namespace

int dosAttribBits(std::string_view value) {
  value = value.substr(0, value.find('\0'));  // Samba 3 stored the text with its terminator
  if (value.size() <= 2 || !value.starts_with("0x")) return 0;
  std::string_view digits = value.substr(2);
  for (char c : digits) {
    if (!isHexDigit(c)) return 0;
  }
  // Both bits live in the last digit, however many digits lead up to it.
  return hexValue(digits.back()) & (vbHidden | vbSystem);
}

int wineAttributes(const ListedEntry& entry) {
  int attributes = entry.kind == EntryKind::Folder ? vbDirectory : 0;
  if (entry.dosAttrib) return attributes | dosAttribBits(*entry.dosAttrib);
  const std::string_view name = entry.name;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= vbHidden;
  return attributes;
}

bool sameName(std::string_view stored, std::u16string_view wanted) {
  if (stored == "." || stored == "..") return false;
  std::u16string decoded = forms::fromUtf8(stored);
  return decoded.size() == wanted.size() && caseKey(decoded) == caseKey(wanted);
}

std::optional<std::size_t> resolveName(std::span<const ListedEntry> listing,
                                       const WantedName& wanted) {
  const std::string exact = forms::toUtf8(wanted.name);
  const std::u16string key = caseKey(wanted.name);
  std::optional<std::size_t> chosen;
  for (std::size_t i = 0; i < listing.size(); ++i) {
    const ListedEntry& entry = listing[i];
    if (entry.name == "." || entry.name == ".." || !admits(entry, wanted)) continue;
    if (entry.name == exact) return i;
    if (chosen && listing[*chosen].name.compare(entry.name) <= 0) continue;
    std::u16string decoded = forms::fromUtf8(entry.name);
    if (decoded.size() == key.size() && caseKey(decoded) == key) chosen = i;
  }
  return chosen;
}

}  // namespace platform::posix
