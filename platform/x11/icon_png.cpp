// X11 platform, build tool: writes the window icon as a PNG file for the desktop's icon theme,
// which is how a Linux program carries the icon that the Windows program file holds.
// Usage: loma-icon-png OUTPUT.png
#include <cairo.h>

#include <cstdio>

#include "platform/api.h"
#include "platform/x11/icon_decoder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: loma-icon-png OUTPUT.png\n");
    return 2;
  }
  auto icon = platform::x11::decodeIcon(platform::embedded(platform::Asset::WindowIcon));
  if (!icon) {
    std::fprintf(stderr, "loma-icon-png: the embedded icon cannot be decoded\n");
    return 1;
  }
  // The decoder's pixels are premultiplied ARGB (a masked pixel is 0), as Cairo's ARGB32 is.
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(icon->pixels.data()), CAIRO_FORMAT_ARGB32, icon->width,
      icon->height, icon->width * 4);
  cairo_status_t status = cairo_surface_write_to_png(surface, argv[1]);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "loma-icon-png: %s\n", cairo_status_to_string(status));
    return 1;
  }
  return 0;
}
