// X11 backend: the two fonts embedded in the program, and nothing but them.
//
// Implements the mapping of the layout's face names onto the two fonts: "Arial Black" becomes
// "LOMA Black", every other name ("新細明體", "PMingLiU", anything unknown) "LOMA Ming". FreeType
// reads each font from the program's own bytes (FT_New_Memory_Face): no font file is opened, no
// system font is read, no configuration is consulted, and text looks the same on every machine.
// Neither font has a layout table (GSUB, GPOS, kern), so a glyph is found in the cmap and
// advances by its hmtx width: no shaping engine is needed.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string_view>

namespace platform::x11 {

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
// Cairo's FreeType face over the font (owned here, never null; without the font it is Cairo's
// error face, on which drawing does nothing).
cairo_font_face_t* cairoFace(FontId font);

}  // namespace platform::x11
