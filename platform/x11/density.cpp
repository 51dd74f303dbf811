// X11 platform: the screen's density (see density.h).
#include "platform/x11/density.h"

#include <X11/Xatom.h>
#include <X11/Xresource.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "forms/units.h"

namespace platform::x11 {

int dpiFromResources(const char* resources) {
  if (!resources) return forms::kDesignDpi;
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  if (!database) return forms::kDesignDpi;
  int dpi = forms::kDesignDpi;
  char* type = nullptr;
  XrmValue value{};
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr &&
      std::strcmp(type, "String") == 0) {
    char* end = nullptr;
    double parsed = std::strtod(value.addr, &end);
    // A fractional density (a 1.25 scale of 96 written as 120.0) is taken to the nearest dot.
    if (end != value.addr && std::isfinite(parsed) && parsed > 0)
      dpi = forms::clampDpi(static_cast<int>(std::lround(std::fmin(parsed, 1e6))));
  }
  XrmDestroyDatabase(database);
  return dpi;
}

int screenDpi(Display* display) {
  // The text the server held when we connected: the desktop sets it before it starts programs.
  return dpiFromResources(XResourceManagerString(display));
}

int currentScreenDpi(Display* display) {
  // Xlib keeps the text it read at the connection: the property itself is read again.
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* text = nullptr;
  constexpr long kMostWords = 1L << 22;  // 16 MB: far more than any resource database
  if (XGetWindowProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, 0, kMostWords,
                         False, XA_STRING, &type, &format, &items, &after, &text) != Success)
    return forms::kDesignDpi;
  int dpi = type == XA_STRING && format == 8 && text
                ? dpiFromResources(reinterpret_cast<const char*>(text))
                : forms::kDesignDpi;
  if (text) XFree(text);
  return dpi;
}

}  // namespace platform::x11
