// Linux drawing: the owning handle of a Cairo image surface, shared by the decoders and the
// painter, and the one way they create one.
#pragma once

#include <cairo.h>

#include <memory>

namespace platform::paint {

struct SurfaceRelease {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceRelease>;

// A cleared image surface whose pixels are in memory mapped with all its pages present, or
// null. Each of these surfaces is written all over at once (decoded, resampled, painted), and
// touching fresh pages one by one costs a page fault each, which on a virtual machine is about
// ten times dearer than having the kernel populate the mapping in one call.
Surface createSurface(cairo_format_t format, int width, int height);

}  // namespace platform::paint
