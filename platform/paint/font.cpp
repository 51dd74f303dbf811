// Linux drawing: implements the embedded fonts declared in font.h.
#include "platform/paint/font.h"

#include FT_ADVANCES_H
#include FT_OUTLINE_H

#include <algorithm>

#include "platform/api.h"

namespace platform::paint {
namespace {

FT_Library library() {
  static FT_Library const lib = [] {
    FT_Library l = nullptr;
    return FT_Init_FreeType(&l) == 0 ? l : nullptr;
  }();
  return lib;
}

// Both are loaded together on first use and live as long as the process.
struct EmbeddedFonts {
  Font ming{Asset::FontMing};
  Font black{Asset::FontBlack};
};
const EmbeddedFonts& embeddedFonts() {
  static const EmbeddedFonts fonts;
  return fonts;
}

}  // namespace

const Font& Font::forFamily(std::u16string_view family) {
  const EmbeddedFonts& fonts = embeddedFonts();
  return family == u"Arial Black" ? fonts.black : fonts.ming;
}

const Font& Font::fallback() const {
  const EmbeddedFonts& fonts = embeddedFonts();
  return this == &fonts.ming ? fonts.black : fonts.ming;
}

Font::Font(Asset asset) : asset_(asset), emBoxes_(emGlyphBoxes(asset)) {
  auto bytes = embedded(asset);
  if (!library() || FT_New_Memory_Face(library(), bytes.data(), static_cast<FT_Long>(bytes.size()),
                                       0, &face_) != 0) {
    face_ = nullptr;
    return;
  }
  if (face_->units_per_EM != 0) metrics_ = {face_->units_per_EM, face_->ascender, face_->descender};
}

Font::~Font() {
  // The kept glyphs' images go with the map; the face after them.
  bitmaps_.clear();
  if (face_) FT_Done_Face(face_);
}

std::uint32_t Font::glyphFor(char32_t character) const {
  return face_ ? FT_Get_Char_Index(face_, character) : 0;
}

int Font::advance(std::uint32_t glyph) const {
  FT_Fixed advance = 0;
  if (!face_ || FT_Get_Advance(face_, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
  return static_cast<int>(advance);
}

const GlyphBitmap& Font::bitmap(int pixelSize, std::uint32_t glyph) const {
  auto [at, made] = bitmaps_.try_emplace({pixelSize, glyph});
  GlyphBitmap& b = at->second;
  if (!made) return b;
  b = render(pixelSize, glyph);
  // The image reads the bitmap's own rows, which stay where they are in the map.
  if (!b.coverage.empty())
    b.image.reset(pixman_image_create_bits(PIXMAN_a8, b.width, b.height,
                                           reinterpret_cast<std::uint32_t*>(b.coverage.data()),
                                           b.stride));
  return b;
}

GlyphBitmap Font::render(int pixelSize, std::uint32_t glyph) const {
  if (!face_ || pixelSize <= 0) return {};
  if (pixelSize_ != pixelSize) {
    if (FT_Set_Char_Size(face_, FT_F26Dot6{pixelSize} * 64, FT_F26Dot6{pixelSize} * 64, 0, 0) != 0)
      return {};
    pixelSize_ = pixelSize;
  }
  // The load flags Cairo's face uses with grey antialiasing and slight hinting.
  constexpr FT_Int32 kLoadFlags =
      FT_LOAD_TARGET_LIGHT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH | FT_LOAD_COLOR;
  if (FT_Load_Glyph(face_, glyph, kLoadFlags) != 0) return {};
  FT_GlyphSlot slot = face_->glyph;
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
                  {},
                  {}};
  auto stride = static_cast<std::size_t>(out.stride);
  out.coverage.resize(stride * bitmap.rows);
  for (unsigned int row = 0; row < bitmap.rows; ++row)
    std::copy_n(bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch, bitmap.width,
                out.coverage.begin() + static_cast<std::ptrdiff_t>(row * stride));
  return out;
}

}  // namespace platform::paint
