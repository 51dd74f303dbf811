// Win32 platform: the window icon at the size the system shows it at a density.
//
// The program carries one 32 x 32 icon image. At other sizes it is resampled here, bilinearly
// in premultiplied colour so that its edges blend into transparency, rather than left to
// LoadImage's stretching of the colour bitmap and its one-bit mask.
#pragma once

#include "platform/win32/win32_api.h"

namespace platform::win32 {

// The icon group's image at size x size pixels, or null. The caller destroys it.
HICON scaledIcon(HINSTANCE instance, int group, int size);

}  // namespace platform::win32
