// Linux drawing: the captions' glyphs drawn onto an image surface, each rasterised by FreeType
// once per size (kept by its Font) and composited by pixman.
//
// The pixels are those Cairo's image surfaces draw for cairo_show_glyphs through its FreeType
// face with the painter's font options: the same bitmaps, placed at the glyph origins, summed
// into one coverage mask and laid over the target in the colour. Cairo loads every glyph twice
// (once unscaled for its extents, once for the bitmap), and the glyph loads were the largest
// part of the text's cost.
//
// The origins are whole pixels, as the text layout places them; there Cairo 1.16 and 1.18 draw
// alike. At a fractional origin they differ: 1.16 draws the glyph at the nearest pixel, 1.18
// renders it shifted by a quarter-pixel phase.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <span>

#include "forms/units.h"
#include "platform/paint/font.h"

namespace platform::paint {

// A glyph and its origin on the baseline, in the target's whole pixels.
struct PlacedGlyph {
  std::uint32_t glyph = 0;
  int x = 0, y = 0;
};

// Draws glyphs of one font at a pixel size onto an RGB24 image surface, in an opaque colour
// (0xRRGGBB), clipped to `clip` as Cairo clips them: a hinted glyph may reach a pixel past its
// em-size box, and when the run's box lies wholly within the clip that pixel is drawn even if it
// lies outside. The font keeps each glyph's bitmap once rendered.
void drawGlyphs(cairo_surface_t* target, const Font& font, int pixelSize,
                std::span<const PlacedGlyph> glyphs, std::uint32_t rgb,
                const forms::PixelRect& clip);

}  // namespace platform::paint
