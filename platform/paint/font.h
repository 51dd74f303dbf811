// Linux drawing: one of the two fonts embedded in the program, got once and carried with the text.
//
// Maps the layout's face names onto the two fonts: "Arial Black" becomes "LOMA Black", every
// other name ("新細明體", "PMingLiU", anything unknown) "LOMA Ming". FreeType reads each font from
// the program's own bytes (FT_New_Memory_Face): no font file is opened, no system font is read,
// no configuration is consulted, and text looks the same on every machine. Neither font has a
// layout table (GSUB, GPOS, kern), so a glyph is found in the cmap and advances by its hmtx width:
// no shaping engine is needed.
//
// A Font holds all the text needs of its face, so the layout looks it up once per caption and
// the painters draw from the run's Font: metrics, glyphs, advances, em boxes and the rasterised
// glyphs, which are kept once rendered. Both fonts live as long as the process; they are used
// from the painting thread only (the face's size and the kept glyphs are not guarded).
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include <pixman.h>

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/paint/glyph_boxes.h"

namespace platform::paint {

// A font's design metrics, in its own units.
struct FontMetrics {
  int unitsPerEm = 1000;
  int ascender = 0, descender = 0;  // descender below the baseline is negative
};

// A pixman image, unreferenced when it goes.
struct PixmanUnref {
  void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using PixmanImage = std::unique_ptr<pixman_image_t, PixmanUnref>;

// A glyph rasterised at a pixel size: rows of 8-bit coverage, and where its top-left pixel lies
// from the glyph's origin on the baseline (left to the right, top upwards). Empty, with no image,
// for a glyph with no outline (a space) and for one the font cannot give.
struct GlyphBitmap {
  int width = 0, height = 0, left = 0, top = 0;
  int stride = 0;                      // bytes a row, a multiple of four as pixman wants
  std::vector<std::uint8_t> coverage;  // stride * height, row by row
  PixmanImage image;  // a8 over the coverage's rows, for compositing; null when it covers nothing
};

class Font {
 public:
  // The embedded font that stands for a face name of the layout.
  static const Font& forFamily(std::u16string_view family);
  // The other font, searched for characters that this one lacks.
  const Font& fallback() const;

  // Loads an embedded font; forFamily hands out the two the program has, one each.
  explicit Font(Asset asset);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Which embedded font this is.
  Asset asset() const { return asset_; }
  // False if FreeType cannot read the font; then it has no glyphs.
  bool loaded() const { return face_ != nullptr; }
  const FontMetrics& metrics() const { return metrics_; }
  // The glyph for a character from the font's cmap, 0 (the missing-glyph box) if it has none.
  std::uint32_t glyphFor(char32_t character) const;
  // The glyph's advance width from hmtx, in font units.
  int advance(std::uint32_t glyph) const;
  // The glyphs' em-size ink boxes by glyph index (glyph_boxes.h).
  std::span<const GlyphBox> emBoxes() const { return emBoxes_; }
  // The glyph rasterised at a pixel size, rendered on first use and kept: light hinting (the
  // outline fitted vertically only, so advance widths never change) and grey antialiasing, as
  // Cairo's FreeType face rasterises it with the painter's font options.
  const GlyphBitmap& bitmap(int pixelSize, std::uint32_t glyph) const;

 private:
  GlyphBitmap render(int pixelSize, std::uint32_t glyph) const;

  Asset asset_;
  FT_Face face_ = nullptr;
  FontMetrics metrics_;
  std::span<const GlyphBox> emBoxes_;
  // Filled lazily by const users: the face's current size and the glyphs rendered so far. A
  // map, so a bitmap's rows, which its image reads, never move.
  mutable int pixelSize_ = 0;
  mutable std::map<std::pair<int, std::uint32_t>, GlyphBitmap> bitmaps_;
};

}  // namespace platform::paint
