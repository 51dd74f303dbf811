#include <gtest/gtest.h>

#include <vector>

#include "platform/api.h"
#include "platform/paint/icon_decoder.h"
#include "platform/paint/jpeg_decoder.h"

namespace {

using platform::Asset;
using platform::embedded;
using platform::paint::decodeIcon;
using platform::paint::decodeJpeg;

TEST(JpegDecoder, DecodesEachEmbeddedBitmapAtItsNaturalSize) {
  struct Expected {
    Asset asset;
    int width, height;
  };
  for (auto [asset, width, height] :
       {Expected{Asset::Backdrop, 572, 252}, Expected{Asset::UpFace, 440, 120},
        Expected{Asset::DownFace, 440, 120}, Expected{Asset::TitleBanner, 464, 74}}) {
    auto surface = decodeJpeg(embedded(asset));
    ASSERT_TRUE(surface) << int(asset);
    EXPECT_EQ(cairo_image_surface_get_format(surface.get()), CAIRO_FORMAT_RGB24);
    EXPECT_EQ(cairo_image_surface_get_width(surface.get()), width);
    EXPECT_EQ(cairo_image_surface_get_height(surface.get()), height);
    EXPECT_EQ(platform::paint::jpegPixelCount(embedded(asset)), std::int64_t{width} * height);
  }
}

TEST(JpegDecoder, RejectsWhatIsNoJpegAndSurvivesOneCutShort) {
  std::vector<std::uint8_t> garbage(100, 0x55);
  EXPECT_FALSE(decodeJpeg(garbage));
  EXPECT_FALSE(decodeJpeg({}));
  EXPECT_EQ(platform::paint::jpegPixelCount(garbage), 0);
  EXPECT_EQ(platform::paint::jpegPixelCount({}), 0);
  auto backdrop = embedded(Asset::Backdrop);
  for (std::size_t n : {std::size_t{2}, std::size_t{300}, backdrop.size() / 2}) {
    std::vector<std::uint8_t> cut(backdrop.begin(), backdrop.begin() + static_cast<long>(n));
    auto surface = decodeJpeg(cut);  // a warning still gives the picture, an error none
    if (surface) {
      EXPECT_EQ(cairo_image_surface_get_width(surface.get()), 572);
    }
  }
}

// An embedded bitmap whose frame header claims another size; the data stays as it was.
std::vector<std::uint8_t> claimingSize(Asset asset, int width, int height) {
  auto bytes = embedded(asset);
  std::vector<std::uint8_t> jpeg(bytes.begin(), bytes.end());
  for (std::size_t at = 2; at + 9 <= jpeg.size();) {
    std::uint8_t marker = jpeg[at + 1];
    if (marker == 0xC0 || marker == 0xC2) {
      jpeg[at + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[at + 6] = static_cast<std::uint8_t>(height);
      jpeg[at + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[at + 8] = static_cast<std::uint8_t>(width);
      return jpeg;
    }
    at += 2 + ((jpeg[at + 2] << 8) | jpeg[at + 3]);
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

TEST(JpegDecoder, RefusesAPictureLargerThan4096PixelsBeforeDecoding) {
  // Decoded, 12000 x 12000 would take 576 MB; refused, it takes nothing.
  EXPECT_FALSE(decodeJpeg(claimingSize(Asset::UpFace, 12000, 12000)));
  EXPECT_FALSE(decodeJpeg(claimingSize(Asset::UpFace, 4097, 120)));
  EXPECT_FALSE(decodeJpeg(claimingSize(Asset::UpFace, 440, 4097)));
  // At the limit the (short) data still gives a picture of the claimed size.
  auto surface = decodeJpeg(claimingSize(Asset::UpFace, 4096, 120));
  ASSERT_TRUE(surface);
  EXPECT_EQ(cairo_image_surface_get_width(surface.get()), 4096);
}

// A 5 x 3 icon: 8 bits per pixel, rows padded to 8 bytes, mask rows to 4 bytes.
std::vector<std::uint8_t> smallIcon() {
  std::vector<std::uint8_t> image;
  auto put = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) image.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  put(40, 4), put(5, 4), put(6, 4), put(1, 2), put(8, 2);
  put(0, 4), put(0, 4), put(0, 4), put(0, 4), put(3, 4), put(0, 4);
  put(0x000000, 4), put(0x0000FF, 4), put(0xFF0000, 4);  // black, blue, red (B, G, R, 0)
  // Colour rows, bottom-up: the top row is blue, the others red.
  for (int row = 0; row < 3; ++row)
    for (int x = 0; x < 8; ++x) image.push_back(x < 5 ? (row == 2 ? 1 : 2) : 0);
  // Mask rows, bottom-up: the top-left and bottom-right pixels are transparent.
  for (std::uint32_t bits : {0x08u, 0x00u, 0x80u}) put(bits, 4);
  std::vector<std::uint8_t> file;
  auto fput = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) file.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  fput(0, 2), fput(1, 2), fput(1, 2);
  fput(5, 1), fput(3, 1), fput(0, 1), fput(0, 1), fput(1, 2), fput(8, 2);
  fput(static_cast<std::uint32_t>(image.size()), 4), fput(22, 4);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

TEST(IconDecoder, ReadsPaletteRowsBottomUpWithTheMask) {
  auto icon = decodeIcon(smallIcon());
  ASSERT_TRUE(icon);
  ASSERT_EQ(icon->width, 5);
  ASSERT_EQ(icon->height, 3);
  EXPECT_EQ(icon->pixels[0], 0u);           // top-left: masked
  EXPECT_EQ(icon->pixels[1], 0xFF0000FFu);  // top row: blue
  EXPECT_EQ(icon->pixels[5], 0xFFFF0000u);  // middle row: red
  EXPECT_EQ(icon->pixels[3 * 5 - 1], 0u);   // bottom-right: masked
  EXPECT_EQ(icon->pixels[3 * 5 - 2], 0xFFFF0000u);
}

TEST(IconDecoder, RejectsCutAndUnsupportedIcons) {
  auto whole = smallIcon();
  for (std::size_t n = 0; n < whole.size(); ++n) {
    std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(n));
    EXPECT_FALSE(decodeIcon(cut)) << n;
  }
  auto offsetBeyond = whole;
  offsetBeyond[18] = 0xFF;
  EXPECT_FALSE(decodeIcon(offsetBeyond));
  auto trueColour = whole;
  trueColour[22 + 14] = 32;
  EXPECT_FALSE(decodeIcon(trueColour));
}

TEST(IconDecoder, WindowIconShowsItsLettersOnATransparentGround) {
  auto icon = decodeIcon(embedded(Asset::WindowIcon));
  ASSERT_TRUE(icon);
  ASSERT_EQ(icon->width, 32);
  ASSERT_EQ(icon->height, 32);
  auto at = [&](int x, int y) { return icon->pixels[std::size_t{32} * y + x]; };
  EXPECT_EQ(at(0, 0), 0xFF0000FFu);   // the blue D fills the upper left
  EXPECT_EQ(at(0, 24), 0xFFFF0000u);  // the red maker word along the bottom
  EXPECT_EQ(at(31, 0), 0u);           // transparent beside the letters
  for (int x = 0; x < 32; ++x) EXPECT_EQ(at(x, 23), 0u) << x;
}

TEST(WindowIcon, ResampledForADenserScreenKeepsItsTransparencyAndColours) {
  auto icon = decodeIcon(platform::embedded(platform::Asset::WindowIcon));
  ASSERT_TRUE(icon);
  auto larger = platform::paint::resampleIcon(*icon, 48, 48);
  ASSERT_TRUE(larger);
  ASSERT_EQ(larger->pixels.size(), 48u * 48u);
  int clear = 0, opaque = 0;
  for (std::uint32_t p : larger->pixels) {
    clear += (p >> 24) < 0x80;
    opaque += (p >> 24) == 0xFF;
  }
  int clearBefore = 0;
  for (std::uint32_t p : icon->pixels) clearBefore += p == 0;
  // About the same share of the square stays (mostly) transparent; only edges blend.
  EXPECT_NEAR(clear / (48.0 * 48.0), clearBefore / (32.0 * 32.0), 0.08);
  EXPECT_GT(opaque, 48 * 48 / 4);
  // The corners keep their colour and opacity: the blue D at the top left, the red maker word
  // at the bottom left, clear at the top right.
  EXPECT_EQ(larger->pixels[0], 0xFF0000FFu);
  EXPECT_EQ(larger->pixels[std::size_t{47} * 48], 0xFFFF0000u);
  EXPECT_EQ(larger->pixels[47], 0u);
}

}  // namespace
