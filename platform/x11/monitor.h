// X11 platform: the primary monitor, which the launcher treats as its screen.
#pragma once

#include <X11/Xlib.h>

#include "forms/units.h"

namespace platform::x11 {

// The primary output's rectangle (XRandR), or the whole screen when there is none.
forms::PixelRect primaryMonitor(Display* display);

}  // namespace platform::x11
