// X11 platform: which monitor the launcher takes as its screen, chosen as Windows chooses its
// primary monitor, from what the server's RandR and Xinerama say.
//
// Implements: RandR's primary; else the RandR monitor whose corner is the screen's origin (where
// Windows always puts its primary); else the first RandR monitor; where RandR 1.5 is missing or
// knows fewer monitors than Xinerama (servers whose heads are Xinerama's own, like Xephyr's
// +xinerama), Xinerama's head 0; the whole screen when neither names one.
//
// No Xlib here, so that the choice is tested without a display.
#pragma once

#include <optional>
#include <vector>

#include "forms/units.h"

namespace platform::x11 {

struct RandrMonitor {
  forms::PixelRect rect;
  bool primary = false;
};

struct MonitorLists {
  forms::PixelRect screen;                         // the root window
  std::optional<std::vector<RandrMonitor>> randr;  // none without RandR 1.5
  std::vector<forms::PixelRect> xinerama;          // empty when Xinerama is not active
};

forms::PixelRect choosePrimary(const MonitorLists& lists);

}  // namespace platform::x11
