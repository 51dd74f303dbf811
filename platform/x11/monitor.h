// X11 platform: the primary monitor, which the launcher treats as its screen.
#pragma once

#include <X11/Xlib.h>

#include "forms/units.h"

namespace platform::x11 {

// The primary monitor's rectangle (XRandR 1.5), or the whole screen when none is marked.
forms::PixelRect primaryMonitor(Display* display);

}  // namespace platform::x11
