// Reading pixels of Cairo image surfaces in the tests.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>

namespace x11test {

// 0x00RRGGBB for RGB24, 0xAARRGGBB for ARGB32.
inline std::uint32_t pixel(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  const unsigned char* row =
      cairo_image_surface_get_data(s) + std::ptrdiff_t{y} * cairo_image_surface_get_stride(s);
  std::uint32_t v = reinterpret_cast<const std::uint32_t*>(row)[x];
  return cairo_image_surface_get_format(s) == CAIRO_FORMAT_RGB24 ? v & 0xFFFFFFu : v;
}

}  // namespace x11test
