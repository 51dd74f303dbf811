#include "platform/x11/monitor.h"

#include <X11/extensions/Xrandr.h>

namespace platform::x11 {

forms::PixelRect primaryMonitor(Display* display) {
  forms::PixelRect screen{0, 0, DisplayWidth(display, DefaultScreen(display)),
                          DisplayHeight(display, DefaultScreen(display))};
  // RandR 1.5 lists the monitors with the primary marked, in one round trip.
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
      !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105)
    return screen;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
  forms::PixelRect primary = screen;
  for (int i = 0; i < count; ++i) {
    if (monitors[i].primary && monitors[i].width > 0 && monitors[i].height > 0)
      primary = {monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height};
  }
  if (monitors) XRRFreeMonitors(monitors);
  return primary;
}

}  // namespace platform::x11
