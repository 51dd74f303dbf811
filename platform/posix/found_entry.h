// POSIX backend: the entry the last lookup found, held open for a start of the same path, so that
// the program started is the file the lookup found, not whatever its path names a moment later.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/descriptor.h"
#include "platform/posix/wine_drive.h"

namespace platform::posix {

struct HeldEntry {
  std::string hostPath;  // where it was found
  Descriptor file;       // an O_PATH descriptor of the file found there
};

// Holds the file of the entry just found at `windowsPath` in the current prefix (taking its
// descriptor), in place of any held before; nullptr (nothing found) lets go of it. An entry
// found with no descriptor left to hold it is not held: the start resolves the path again.
void keepFound(std::u16string_view windowsPath, DriveEntry* found);

// The held entry when it was found at `windowsPath` in the current prefix; it is held no longer.
std::optional<HeldEntry> takeFound(std::u16string_view windowsPath);

}  // namespace platform::posix
