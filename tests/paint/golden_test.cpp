// The launcher window rendered without a display against the reviewed PNGs in golden/.
// Rendering is deterministic (our fonts, font options fixed in code, accurate JPEG decoding),
// so the comparison is exact. To review a change: run loma-snapshot into a folder, look at
// every image, and copy them over golden/.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/startup.h"
#include "launch/detection.h"
#include "platform/headless/host.h"
#include "tests/paint/pixels.h"
#include "tools/snapshot/snapshot.h"

namespace snapshot {
void PrintTo(const StateName& state, std::ostream* out) {
  *out << state.name;
}
}  // namespace snapshot

namespace {

using painttest::pixel;

int differingPixels(cairo_surface_t* a, cairo_surface_t* b) {
  int n = 0;
  for (int y = 0; y < cairo_image_surface_get_height(a); ++y)
    for (int x = 0; x < cairo_image_surface_get_width(a); ++x)
      n += pixel(a, x, y) != pixel(b, x, y);
  return n;
}

TEST(Snapshot, WindowIsRenderedTheSameEveryTime) {
  for (const auto& s : snapshot::kStates) {
    auto first = snapshot::render(s.state);
    auto second = snapshot::render(s.state);
    EXPECT_EQ(first->width(), 571);
    EXPECT_EQ(first->height(), 253);
    EXPECT_EQ(differingPixels(first->surface(), second->surface()), 0) << s.name;
  }
}

TEST(Snapshot, StatesDifferWhereTheyShould) {
  auto found = snapshot::render(snapshot::State::Found);
  auto down = snapshot::render(snapshot::State::ButtonDown);
  auto ticks = snapshot::render(snapshot::State::ThreeTicks);
  // The held button changes only the close button's face (43,103 159x85) and its caption.
  for (int y = 0; y < 253; ++y)
    for (int x = 0; x < 571; ++x)
      if (pixel(found->surface(), x, y) != pixel(down->surface(), x, y)) {
        ASSERT_TRUE(x >= 43 && x < 43 + 159 && y >= 103 && y < 103 + 85) << x << "," << y;
      }
  EXPECT_GT(differingPixels(found->surface(), down->surface()), 1000);
  EXPECT_GT(differingPixels(found->surface(), ticks->surface()), 0);
}

TEST(Snapshot, RepaintingOnlyWhatChangedGivesTheWholeFrame) {
  platform::headless::Host host;
  host.drive.addFile(launch::kDiagnosticPath);
  app::Launcher launcher(host);
  launcher.load();
  auto& form = launcher.form();
  platform::paint::CairoPainter partial(571, 253), whole(571, 253);
  form.paint(partial);
  host.tick();
  partial.setClip(form.ShowEndTime->pixelBounds());  // the number: "10" becomes "9"
  form.paint(partial);
  partial.clearClip();
  form.paint(whole);
  EXPECT_EQ(differingPixels(partial.surface(), whole.surface()), 0);
}

class Golden : public testing::TestWithParam<snapshot::StateName> {};

TEST_P(Golden, MatchesTheReviewedImage) {
  if (!LOMA_REAL_ASSETS) GTEST_SKIP() << "built with other pictures than assets/";
  const auto& [state, name, dpi] = GetParam();
  std::string golden = std::string(LOMA_GOLDEN_DIR) + "/" + name + ".png";
  platform::paint::Surface expected(cairo_image_surface_create_from_png(golden.c_str()));
  ASSERT_EQ(cairo_surface_status(expected.get()), CAIRO_STATUS_SUCCESS) << golden;
  auto actual = snapshot::render(state, dpi);
  ASSERT_EQ(cairo_image_surface_get_width(expected.get()), actual->width());
  ASSERT_EQ(cairo_image_surface_get_height(expected.get()), actual->height());
  int differing = differingPixels(expected.get(), actual->surface());
  if (differing) {
    std::filesystem::create_directories(LOMA_ACTUAL_DIR);
    std::string path = std::string(LOMA_ACTUAL_DIR) + "/" + name + ".png";
    cairo_surface_write_to_png(actual->surface(), path.c_str());
    ADD_FAILURE() << differing << " pixels differ from " << golden << "; rendered: " << path;
  }
}

std::string nameOf(const testing::TestParamInfo<snapshot::StateName>& state) {
  return state.param.name;
}
INSTANTIATE_TEST_SUITE_P(States, Golden, testing::ValuesIn(snapshot::kStates), nameOf);
INSTANTIATE_TEST_SUITE_P(DenseScreens, Golden, testing::ValuesIn(snapshot::kDenseStates), nameOf);

}  // namespace
