// POSIX backend: which entry of one folder a name on a Wine drive stands for. A pure function of
// the folder's listing, so the lookup (platform::Services::dir) and the start (::shell) resolve
// every element of a path through the same rule.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform::posix {

// What an entry is once links are followed. Only regular files and folders can be named: a FIFO,
// a socket, a device or a dangling link is no entry for the lookup.
enum class EntryKind { File, Folder, Other };

struct ListedEntry {
  std::string name;  // the stored name's bytes, in no particular encoding
  EntryKind kind = EntryKind::Other;
  std::optional<std::string> dosAttrib;  // the bytes of user.DOSATTRIB, when it has one
};

// One element of a path: a folder on the way (hidden and system folders are entered too), or the
// last entry, admitted by a lookup's attribute mask as the classic Dir admits it: hidden, system
// and folder entries only when their bit is in the mask; read-only and archive files always.
struct WantedName {
  std::u16string_view name;
  bool folderOnTheWay = false;
  int attributes = 0;
};

// The entry of `listing` that `wanted` names: its exact name when that entry is admitted, else the
// admitted entry whose name differs from it only in letter case and comes first in byte order.
// nullopt when none is admitted. Stored names are read as UTF-8; a malformed sequence reads as
// U+FFFD and so never equals a letter of a wanted name.
std::optional<std::size_t> resolveName(std::span<const ListedEntry> listing,
                                       const WantedName& wanted);

// True when a stored name equals `wanted` but for letter case, compared as Wine compares names:
// unit for unit by forms::toUpper, the file-name table of Wine and Windows.
bool sameName(std::string_view stored, std::u16string_view wanted);

// The hidden, system and folder bits (vbHidden, vbSystem, vbDirectory) Wine reports for an entry.
// A dot-file without a DOSATTRIB mark is hidden: Wine shows it so while its ShowDotFiles setting
// is off, which is the default.
int wineAttributes(const ListedEntry& entry);

// The hidden and system bits of a user.DOSATTRIB value of any length, read as Wine 8 reads it:
// only the text form "0x<hex>" that Wine writes counts; any other value (Samba's binary form)
// gives 0.
int dosAttribBits(std::string_view value);

}  // namespace platform::posix
