// POSIX backend: the Windows drives a program sees under Wine, and Windows paths on them.
// Implements the path half of platform::Services::dir and ::shell on Linux.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

// The Wine prefix: $WINEPREFIX, or ~/.wine when it is unset or empty.
std::string winePrefix();

// The host folder that Wine shows as drive `letter`: the prefix's dosdevices/<x>: link, and for
// C: its drive_c when the prefix has no such link yet. "" when the drive does not exist.
std::string driveRoot(char letter);

// An existing entry at a full Windows path ("C:\folder\name.exe", either slash), found as Wine
// finds it: each name compared without regard to letter case.
struct DriveEntries {
  std::string folder;              // host path of the folder that holds the entries
  std::vector<std::string> names;  // stored names equal to the last component, exact case first
};
// nullopt when the path is not a full drive path or a folder on the way is missing; names is
// empty when the folder exists but holds no such entry.
std::optional<DriveEntries> findEntries(std::u16string_view windowsPath);

// Host path of the first entry at a full Windows path, or nullopt.
std::optional<std::string> hostPath(std::u16string_view windowsPath);

}  // namespace platform::posix
