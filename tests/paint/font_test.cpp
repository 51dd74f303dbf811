#include <gtest/gtest.h>

#include "platform/api.h"
#include "platform/paint/cairo_painter.h"
#include "platform/paint/font.h"
#include "platform/paint/text_layout.h"

namespace {

using platform::Asset;
using platform::paint::Font;
using platform::paint::layOutText;

TEST(Fonts, LayoutFaceNamesMapToOurFonts) {
  const Font& ming = Font::forFamily(u"新細明體");
  const Font& black = Font::forFamily(u"Arial Black");
  EXPECT_EQ(ming.asset(), Asset::FontMing);
  EXPECT_EQ(&Font::forFamily(u"PMingLiU"), &ming);
  EXPECT_EQ(black.asset(), Asset::FontBlack);
  // No system font is ever used, whatever is installed.
  EXPECT_EQ(&Font::forFamily(u"DejaVu Sans"), &ming);
  ASSERT_TRUE(ming.loaded());
  ASSERT_TRUE(black.loaded());
  // The Ming face has the captions' ideographs, the black one only Latin text.
  EXPECT_NE(ming.glyphFor(U'關'), 0u);
  EXPECT_EQ(black.glyphFor(U'關'), 0u);
  EXPECT_NE(black.glyphFor(U'0'), 0u);
}

TEST(Fonts, MeasuresCaptionsWithTheMingFaceMetrics) {
  platform::paint::CairoPainter painter(1, 1);
  forms::Font large{u"新細明體", 26.25f, 700};
  forms::PixelSize close = painter.measureText(u"關閉", large);
  EXPECT_EQ(close.width, 2 * 35);  // two full-width ideographs of one em each
  EXPECT_EQ(close.height, 35);
  // The credit line: one line of the 13-pixel face is 13 pixels high, line feeds add lines.
  forms::Font small{u"新細明體", 9.75f, 700};
  EXPECT_EQ(painter.measureText(u"(C) ZAVRO Fi LOMA Diagnostic Launcher", small),
            (forms::PixelSize{271, 13}));  // 4065 twips, the designed 4050 and a pixel
  EXPECT_EQ(painter.measureText(u"a\nb", small).height, 26);
  EXPECT_EQ(painter.measureText(u"a\r\nb\n", small).height, 39);  // CR LF is one line end
  EXPECT_EQ(painter.measureText(u"", small), (forms::PixelSize{0, 13}));
  // The black face keeps its tall line: 3971 of 2816 units at 48 px is 67.7 px, rounded up.
  forms::Font black{u"Arial Black", 36.0f, 700};
  EXPECT_EQ(painter.measureText(u"10", black).height, 68);
  EXPECT_EQ(painter.measureText(u"1\n0", black).height, 136);
  // Bold is the fonts' own weight: asking for the normal weight draws the same face.
  forms::Font normal = large;
  normal.weight = 400;
  EXPECT_EQ(painter.measureText(u"關閉", normal), close);
  // Sizes follow the density: 9.75 pt is 20 px at 144 dpi.
  painter.setDpi(144);
  EXPECT_EQ(painter.measureText(u"關閉", small), (forms::PixelSize{40, 20}));
}

TEST(TextLayout, LineFeedsAndBreaksBetweenWords) {
  auto lines = [](std::u16string_view text, int width) {
    return layOutText(text, u"新細明體", 13, width).lines.size();
  };
  int full = layOutText(u"ZAVRO Fi Diagnostic", u"新細明體", 13, std::nullopt).extent.width;
  EXPECT_EQ(lines(u"ZAVRO Fi Diagnostic", full), 1u);
  EXPECT_EQ(lines(u"ZAVRO Fi Diagnostic", full - 1), 2u);
  // A space that ends a broken line takes no room; the next line starts with the word.
  auto broken = layOutText(u"ZAVRO Fi Diagnostic", u"新細明體", 13, full - 1);
  int first = layOutText(u"ZAVRO Fi", u"新細明體", 13, std::nullopt).extent.width;
  EXPECT_EQ(broken.lines[0].width, first);
  EXPECT_EQ(broken.lines[1].baseline - broken.lines[0].baseline, 13 * platform::paint::kSubpixel);
  // A word wider than the line stays whole; ideographs break between any two of them.
  EXPECT_EQ(lines(u"Diagnostic", 5), 1u);
  EXPECT_EQ(lines(u"診斷系統", 27), 2u);
  EXPECT_EQ(lines(u"a\n\nb", 100), 3u);
  EXPECT_EQ(lines(u"a\n\nb", 100), layOutText(u"a\n\nb", u"x", 13, std::nullopt).lines.size());
}

TEST(TextLayout, MissingCharactersFallBackThenShowTheBox) {
  // An ideograph asked of the black face comes from the Ming face.
  auto mixed = layOutText(u"10關", u"Arial Black", 48, std::nullopt);
  ASSERT_EQ(mixed.lines[0].runs.size(), 2u);
  EXPECT_EQ(mixed.lines[0].runs[1].font->asset(), Asset::FontMing);
  EXPECT_NE(mixed.lines[0].runs[1].glyphs[0], 0u);
  // A character neither font has is the missing-glyph box: glyph 0, with its own width.
  auto missing = layOutText(u"a\u0E01b", u"新細明體", 13, std::nullopt);
  ASSERT_EQ(missing.lines[0].runs.size(), 1u);
  EXPECT_EQ(missing.lines[0].runs[0].glyphs[1], 0u);
  EXPECT_GT(missing.extent.width, layOutText(u"ab", u"新細明體", 13, std::nullopt).extent.width);
  // An unpaired surrogate is a replacement character, never a crash.
  EXPECT_EQ(layOutText(u"\xD800", u"新細明體", 13, std::nullopt).lines.size(), 1u);
}

TEST(TextLayout, AlignsLinesAsTheGoldensDo) {
  using forms::Alignment;
  EXPECT_EQ(platform::paint::alignedOffset(100, 40, Alignment::Left), 0);
  EXPECT_EQ(platform::paint::alignedOffset(100, 40, Alignment::Right), 60);
  EXPECT_EQ(platform::paint::alignedOffset(100, 40, Alignment::Center), 30);
  // Half a pixel of room rounds up, also when the line is wider than the space.
  EXPECT_EQ(platform::paint::alignedOffset(100, 41, Alignment::Center), 30);
  EXPECT_EQ(platform::paint::alignedOffset(100, 101, Alignment::Center), 0);
  EXPECT_EQ(platform::paint::alignedOffset(100, 103, Alignment::Center), -1);
}

TEST(TextLayout, PlacesBaselinesOnTheNearestPixelAsTheGoldensDo) {
  auto at = [](int subpixels) {
    platform::paint::TextLine line;
    line.baseline = subpixels;
    return platform::paint::baselinePixels(line);
  };
  constexpr int kPixel = platform::paint::kSubpixel;
  EXPECT_EQ(at(12 * kPixel), 12);
  EXPECT_EQ(at(12 * kPixel + kPixel / 2 - 1), 12);
  // Half a pixel goes down the page.
  EXPECT_EQ(at(12 * kPixel + kPixel / 2), 13);
  EXPECT_EQ(at(13 * kPixel - 1), 13);
}

}  // namespace
