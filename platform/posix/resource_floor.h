// POSIX backend: the smallest stack and address space the Linux launcher runs in.
#pragma once

#include <optional>
#include <string>

namespace platform::posix {

// Measured with the linux preset on Debian 12 (docs/performance.md): the launcher's first frame
// crashes with less than 48 KB of stack, and the program and its libraries need about 10 MB of
// address space; but a screen reader's request loads GLib and ATK, and GLib aborts when it
// cannot map its threads in less than about 50 MB. Some room is left above both.
inline constexpr unsigned long long kMinStackBytes = 56ULL << 10;
inline constexpr unsigned long long kMinAddressSpaceBytes = 56ULL << 20;

// One plain sentence when the process's soft limits lie below those floors, else nullopt: the
// launcher then says so and ends with code 1 instead of crashing deep in a library.
std::optional<std::string> limitBelowFloor();

}  // namespace platform::posix
