#include "platform/paint/cairo_painter.h"

#include <gtest/gtest.h>

#include "platform/api.h"
#include "platform/paint/decode_ahead.h"
#include "platform/paint/jpeg_decoder.h"
#include "tests/paint/pixels.h"

namespace {

using forms::PixelRect;
using painttest::pixel;
using platform::Asset;
using platform::paint::CairoPainter;

constexpr forms::Colour kGreen = 0x00FF00;  // 0x00BBGGRR
constexpr std::uint32_t kGreenPixel = 0x00FF00;
constexpr forms::Colour kYellow = 0x00FFFF;

struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
  [[nodiscard]] bool any() const { return right >= 0; }
};
// Where the surface differs from a colour.
Ink inkOn(cairo_surface_t* s, std::uint32_t background) {
  Ink ink;
  for (int y = 0; y < cairo_image_surface_get_height(s); ++y)
    for (int x = 0; x < cairo_image_surface_get_width(s); ++x)
      if (pixel(s, x, y) != background) {
        ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
      }
  return ink;
}

TEST(CairoPainter, FillsFramesAndResolvesSystemColours) {
  CairoPainter p(20, 20);
  p.fill({0, 0, 20, 20}, forms::kButtonFace);
  EXPECT_EQ(pixel(p.surface(), 0, 0), 0xF0F0F0u);
  p.frame({2, 2, 10, 6}, kGreen);
  EXPECT_EQ(pixel(p.surface(), 2, 2), kGreenPixel);
  EXPECT_EQ(pixel(p.surface(), 11, 7), kGreenPixel);
  EXPECT_EQ(pixel(p.surface(), 3, 3), 0xF0F0F0u);   // inside the frame
  EXPECT_EQ(pixel(p.surface(), 12, 8), 0xF0F0F0u);  // beyond it
  p.fill({5, 5, 3, 2}, 0x0000FF);
  EXPECT_EQ(inkOn(p.surface(), 0xF0F0F0).any(), true);
  EXPECT_EQ(pixel(p.surface(), 7, 6), 0xFF0000u);
  EXPECT_EQ(pixel(p.surface(), 8, 6), 0xF0F0F0u);
}

TEST(CairoPainter, ClipLimitsPaintingUntilCleared) {
  CairoPainter p(20, 20);
  p.fill({0, 0, 20, 20}, 0);
  p.setClip({4, 4, 3, 3});
  p.fill({0, 0, 20, 20}, kGreen);
  Ink ink = inkOn(p.surface(), 0);
  EXPECT_EQ(ink.left, 4);
  EXPECT_EQ(ink.bottom, 6);
  p.clearClip();
  p.fill({0, 0, 20, 20}, kGreen);
  EXPECT_EQ(pixel(p.surface(), 19, 19), kGreenPixel);
}

TEST(CairoPainter, BitmapAtNaturalSizeIsCopiedPixelForPixel) {
  auto picture =
      forms::Picture::fromBytes(forms::PictureKind::Bitmap, platform::embedded(Asset::Backdrop));
  auto decoded = platform::paint::decodeJpeg(picture->bytes());
  // The window is a column narrower and a row taller than the backdrop.
  CairoPainter p(571, 253);
  p.fill({0, 0, 571, 253}, forms::kButtonFace);
  p.drawPicture(*picture, {0, 0, 572, 252});
  for (int y = 0; y < 252; y += 7)
    for (int x = 0; x < 571; x += 5)
      ASSERT_EQ(pixel(p.surface(), x, y), pixel(decoded.get(), x, y)) << x << "," << y;
  EXPECT_EQ(pixel(p.surface(), 300, 252), 0xF0F0F0u);  // the bottom row shows the background
}

TEST(CairoPainter, StretchedBitmapCoversExactlyItsRectangle) {
  auto banner =
      forms::Picture::fromBytes(forms::PictureKind::Bitmap, platform::embedded(Asset::TitleBanner));
  CairoPainter p(571, 253);
  p.fill({0, 0, 571, 253}, 0xFF00FF);  // a colour no artwork uses
  p.drawPicture(*banner, {42, 30, 492, 74});
  Ink ink = inkOn(p.surface(), 0xFF00FF);
  EXPECT_EQ(ink.left, 42);
  EXPECT_EQ(ink.top, 30);
  EXPECT_EQ(ink.right, 42 + 492 - 1);
  EXPECT_EQ(ink.bottom, 30 + 74 - 1);
  for (int x = 42; x < 42 + 492; ++x) {  // opaque to the very edge
    ASSERT_NE(pixel(p.surface(), x, 30), 0xFF00FFu) << x;
    ASSERT_NE(pixel(p.surface(), x, 103), 0xFF00FFu) << x;
  }
}

