// Win32 platform: program start as the classic Shell function did it.
#pragma once

#include <string_view>

namespace platform::win32 {

// Starts the program at a full path with a window style (0 hide, 1 normal, 2 minimised, 3
// maximised, 4 normal without focus, 6 minimised without focus) and returns its process id at
// once. Raises 53 File not found, 70 Permission denied, or 5 for any other failure (a bad
// style, a file that is no program).
double startProgram(std::u16string_view path, int windowStyle);

}  // namespace platform::win32
