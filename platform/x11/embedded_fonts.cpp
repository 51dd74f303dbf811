// X11 backend: implements the embedded fonts declared in embedded_fonts.h.
#include "platform/x11/embedded_fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <array>

#include "platform/api.h"

namespace platform::x11 {
namespace {

struct LoadedFont {
  FT_Face face = nullptr;
  cairo_font_face_t* cairo = nullptr;
};

FT_Library library() {
  static FT_Library const lib = [] {
    FT_Library l = nullptr;
    return FT_Init_FreeType(&l) == 0 ? l : nullptr;
  }();
  return lib;
}

LoadedFont load(Asset asset) {
  LoadedFont font;
  auto bytes = embedded(asset);
  if (library() && FT_New_Memory_Face(library(), bytes.data(), static_cast<FT_Long>(bytes.size()),
                                      0, &font.face) != 0)
    font.face = nullptr;
  // Load flags 0: hinting as the font options say, outlines rather than any embedded bitmap.
  font.cairo =
      font.face ? cairo_ft_font_face_create_for_ft_face(font.face, 0)
                : cairo_toy_font_face_create("", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  return font;
}

// Both are loaded together on first use and live as long as the process, as Cairo's faces
// refer to them.
const LoadedFont& loaded(FontId id) {
  static const std::array<LoadedFont, 2> fonts{load(Asset::FontMing), load(Asset::FontBlack)};
  return fonts[static_cast<std::size_t>(id)];
}

}  // namespace

FontId fontForFamily(std::u16string_view family) {
  return family == u"Arial Black" ? FontId::Black : FontId::Ming;
}

FontId fallbackFont(FontId font) {
  return font == FontId::Ming ? FontId::Black : FontId::Ming;
}

bool fontLoaded(FontId font) {
  return loaded(font).face != nullptr;
}

FontMetrics fontMetrics(FontId font) {
  FT_Face face = loaded(font).face;
  if (!face || face->units_per_EM == 0) return {};
  return {face->units_per_EM, face->ascender, face->descender};
}

std::uint32_t glyphFor(FontId font, char32_t character) {
  FT_Face face = loaded(font).face;
  return face ? FT_Get_Char_Index(face, character) : 0;
}

int glyphAdvance(FontId font, std::uint32_t glyph) {
  FT_Face face = loaded(font).face;
  FT_Fixed advance = 0;
  if (!face || FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
  return static_cast<int>(advance);
}

cairo_font_face_t* cairoFace(FontId font) {
  return loaded(font).cairo;
}

}  // namespace platform::x11
