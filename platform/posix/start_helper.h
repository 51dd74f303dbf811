// POSIX backend: the start helper that Wine runs to start a Windows program hidden.
//
// Wine's command line cannot carry an initial show state, so a Windows program is started as
// `wine start-hidden-*.exe PROGRAM`: the helper, a Windows program of ours, starts PROGRAM with
// CreateProcessW and SW_HIDE, as LOMA.exe does on Windows.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::posix {

// Where the helpers may be, found from this program's own file (/proc/self/exe), never from
// PATH: beside it, as in the build folder, then in lib/loma/ beside its bin/ folder, as
// installed (/usr/bin/loma, /usr/lib/loma/). Empty when the program's file is unknown.
std::vector<std::string> startHelperFolders();

// Whether the readable file `fd` is a PE image for x86-64; anything unreadable counts as
// 32-bit, the older kind. Reads at offsets (pread): the file's position stays.
bool isX64Image(int fd);

// The helper for a Windows program, the first of `folders` that holds it as a regular file:
// start-hidden-x64.exe for an x86-64 image, start-hidden-x86.exe for any other.
// Debian's Wine runs each architecture only with its own loader (wine64, wine32), so a helper of
// the program's own architecture needs nothing that the program does not need as well.
std::optional<std::string> findStartHelper(bool x64, std::span<const std::string> folders);

}  // namespace platform::posix
