// The screen's density as the desktop sets it, and the window icon for a denser screen.
#include <gtest/gtest.h>

#include "platform/api.h"
#include "platform/x11/density.h"
#include "platform/x11/icon_decoder.h"

namespace {

using platform::x11::dpiFromResources;

TEST(ScreenDensity, ComesFromXftDpiInTheResourceDatabase) {
  EXPECT_EQ(dpiFromResources(nullptr), 96);
  EXPECT_EQ(dpiFromResources(""), 96);
  EXPECT_EQ(dpiFromResources("Xcursor.size:\t24\n"), 96);
  EXPECT_EQ(dpiFromResources("Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 144);
  EXPECT_EQ(dpiFromResources("Xft.dpi: 192\n"), 192);
  EXPECT_EQ(dpiFromResources("Xft.dpi:\t120.4\n"), 120);  // a fractional scale
  EXPECT_EQ(dpiFromResources("*dpi: 144\n"), 144);        // a wildcard matches too
}

TEST(ScreenDensity, OutlandishValuesAreClampedOrIgnored) {
  EXPECT_EQ(dpiFromResources("Xft.dpi: 20\n"), 72);
  EXPECT_EQ(dpiFromResources("Xft.dpi: 100000\n"), 480);
  EXPECT_EQ(dpiFromResources("Xft.dpi: 1e300\n"), 480);
  EXPECT_EQ(dpiFromResources("Xft.dpi: -144\n"), 96);
  EXPECT_EQ(dpiFromResources("Xft.dpi: large\n"), 96);
  EXPECT_EQ(dpiFromResources("Xft.dpi: nan\n"), 96);
}

TEST(WindowIcon, ResampledForADenserScreenKeepsItsTransparencyAndColours) {
  auto icon = platform::x11::decodeIcon(platform::embedded(platform::Asset::WindowIcon));
  ASSERT_TRUE(icon);
  auto larger = platform::x11::resampleIcon(*icon, 48, 48);
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
