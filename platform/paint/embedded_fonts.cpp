// Linux drawing: implements the embedded fonts declared in embedded_fonts.h.
#include "platform/paint/embedded_fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>

#include "platform/api.h"

namespace platform::paint {
namespace {

struct LoadedFont {
  FT_Face face = nullptr;
  int pixelSize = 0;  // the size the face is set to
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
  return font;
}

// Both are loaded together on first use and live as long as the process.
LoadedFont& loaded(FontId id) {
  static std::array<LoadedFont, 2> fonts{load(Asset::FontMing), load(Asset::FontBlack)};
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

GlyphBitmap renderGlyph(FontId font, int pixelSize, std::uint32_t glyph) {
  LoadedFont& loadedFont = loaded(font);
  FT_Face face = loadedFont.face;
  if (!face || pixelSize <= 0) return {};
  if (loadedFont.pixelSize != pixelSize) {
    if (FT_Set_Char_Size(face, FT_F26Dot6{pixelSize} * 64, FT_F26Dot6{pixelSize} * 64, 0, 0) != 0)
      return {};
    loadedFont.pixelSize = pixelSize;
  }
  // The load flags Cairo's face uses with grey antialiasing and slight hinting.
  constexpr FT_Int32 kLoadFlags =
      FT_LOAD_TARGET_LIGHT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH | FT_LOAD_COLOR;
  if (FT_Load_Glyph(face, glyph, kLoadFlags) != 0) return {};
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return {};
  // Nothing to render when the outline's box, in whole pixels, is empty.
  FT_BBox box;
  FT_Outline_Get_CBox(&slot->outline, &box);
  if ((box.xMin & -64) == ((box.xMax + 63) & -64) || (box.yMin & -64) == ((box.yMax + 63) & -64))
    return {};
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 ||
      slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
    return {};
  const FT_Bitmap& bitmap = slot->bitmap;
  GlyphBitmap out{static_cast<int>(bitmap.width),
                  static_cast<int>(bitmap.rows),
                  slot->bitmap_left,
                  slot->bitmap_top,
                  static_cast<int>((bitmap.width + 3) & ~3U),
                  {}};
  auto stride = static_cast<std::size_t>(out.stride);
  out.coverage.resize(stride * bitmap.rows);
  for (unsigned int row = 0; row < bitmap.rows; ++row)
    std::copy_n(bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch, bitmap.width,
                out.coverage.begin() + static_cast<std::ptrdiff_t>(row * stride));
  return out;
}

}  // namespace platform::paint
