// X11 platform: puts parts of the painter's RGB24 surface into a window with XPutImage.
//
// No shared memory (MIT-SHM): the launcher shows one 578 KB frame and then small updates, and
// a fresh shared segment costs more (its creation, the server's attach, a copy into it and the
// page faults on both sides) than sending the pixels through the connection once.
#pragma once

#include <X11/Xlib.h>
#include <cairo.h>

#include "forms/units.h"

namespace platform::x11 {

class Presenter {
 public:
  // The window must have a 24-bit TrueColor visual; the surface is CAIRO_FORMAT_RGB24.
  Presenter(Display* display, Window window);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // The rectangle of the surface shows at the same place in the window.
  void show(cairo_surface_t* surface, const forms::PixelRect& rect);

 private:
  Display* display_;
  Window window_;
  GC gc_;
};

}  // namespace platform::x11
