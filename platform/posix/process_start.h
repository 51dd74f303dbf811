// POSIX backend: the program start of platform::Services::shell on Linux.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace platform::posix {

// Starts the program at a full Windows path as a separate process and returns its process id at
// once: the file the lookup of that path just found and holds, else the entry resolved now. A
// native program (ELF, or a "#!" script) is started directly, an ELF one from the held file
// itself, as is one that may be run but not read; a native program has no initial window style,
// so it is ignored. A Windows program (an MZ image) is started through Wine, in the same prefix,
// by our start helper (start_helper.h), hidden; without a helper, Wine runs it as it is, visibly.
// Neither start waits for the program, nor for Wine. Raises 53
// when there is no such file, 70 when running it is denied (a folder, or a program without its
// run bit), 67 when no descriptor is left, 7 when no memory, 5 when it is no program this system
// can start.
double shell(std::u16string_view windowsPath, int windowStyle);

// Where Wine may be, in this order; it is never looked for on PATH.
inline constexpr std::array<const char*, 4> kWineLocations = {
    "/usr/bin/wine", "/usr/lib/wine/wine64", "/usr/lib/wine/wine", "/opt/wine-stable/bin/wine"};

// shell() with the places to find Wine and the start helper's folders given.
double startProgram(std::u16string_view windowsPath, std::span<const char* const> wineLocations,
                    std::span<const std::string> helperFolders);

}  // namespace platform::posix
