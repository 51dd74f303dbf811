// X11 platform: puts parts of the painter's RGB24 surface into a window of the screen's default
// visual, whatever TrueColor depth it has.
//
// On the usual 24-bit visual the pixels go as they are with XPutImage. No shared memory
// (MIT-SHM): the launcher shows one 578 KB frame and then small updates, and a fresh shared
// segment costs more (its creation, the server's attach, a copy into it and the page faults on
// both sides) than sending the pixels through the connection once.
//
// On any other TrueColor visual (15, 16, 30 bits, or 32 with alpha) the frame stays composed at
// 32 bits and Cairo's Xlib surface converts it once for the visual, with XRender on the server
// where it can, else with pixman here.
#pragma once

#include <X11/Xlib.h>
#include <cairo.h>

#include "forms/units.h"

namespace platform::x11 {

class Presenter {
 public:
  // Whether the screen's default visual is one this draws on: TrueColor of 15 bits or more.
  static bool drawsOn(Display* display);

  // The window has the screen's default visual; the surface is CAIRO_FORMAT_RGB24.
  Presenter(Display* display, Window window);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // The rectangle of the surface shows at the same place in the window.
  void show(cairo_surface_t* surface, const forms::PixelRect& rect);

 private:
  void put(cairo_surface_t* surface, const forms::PixelRect& area);
  void convert(cairo_surface_t* surface, const forms::PixelRect& area);

  Display* display_;
  Window window_;
  Visual* visual_;
  bool sameLayout_;  // the visual's pixels are Cairo's RGB24 words
  GC gc_ = nullptr;
  cairo_surface_t* windowSurface_ = nullptr;  // for the conversion, made at the first frame
};

}  // namespace platform::x11
