// X11 backend: a raster stretched to another size with Cairo's good filter, the edge pixels
// extended outwards.
#pragma once

#include <cairo.h>

namespace platform::x11 {

// The pixels of an image surface, by address.
struct Raster {
  unsigned char* data = nullptr;
  cairo_format_t format = CAIRO_FORMAT_RGB24;
  int width = 0, height = 0, stride = 0;
};
Raster rasterOf(cairo_surface_t* surface);

// Every pixel of the target, from the source stretched to the target's size, through Cairo
// objects of its own over both.
void resample(const Raster& source, const Raster& target);

}  // namespace platform::x11
