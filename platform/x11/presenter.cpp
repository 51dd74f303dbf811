#include "platform/x11/presenter.h"

#include <X11/Xutil.h>

#include <bit>

namespace platform::x11 {

Presenter::Presenter(Display* display, Window window)
    : display_(display), window_(window), gc_(XCreateGC(display, window, 0, nullptr)) {}

Presenter::~Presenter() {
  XFreeGC(display_, gc_);
}

void Presenter::show(cairo_surface_t* surface, const forms::PixelRect& rect) {
  cairo_surface_flush(surface);
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  auto* pixels = reinterpret_cast<char*>(cairo_image_surface_get_data(surface));
  forms::PixelRect area = forms::intersect(rect, {0, 0, width, height});
  if (area.empty()) return;

  // Cairo's RGB24 is a native-endian 0x00RRGGBB word per pixel: a 24-bit ZPixmap in our order.
  Visual* visual = DefaultVisual(display_, DefaultScreen(display_));
  XImage* image =
      XCreateImage(display_, visual, 24, ZPixmap, 0, pixels, static_cast<unsigned>(width),
                   static_cast<unsigned>(height), 32, stride);
  if (!image) return;
  image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  XPutImage(display_, window_, gc_, image, area.x, area.y, area.x, area.y,
            static_cast<unsigned>(area.width), static_cast<unsigned>(area.height));
  image->data = nullptr;  // the surface's memory stays the painter's
  XDestroyImage(image);
}

}  // namespace platform::x11
