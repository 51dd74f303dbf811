// X11 platform: implements presenter.h.
#include "platform/x11/presenter.h"

#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <bit>

namespace platform::x11 {
namespace {

// Bits per pixel of the server's images at a depth, 0 when it has no format for it.
int bitsPerPixel(Display* display, int depth) {
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  int bits = 0;
  for (int i = 0; i < count; ++i)
    if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
  if (formats) XFree(formats);
  return bits;
}

}  // namespace

bool Presenter::drawsOn(Display* display) {
  Visual* visual = DefaultVisual(display, DefaultScreen(display));
  return visual->c_class == TrueColor && DefaultDepth(display, DefaultScreen(display)) >= 15;
}

Presenter::Presenter(Display* display, Window window)
    : display_(display), window_(window), visual_(DefaultVisual(display, DefaultScreen(display))) {
  int depth = DefaultDepth(display, DefaultScreen(display));
  // Cairo's RGB24 is a native-endian 0x00RRGGBB word per pixel: a 24-bit ZPixmap of 32-bit
  // pixels in our byte order, with these masks, is the same layout.
  sameLayout_ = depth == 24 && visual_->red_mask == 0xFF0000 && visual_->green_mask == 0xFF00 &&
                visual_->blue_mask == 0xFF && bitsPerPixel(display, depth) == 32;
  if (sameLayout_) gc_ = XCreateGC(display, window, 0, nullptr);
}

Presenter::~Presenter() {
  if (windowSurface_) cairo_surface_destroy(windowSurface_);
  if (gc_) XFreeGC(display_, gc_);
}

void Presenter::show(cairo_surface_t* surface, const forms::PixelRect& rect) {
  cairo_surface_flush(surface);
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  forms::PixelRect area = forms::intersect(rect, {0, 0, width, height});
  if (area.empty()) return;
  if (sameLayout_)
    put(surface, area);
  else
    convert(surface, area);
}

void Presenter::put(cairo_surface_t* surface, const forms::PixelRect& area) {
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  auto* pixels = reinterpret_cast<char*>(cairo_image_surface_get_data(surface));
  XImage* image =
      XCreateImage(display_, visual_, 24, ZPixmap, 0, pixels, static_cast<unsigned>(width),
                   static_cast<unsigned>(height), 32, stride);
  if (!image) return;
  image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  XPutImage(display_, window_, gc_, image, area.x, area.y, area.x, area.y,
            static_cast<unsigned>(area.width), static_cast<unsigned>(area.height));
  image->data = nullptr;  // the surface's memory stays the painter's
  XDestroyImage(image);
}

void Presenter::convert(cairo_surface_t* surface, const forms::PixelRect& area) {
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  if (!windowSurface_)
    windowSurface_ = cairo_xlib_surface_create(display_, window_, visual_, width, height);
  else
    cairo_xlib_surface_set_size(windowSurface_, width, height);
  cairo_t* cr = cairo_create(windowSurface_);
  // The frame replaces what the window shows: no blending, an opaque alpha on a 32-bit visual.
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_rectangle(cr, area.x, area.y, area.width, area.height);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(windowSurface_);
}

}  // namespace platform::x11
