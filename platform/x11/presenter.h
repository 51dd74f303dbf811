// X11 platform: puts parts of the painter's RGB24 surface into a window, through shared memory
// (MIT-SHM) when the server can read ours, else through the connection with XPutImage.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
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
  // True if the event was the server's note that it has read the shared image.
  bool handled(const XEvent& event);

 private:
  bool attachShared(int width, int height);
  void detachShared();
  void waitUntilRead();

  Display* display_;
  Window window_;
  GC gc_;
  int completionType_ = -1;  // -1: no shared memory on this connection
  XShmSegmentInfo segment_{};
  XImage* shared_ = nullptr;
  bool reading_ = false;  // the server may still read the shared image
};

}  // namespace platform::x11
