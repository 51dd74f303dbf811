// Linux drawing: the two fonts embedded in the program, and nothing but them.
//
// Implements the mapping of the layout's face names onto the two fonts: "Arial Black" becomes
// "LOMA Black", every other name ("新細明體", "PMingLiU", anything unknown) "LOMA Ming". FreeType
// reads each font from the program's own bytes (FT_New_Memory_Face): no font file is opened, no
// system font is read, no configuration is consulted, and text looks the same on every machine.
// Neither font has a layout table (GSUB, GPOS, kern), so a glyph is found in the cmap and
// advances by its hmtx width: no shaping engine is needed.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace platform::paint {

enum class FontId { Ming, Black };

// The embedded font that stands for a face name of the layout.
FontId fontForFamily(std::u16string_view family);
// The other font, searched for characters that the first one lacks.
FontId fallbackFont(FontId font);

// One font's design metrics, in its own units.
struct FontMetrics {
  int unitsPerEm = 1000;
  int ascender = 0, descender = 0;  // descender below the baseline is negative
};

// The font loaded on first use; false if FreeType cannot read it, and then it has no glyphs.
bool fontLoaded(FontId font);
FontMetrics fontMetrics(FontId font);
// The glyph for a character from the font's cmap, 0 (the missing-glyph box) if it has none.
std::uint32_t glyphFor(FontId font, char32_t character);
// The glyph's advance width from hmtx, in font units.
int glyphAdvance(FontId font, std::uint32_t glyph);
// A glyph rasterised at a pixel size: rows of 8-bit coverage, and where its top-left pixel lies
// from the glyph's origin on the baseline (left to the right, top upwards). Empty for a glyph
// with no outline (a space) and for one the font cannot give.
struct GlyphBitmap {
  int width = 0, height = 0, left = 0, top = 0;
  int stride = 0;                      // bytes a row, a multiple of four as pixman wants
  std::vector<std::uint8_t> coverage;  // stride * height, row by row
};
// Light hinting (the outline fitted vertically only, so advance widths never change) and grey
// antialiasing, as Cairo's FreeType face rasterises it with those font options.
GlyphBitmap renderGlyph(FontId font, int pixelSize, std::uint32_t glyph);

// A glyph's ink box as FreeType gives it with light hinting at the font's em size (a pixel a
// font unit), in 1/64 pixel, y upwards. Cairo's FreeType face clips and composites glyphs by
// these boxes scaled to the size drawn. Worked out at build time (tools/glyph_boxes), one a
// glyph.
struct GlyphBox {
  long bearingX = 0, bearingY = 0, width = 0, height = 0;
};
std::span<const GlyphBox> emGlyphBoxes(FontId font);

}  // namespace platform::paint
