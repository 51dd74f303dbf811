#include "platform/x11/monitor.h"

#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstddef>

#include "platform/x11/primary_choice.h"

namespace platform::x11 {
namespace {

// RandR 1.5 lists the monitors with the primary marked, in one round trip.
std::optional<std::vector<RandrMonitor>> randrMonitors(Display* display) {
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
      !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105)
    return std::nullopt;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
  std::vector<RandrMonitor> list;
  list.reserve(static_cast<std::size_t>(std::max(0, count)));
  for (int i = 0; i < count; ++i)
    list.push_back({{monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height},
                    monitors[i].primary != 0});
  if (monitors) XRRFreeMonitors(monitors);
  return list;
}

// Xinerama's heads in its own order, head 0 first; none when it is not active.
std::vector<forms::PixelRect> xineramaHeads(Display* display) {
  int eventBase = 0, errorBase = 0;
  std::vector<forms::PixelRect> heads;
  if (!XineramaQueryExtension(display, &eventBase, &errorBase) || !XineramaIsActive(display))
    return heads;
  int count = 0;
  XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
  heads.reserve(static_cast<std::size_t>(std::max(0, count)));
  for (int i = 0; i < count; ++i)
    heads.push_back({screens[i].x_org, screens[i].y_org, screens[i].width, screens[i].height});
  if (screens) XFree(screens);
  return heads;
}

}  // namespace

forms::PixelRect primaryMonitor(Display* display) {
  MonitorLists lists;
  lists.screen = {0, 0, DisplayWidth(display, DefaultScreen(display)),
                  DisplayHeight(display, DefaultScreen(display))};
  lists.randr = randrMonitors(display);
  lists.xinerama = xineramaHeads(display);
  return choosePrimary(lists);
}

}  // namespace platform::x11
