#include "platform/x11/monitor.h"

#include <X11/extensions/Xrandr.h>

namespace platform::x11 {

forms::PixelRect primaryMonitor(Display* display) {
  Window root = DefaultRootWindow(display);
  forms::PixelRect screen{0, 0, DisplayWidth(display, DefaultScreen(display)),
                          DisplayHeight(display, DefaultScreen(display))};
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
      !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 103)
    return screen;
  RROutput primary = XRRGetOutputPrimary(display, root);
  if (primary == None) return screen;
  forms::PixelRect monitor = screen;
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
  if (!resources) return screen;
  if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, primary)) {
    if (output->crtc != None) {
      if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc)) {
        if (crtc->width > 0 && crtc->height > 0)
          monitor = {crtc->x, crtc->y, static_cast<int>(crtc->width),
                     static_cast<int>(crtc->height)};
        XRRFreeCrtcInfo(crtc);
      }
    }
    XRRFreeOutputInfo(output);
  }
  XRRFreeScreenResources(resources);
  return monitor;
}

}  // namespace platform::x11
