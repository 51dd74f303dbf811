// POSIX backend: the Windows drives a program sees under Wine, and Windows paths on them.
// Implements the path half of platform::Services::dir and ::shell on Linux.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/descriptor.h"

namespace platform::posix {

// Makes a relative $WINEPREFIX absolute against the current folder, once, as the program starts:
// Wine refuses a relative prefix, and the lookup and the start must see the same one.
void settleWinePrefix();

// The Wine prefix: $WINEPREFIX, or ~/.wine when it is unset or empty.
std::string winePrefix();

// The host folder that Wine shows as drive `letter`: the prefix's dosdevices/<x>: link, and for
// C: its drive_c when the prefix has no such link yet. "" when the drive does not exist.
std::string driveRoot(char letter);

// The entry at a full Windows path ("C:\folder\name.exe", either slash) that a lookup with an
// attribute mask admits, found as Wine finds it: each element resolved by resolveName in its
// folder's listing, the exact name tried before the folder is read. nullopt when the path is not
// a full drive path, a folder on the way is missing or may not be read, or the folder holds no
// admitted entry. Raises 67 (no descriptor left), 7 (no memory) or 57 (any other failure) when
// the file system cannot tell whether the entry is there.
// The file found is held by an O_PATH descriptor and admitted by its own kind and attributes,
// read through that descriptor, so whatever is renamed over its path afterwards, the file held is
// one the mask admits. (Should another be renamed over it while it is being resolved, it is
// resolved again, three times at most, then taken for missing.)
struct DriveEntry {
  std::string hostPath;  // where the entry is on this system
  std::string name;      // its stored name
  Descriptor file;       // the file found; empty only when no descriptor was left to hold it
};
std::optional<DriveEntry> findEntry(std::u16string_view windowsPath, int attributes);

}  // namespace platform::posix
