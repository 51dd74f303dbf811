// POSIX backend: the program start of platform::Services::shell on Linux.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/posix/wine_loader.h"

namespace platform::posix {

// Starts the program at a full Windows path as a separate process and returns its process id at
// once: the entry that a lookup of that path resolves, by the same rules. A native program (ELF,
// or a "#!" script) is started directly, by that entry's path; a native program has no initial
// window style, so it is ignored. A Windows program (an MZ image) is started by Wine's loader
// for its architecture (wine_loader.h), run directly, in the same prefix, through our start
// helper (start_helper.h), hidden; without a helper, Wine runs it as it is, visibly. Neither
// start waits for the program, nor for Wine; the helper's failing exit is reported later
// (start_watch.h). The program inherits the launcher's working folder. Raises 53 when there is
// no such file, 70 when running it is denied (a folder, or a program without its run bit), 67
// when no descriptor is left, 7 when no memory, 5 when it is no program this system can start,
// also when Wine's loader for it is missing or cannot run here (then with one line on stderr
// that says what is missing and what to install).
double shell(std::u16string_view windowsPath, int windowStyle);

// shell() with the places to find Wine and the start helper's folders given.
double startProgram(std::u16string_view windowsPath, const WinePlaces& wine,
                    std::span<const std::string> helperFolders);

}  // namespace platform::posix
