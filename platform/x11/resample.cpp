// X11 backend: implements the resampling declared in resample.h.
#include "platform/x11/resample.h"

namespace platform::x11 {
namespace {

cairo_surface_t* surfaceOver(const Raster& raster) {
  return cairo_image_surface_create_for_data(raster.data, raster.format, raster.width,
                                             raster.height, raster.stride);
}

}  // namespace

Raster rasterOf(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  return {cairo_image_surface_get_data(surface), cairo_image_surface_get_format(surface),
          cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface),
          cairo_image_surface_get_stride(surface)};
}

void resample(const Raster& source, const Raster& target) {
  if (source.width <= 0 || source.height <= 0) return;
  cairo_surface_t* from = surfaceOver(source);
  cairo_surface_t* to = surfaceOver(target);
  cairo_t* cr = cairo_create(to);
  cairo_scale(cr, double(target.width) / source.width, double(target.height) / source.height);
  cairo_set_source_surface(cr, from, 0, 0);
  // Edge pixels extend outwards rather than fading into what lies behind.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_finish(to);
  cairo_surface_destroy(to);
  cairo_surface_destroy(from);
}

}  // namespace platform::x11
