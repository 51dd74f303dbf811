// POSIX backend: the file lookup of platform::Services::dir, with Wine's file attributes.
#include "platform/posix/file_lookup.h"

#include "forms/units.h"
#include "platform/posix/wine_drive.h"

namespace platform::posix {

std::u16string dir(std::u16string_view windowsPath, int attributes) {
  auto found = findEntry(windowsPath, attributes);
  return found ? forms::fromUtf8(found->name) : std::u16string();
}

}  // namespace platform::posix
