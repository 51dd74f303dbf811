// POSIX backend: the file lookup of platform::Services::dir, with Wine's file attributes.
#include "platform/posix/file_lookup.h"

#include "forms/units.h"
#include "platform/posix/found_entry.h"
#include "platform/posix/wine_drive.h"

namespace platform::posix {

std::u16string dir(std::u16string_view windowsPath, int attributes) {
  auto found = findEntry(windowsPath, attributes);
  std::u16string name = found ? forms::fromUtf8(found->name) : std::u16string();
  // Held for the start: the program started is then the file found here.
  keepFound(windowsPath, found ? &*found : nullptr);
  return name;
}

}  // namespace platform::posix
