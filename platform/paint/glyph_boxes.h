// Linux drawing: the embedded fonts' em-size glyph ink boxes, worked out at build time.
//
// Cairo's FreeType face clips and composites glyphs by their ink boxes as FreeType gives them
// with light hinting at the font's em size (a pixel a font unit), scaled to the size drawn.
// tools/glyph_boxes loads every glyph once at the em size when the program is built, so the
// painter never loads a glyph a second time. Read through Font::emBoxes().
#pragma once

#include <span>

namespace platform {
// The embedded files of platform/api.h, declared only: its header brings the forms' names, which
// clash with the X11 headers' macros in the hosts that include this after them.
enum class Asset;
}  // namespace platform

namespace platform::paint {

// One glyph's box in 1/64 pixel at the em size, y upwards.
struct GlyphBox {
  long bearingX = 0, bearingY = 0, width = 0, height = 0;
};

// The boxes of an embedded font's glyphs, one a glyph, by glyph index; empty for any other asset.
std::span<const GlyphBox> emGlyphBoxes(Asset font);

}  // namespace platform::paint
