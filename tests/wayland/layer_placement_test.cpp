// Where the layer surface goes: the X11 host's place at 96 dpi, in logical pixels at any scale.
#include "platform/wayland/layer_placement.h"

#include <gtest/gtest.h>

namespace platform::wayland {
namespace {

constexpr forms::Twips kWidth = 8565, kHeight = 3800, kTop = 100;

// The load sequence's centring: (screen - width) / 2 twips, unrounded.
forms::Twips centred(int logicalPixels, int outputPixels, int scale) {
  return (screenWidthTwips(logicalPixels, outputPixels, scale) - kWidth) / 2;
}

TEST(LayerPlacement, AtScaleOneTheX11HostsPixels) {
  LayerPlacement p = placeLayer(centred(0, 1280, 1), kTop, kWidth, kHeight, 1);
  EXPECT_EQ(p, (LayerPlacement{354, 7, 571, 253, 571, 253, 571, 253}));
  // 397.5 pixels: ties go to even, as everywhere in the forms runtime.
  EXPECT_EQ(placeLayer(centred(0, 1366, 1), kTop, kWidth, kHeight, 1).marginLeft, 398);
}

TEST(LayerPlacement, AtScaleTwoTheSameLogicalPlaceWithTwiceThePixels) {
  // A 2560-pixel output at scale 2 is the 1280-pixel screen of scale 1.
  EXPECT_EQ(screenWidthTwips(0, 2560, 2), screenWidthTwips(0, 1280, 1));
  LayerPlacement p = placeLayer(centred(0, 2560, 2), kTop, kWidth, kHeight, 2);
  EXPECT_EQ(p.marginLeft, 354);  // surface-local: never doubled
  EXPECT_EQ(p.marginTop, 7);
  EXPECT_EQ(p.drawnWidth, 1142);  // the 192-dpi drawing
  EXPECT_EQ(p.drawnHeight, 507);
  // 507 rows are not a whole number of logical pixels: the buffer is padded, not stretched.
  EXPECT_EQ(p.height, 254);
  EXPECT_EQ(p.bufferHeight, 508);
  EXPECT_EQ(p.bufferWidth, 1142);
}

TEST(LayerPlacement, AtAFractionalScaleTheLogicalWidthCentres) {
  // 1920 pixels at scale 1.5: the compositor says scale 2 and a logical width of 1280. The mode
  // divided by the whole scale (960) would put the window 320 pixels left of the centre.
  EXPECT_EQ(placeLayer(centred(1280, 1920, 2), kTop, kWidth, kHeight, 2).marginLeft, 354);
}

TEST(LayerPlacement, BufferIsAlwaysAWholeMultipleOfTheScale) {
  for (int scale = 1; scale <= 4; ++scale) {
    LayerPlacement p = placeLayer(0, 0, kWidth, kHeight, scale);
    EXPECT_EQ(p.bufferWidth, p.width * scale) << scale;
    EXPECT_EQ(p.bufferHeight, p.height * scale) << scale;
    EXPECT_GE(p.bufferWidth, p.drawnWidth) << scale;
    EXPECT_LT(p.bufferHeight - p.drawnHeight, scale) << scale;
    EXPECT_EQ(dpiForScale(scale), 96 * scale);
  }
}

}  // namespace
}  // namespace platform::wayland
