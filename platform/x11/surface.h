// Owning handle of a Cairo image surface, shared by the decoders and the painter.
#pragma once

#include <cairo.h>

#include <memory>

namespace platform::x11 {

struct SurfaceRelease {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceRelease>;

}  // namespace platform::x11
