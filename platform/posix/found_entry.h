// POSIX backend: the entry the last lookup found, held open for a start of the same path, so that
// the program started is the file the lookup found, not whatever its path names a moment later.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/descriptor.h"

namespace platform::posix {

struct HeldEntry {
  std::string hostPath;  // where it was found
  Descriptor file;       // an O_PATH descriptor of the file found there
};

// Holds the entry just found at `windowsPath` in the current prefix, in place of any held
// before; nullptr (nothing found) lets go of it. When no descriptor is left to hold it with,
// nothing is held and the start resolves the path again.
void keepFound(std::u16string_view windowsPath, const std::string* hostPath);

// The held entry when it was found at `windowsPath` in the current prefix; it is held no longer.
std::optional<HeldEntry> takeFound(std::u16string_view windowsPath);

}  // namespace platform::posix
