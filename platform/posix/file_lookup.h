// POSIX backend: the file lookup of platform::Services::dir on Linux, on the Wine prefix's drives
// and with the attributes that Wine gives each file, so a Windows build run under Wine sees the
// same answer.
#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

// The stored name of the entry at a full Windows path that the attribute mask admits, or "" (also
// when a folder on the way is missing). Hidden, system and folder entries match only when their
// bit is in the mask; read-only and archive files always match; a FIFO, socket or device never.
std::u16string dir(std::u16string_view windowsPath, int attributes);

}  // namespace platform::posix
