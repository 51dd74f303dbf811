// Linux drawing: a caption laid out in the embedded fonts, ready to be drawn glyph by glyph.
//
// Implements line feeds, breaking between words (after spaces and around ideographs) when a
// line is wider than the width given, the fallback to the other font for a character the first
// lacks and the missing-glyph box for one neither has, and alignment. Positions are those that
// the Pango text stack gives for these fonts, whose pixels the goldens hold: advances from hmtx
// scaled in 1/1024 pixel and rounded to whole pixels, lines as high as the font's ascent plus
// descent (kept in 1/1024 pixel, rounded up only for the extent), centring rounded as there.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "forms/painter.h"
#include "platform/paint/font.h"

namespace platform::paint {

constexpr int kSubpixel = 1024;  // vertical positions are kept in 1/1024 pixel

// Glyphs of one font, drawn together; the painters draw them from the run's font.
struct GlyphRun {
  const Font* font = nullptr;
  std::vector<std::uint32_t> glyphs;
  std::vector<int> x;  // each glyph's origin from the line's start, in pixels
};

struct TextLine {
  int width = 0;     // pixels, a final space of a broken line not counted
  int baseline = 0;  // from the top of the text, in 1/1024 pixel
  std::vector<GlyphRun> runs;
};

struct TextLayout {
  std::vector<TextLine> lines;
  forms::PixelSize extent;  // the widest line; the lines' height rounded up to whole pixels
};

// The text in the font at a pixel size; with a wrap width, lines wider than it are broken.
TextLayout layOutText(std::u16string_view text, std::u16string_view family, int pixelSize,
                      std::optional<int> wrapWidth);

// Where a line of a given width starts in a space of another width.
int alignedOffset(int space, int lineWidth, forms::Alignment alignment);

// A line's baseline from the top of the text in whole pixels, halves rounded down the page: the
// glyphs are drawn at whole pixels.
int baselinePixels(const TextLine& line);

}  // namespace platform::paint