// Pictures got ready before the paint, with the natural-size rasters of those drawn only
// stretched given up, paint the same pixels as pictures stretched as they are met, also when a
// given-up picture is later wanted at another size; and the pictures decoded ahead are the
// decoder's own.
TEST(CairoPainter, PicturesPreparedAheadAreThoseThePaintWouldMake) {
  platform::paint::DecodeAhead ahead(platform::paint::DecodeAhead::embeddedJpegs());
  auto banner =
      forms::Picture::fromBytes(forms::PictureKind::Bitmap, platform::embedded(Asset::TitleBanner));
  auto face =
      forms::Picture::fromBytes(forms::PictureKind::Bitmap, platform::embedded(Asset::UpFace));
  std::vector<forms::PictureUse> uses{{banner.get(), {0, 0, 492, 74}},
                                      {face.get(), {0, 80, 159, 85}},
                                      {face.get(), {160, 80, 335, 85}},
                                      {face.get(), {0, 170, 440, 120}},  // natural size: kept
                                      {banner.get(), {300, 170, 61, 37}}};
  CairoPainter prepared(571, 300), plain(571, 300);
  prepared.prepare(uses);
  for (const auto& use : uses) prepared.drawPicture(*use.picture, use.rect);
  prepared.prepare({});                                // the next paint's: nothing new
  prepared.drawPicture(*banner, {300, 220, 250, 60});  // a size not made: decoded again
  for (const auto& use : uses) plain.drawPicture(*use.picture, use.rect);
  plain.drawPicture(*banner, {300, 220, 250, 60});
  int differing = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 571; ++x)
      differing += pixel(prepared.surface(), x, y) != pixel(plain.surface(), x, y);
  EXPECT_EQ(differing, 0);
  EXPECT_NE(pixel(prepared.surface(), 420, 250), 0u);  // the banner was drawn there

  // The painters took the banner and the face; the backdrop is still there, once.
  auto backdrop = platform::embedded(Asset::Backdrop);
  auto decoded = platform::paint::DecodeAhead::take(backdrop);
  ASSERT_TRUE(decoded);
  auto own = platform::paint::decodeJpeg(backdrop);
  for (int y = 0; y < 252; y += 3)
    for (int x = 0; x < 572; x += 3)
      ASSERT_EQ(pixel(decoded.get(), x, y), pixel(own.get(), x, y)) << x << "," << y;
  EXPECT_FALSE(platform::paint::DecodeAhead::take(backdrop));
  EXPECT_FALSE(platform::paint::DecodeAhead::take(platform::embedded(Asset::FontMing)));
}

// The painter takes each picture once, whether the thread decoded it or, not having come to it
// yet, left it to the painter: here the thread cannot keep up with eight takes in a row.
TEST(CairoPainter, PicturesDecodedAheadOrByThePainterAreTheDecodersOwn) {
  auto backdrop = platform::embedded(Asset::Backdrop);
  std::vector<std::span<const std::uint8_t>> files(8, backdrop);
  platform::paint::DecodeAhead ahead(files);
  auto own = platform::paint::decodeJpeg(backdrop);
  for (std::size_t i = 0; i < files.size(); ++i) {
    auto decoded = platform::paint::DecodeAhead::take(backdrop);
    ASSERT_TRUE(decoded) << i;
    for (int y = 0; y < 252; y += 7)
      for (int x = 0; x < 572; x += 7)
        ASSERT_EQ(pixel(decoded.get(), x, y), pixel(own.get(), x, y)) << i << ": " << x << "," << y;
  }
  EXPECT_FALSE(platform::paint::DecodeAhead::take(backdrop));
}

