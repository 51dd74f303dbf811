// POSIX backend: the smallest stack and address space the Linux launcher runs in.
#pragma once

#include <optional>
#include <string>

namespace platform::posix {

// Measured with the linux preset on Debian 12: fontconfig's font matching overflows a stack
// below about 56 KB (a crash inside FcFontSetList), and GLib aborts when it cannot map Pango's
// worker thread in less than about 50 MB of address space. Some room is left above both.
inline constexpr unsigned long long kMinStackBytes = 64ULL << 10;
inline constexpr unsigned long long kMinAddressSpaceBytes = 56ULL << 20;

// One plain sentence when the process's soft limits lie below those floors, else nullopt: the
// launcher then says so and ends with code 1 instead of crashing deep in a library.
std::optional<std::string> limitBelowFloor();

}  // namespace platform::posix
