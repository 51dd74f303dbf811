// Win32 platform: the typefaces that the layout names.
//
// A designed face is used when the system has it. Where it is missing, "新細明體" and
// "Arial Black" are replaced by the program's own subset fonts, added for this process only
// (AddFontMemResourceEx): nothing is installed and no file is written.
#pragma once

#include "platform/win32/win32_api.h"

#include <map>
#include <string>
#include <string_view>

namespace platform::win32 {

struct Typeface {
  std::wstring face;
  BYTE charset;
};

class Typefaces {
 public:
  // The face and character set to ask GDI for, given the designed ones.
  Typeface resolve(HDC dc, std::u16string_view designedFace, int designedCharset);

 private:
  std::map<std::u16string, std::wstring, std::less<>> standIns_;  // designed -> ours, or ""
};

}  // namespace platform::win32