TEST(CairoPainter, MetafileAndIconLeaveTheBackgroundWhereTheyPaintNothing) {
  auto notice = forms::Picture::fromBytes(forms::PictureKind::Metafile,
                                          platform::embedded(Asset::CountdownNotice));
  auto icon =
      forms::Picture::fromBytes(forms::PictureKind::Icon, platform::embedded(Asset::WindowIcon));
  CairoPainter p(400, 100);
  p.fill({0, 0, 400, 100}, 0xFF00FF);
  p.drawPicture(*notice, {10, 10, 327, 24});
  Ink ink = inkOn(p.surface(), 0xFF00FF);
  ASSERT_TRUE(ink.any());
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + 327 - 1);
  EXPECT_GE(ink.top, 10);
  EXPECT_LE(ink.bottom, 10 + 24 - 1);
  p.drawPicture(*icon, {350, 50, 32, 32});
  EXPECT_EQ(pixel(p.surface(), 350, 50), 0x0000FFu);  // the blue D
  EXPECT_EQ(pixel(p.surface(), 381, 50), 0xFF00FFu);  // transparent corner
  EXPECT_NE(inkOn(p.surface(), 0xFF00FF).bottom, ink.bottom);
}

TEST(CairoPainter, TextIsAlignedInItsRectangleAndClippedToIt) {
  forms::Font font{u"新細明體", 26.25f, 700};
  CairoPainter p(200, 100);
  p.fill({0, 0, 200, 100}, 0);
  p.drawText(u"關閉", font, kYellow, {20, 10, 160, 60}, forms::Alignment::Center, false);
  Ink ink = inkOn(p.surface(), 0);
  ASSERT_TRUE(ink.any());
  int solid = 0;  // glyph strokes are solid yellow inside their antialiased edges
  for (int y = ink.top; y <= ink.bottom; ++y)
    for (int x = ink.left; x <= ink.right; ++x) solid += pixel(p.surface(), x, y) == 0xFFFF00u;
  EXPECT_GT(solid, 100);
  EXPECT_NEAR((ink.left - 20) - (180 - 1 - ink.right), 0, 4);  // centred
  EXPECT_GE(ink.top, 10);
  EXPECT_LE(ink.bottom, 10 + 35);

  p.fill({0, 0, 200, 100}, 0);
  p.drawText(u"關閉", font, kYellow, {20, 10, 160, 60}, forms::Alignment::Left, false);
  EXPECT_LE(inkOn(p.surface(), 0).left, 24);

  p.fill({0, 0, 200, 100}, 0);
  p.drawText(u"關閉", font, kYellow, {20, 10, 160, 60}, forms::Alignment::Right, false);
  EXPECT_GE(inkOn(p.surface(), 0).right, 175);
  EXPECT_LE(inkOn(p.surface(), 0).right, 179);

  p.fill({0, 0, 200, 100}, 0);
  p.drawText(u"關閉", font, kYellow, {20, 10, 30, 20}, forms::Alignment::Left, false);
  ink = inkOn(p.surface(), 0);
  EXPECT_LE(ink.right, 49);
  EXPECT_LE(ink.bottom, 29);
}

TEST(CairoPainter, WrapsBetweenWordsOnlyWhenAsked) {
  forms::Font font{u"新細明體", 9.75f, 700};
  std::u16string text = u"ZAVRO Fi Diagnostic Launcher";
  CairoPainter p(200, 100);
  p.fill({0, 0, 200, 100}, 0);
  p.drawText(text, font, kYellow, {0, 0, 60, 100}, forms::Alignment::Left, true);
  EXPECT_GT(inkOn(p.surface(), 0).bottom, 13);
  p.fill({0, 0, 200, 100}, 0);
  p.drawText(text, font, kYellow, {0, 0, 60, 100}, forms::Alignment::Left, false);
  EXPECT_LT(inkOn(p.surface(), 0).bottom, 13);
}

TEST(CairoPainter, LineFeedsStackLinesAndMissingCharactersShowTheBox) {
  forms::Font font{u"新細明體", 9.75f, 700};
  CairoPainter p(100, 60);
  p.fill({0, 0, 100, 60}, 0);
  p.drawText(u"Fi\nFi", font, kYellow, {0, 0, 100, 60}, forms::Alignment::Left, false);
  Ink two = inkOn(p.surface(), 0);
  EXPECT_GT(two.bottom, 13);
  EXPECT_LT(two.bottom, 26);
  // A character that neither font has is drawn as the missing-glyph box, not skipped.
  p.fill({0, 0, 100, 60}, 0);
  p.drawText(u"\u0E01", font, kYellow, {0, 0, 100, 60}, forms::Alignment::Left, false);
  Ink box = inkOn(p.surface(), 0);
  ASSERT_TRUE(box.any());
  EXPECT_GT(box.bottom - box.top, 5);
}

}  // namespace
