// The box stretch against Cairo itself: whatever it draws must be Cairo's pixels, to the byte.
#include "platform/paint/box_stretch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/paint/pixels.h"

namespace {

using painttest::firstDifference;
using painttest::OwnedSurface;
using platform::paint::boxStretch;
using platform::paint::cairoStretch;

// Noise with a smooth part, so that both the weights and the rounding of each sum are tried;
// the unused byte is noise too, as a decoder may leave it.
void fillNoise(cairo_surface_t* s, std::mt19937& random) {
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < cairo_image_surface_get_height(s); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t{y} * stride);
    for (int x = 0; x < cairo_image_surface_get_width(s); ++x)
      row[x] = static_cast<std::uint32_t>(random()) ^
               static_cast<std::uint32_t>((x * 3 + y * 5) & 0xFF) << 8;
  }
  cairo_surface_mark_dirty(s);
}

// Stretches a noise picture both ways; false when the box stretch left it to Cairo.
bool sameAsCairo(int sw, int sh, int tw, int th, std::mt19937& random) {
  OwnedSurface source(sw, sh), ours(tw, th), cairos(tw, th);
  fillNoise(source.s, random);
  if (!boxStretch(source.s, ours.s)) return false;
  cairoStretch(source.s, cairos.s);
  std::string difference = firstDifference(ours.s, cairos.s);
  EXPECT_EQ(difference, "") << sw << "x" << sh << " to " << tw << "x" << th;
  return true;
}

TEST(BoxStretch, DrawsCairosPixelsForTheLaunchersPicturesAtEveryDensity) {
  std::mt19937 random(7);
  // The button faces and the banner as the form draws them at 96, 144 and 192 dpi: the ones that
  // shrink a side by more than a quarter are the box stretch's, the others Cairo's.
  const std::vector<std::pair<std::vector<int>, bool>> sizes{
      {{440, 120, 335, 85}, true},   {{440, 120, 159, 85}, true},   {{440, 120, 238, 128}, true},
      {{440, 120, 318, 170}, true},  {{440, 120, 502, 128}, false}, {{464, 74, 492, 74}, false},
      {{572, 252, 858, 378}, false}, {{464, 74, 984, 148}, false}};
  for (const auto& [s, boxed] : sizes)
    EXPECT_EQ(sameAsCairo(s[0], s[1], s[2], s[3], random), boxed)
        << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3];
}

TEST(BoxStretch, DrawsCairosPixelsAtAnyScaleItTakes) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> side(1, 300);
  int taken = 0;
  for (int i = 0; i < 400; ++i) {
    int sw = side(random), sh = side(random);
    // Shrinking mostly, from a pixel to a twentieth; growing on one side at times.
    std::uniform_int_distribution<int> tws(1, sw + sw / 3 + 1), ths(1, sh + sh / 3 + 1);
    if (sameAsCairo(sw, sh, tws(random), ths(random), random)) ++taken;
  }
  // Most of these shrink a side by more than a quarter: the box stretch draws them.
  EXPECT_GT(taken, 250);
}

TEST(BoxStretch, LeavesOtherFormatsToCairo) {
  cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 100);
  OwnedSurface target(10, 10);
  EXPECT_FALSE(boxStretch(argb, target.s));
  cairo_surface_destroy(argb);
}

}  // namespace
