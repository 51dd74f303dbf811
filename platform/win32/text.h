// Win32 platform: UTF-16 text between the forms runtime (char16_t) and Windows (wchar_t, which
// is 16 bits wide there).
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

inline std::wstring wide(std::u16string_view text) {
  return {text.begin(), text.end()};
}
inline std::u16string utf16(std::wstring_view text) {
  return {text.begin(), text.end()};
}

}  // namespace platform::win32
