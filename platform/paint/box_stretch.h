// Linux drawing: the shrinking of an opaque raster that Cairo does with its GOOD filter and a box
// kernel, done here with the very same arithmetic but without pixman's general per-pixel fetch,
// which spends more than three times the instructions on it (18.6 M against 5.6 M for the two
// button faces at 96 dpi). The launcher's pictures are drawn this way wherever a side shrinks by
// more than a quarter.
#pragma once

#include <cairo.h>

namespace platform::paint {

// Fills `target` with `source` scaled to the target's size, byte for byte as painting the source
// through a scaled pattern with CAIRO_FILTER_GOOD, CAIRO_EXTEND_PAD and CAIRO_OPERATOR_SOURCE
// would. Both must be RGB24 image surfaces. Returns false, having drawn nothing, where Cairo would
// not convolve: no side shrinks by more than a quarter (it draws bilinear), or the two scales undo
// each other (it draws nearest).
bool boxStretch(cairo_surface_t* source, cairo_surface_t* target);

// The same stretch painted by Cairo itself, for whatever boxStretch leaves to it.
void cairoStretch(cairo_surface_t* source, cairo_surface_t* target);

}  // namespace platform::paint
