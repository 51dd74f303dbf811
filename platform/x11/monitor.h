// X11 platform: the primary monitor, which the launcher treats as its screen.
#pragma once

#include <X11/Xlib.h>

#include "forms/units.h"

namespace platform::x11 {

// The primary monitor's rectangle, from the server's RandR 1.5 monitors and Xinerama heads
// (see primary_choice.h for the choice).
forms::PixelRect primaryMonitor(Display* display);

}  // namespace platform::x11
