// Win32 platform: file lookup as the classic Dir function did it.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// The bare name of the first file matching a path (wildcards allowed) whose attributes the
// mask admits, or "". Mask 0 admits ordinary files only: hidden, system, folder and volume
// label entries are passed over, any other attribute (read-only, archive, compressed...) is not
// looked at. vbHidden, vbSystem and vbDirectory admit those entries as well.
std::u16string findFile(std::u16string_view path, int attributes);

}  // namespace platform::win32
