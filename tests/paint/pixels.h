// Reading pixels of Cairo image surfaces in the tests.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace painttest {

// 0x00RRGGBB for RGB24, 0xAARRGGBB for ARGB32.
inline std::uint32_t pixel(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  const unsigned char* row =
      cairo_image_surface_get_data(s) + std::ptrdiff_t{y} * cairo_image_surface_get_stride(s);
  std::uint32_t v = reinterpret_cast<const std::uint32_t*>(row)[x];
  return cairo_image_surface_get_format(s) == CAIRO_FORMAT_RGB24 ? v & 0xFFFFFFu : v;
}

// An RGB24 image surface for the length of a test.
struct OwnedSurface {
  cairo_surface_t* s;
  OwnedSurface(int w, int h) : s(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)) {}
  ~OwnedSurface() { cairo_surface_destroy(s); }
  OwnedSurface(const OwnedSurface&) = delete;
  OwnedSurface& operator=(const OwnedSurface&) = delete;
};

// The first pixel in which two surfaces of one size differ, the unused byte too, or "" when
// they are the same to the byte; `b` is Cairo's.
inline std::string firstDifference(cairo_surface_t* a, cairo_surface_t* b) {
  cairo_surface_flush(a);
  cairo_surface_flush(b);
  int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
  for (int y = 0; y < h; ++y) {
    const auto* ra = reinterpret_cast<const std::uint32_t*>(
        cairo_image_surface_get_data(a) + std::ptrdiff_t{y} * cairo_image_surface_get_stride(a));
    const auto* rb = reinterpret_cast<const std::uint32_t*>(
        cairo_image_surface_get_data(b) + std::ptrdiff_t{y} * cairo_image_surface_get_stride(b));
    for (int x = 0; x < w; ++x)
      if (ra[x] != rb[x])
        return "at " + std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(ra[x]) +
               " against Cairo's " + std::to_string(rb[x]);
  }
  return "";
}

}  // namespace painttest
