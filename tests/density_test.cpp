// The launcher window laid out for screens of 100, 125, 150 and 200 %: the same twips, each
// turned into pixels at the screen's density. Pixel figures are worked out by hand from the
// designed twips (round(twips * dpi / 1440), ties to even) on a screen 1280 pixels wide.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "app/startup.h"
#include "launch/detection.h"
#include "platform/headless/host.h"

namespace {

using forms::PixelRect;
using platform::headless::Host;

struct Expected {
  int dpi;
  PixelRect window;
  forms::Twips left;  // the window's Left as placed: half a twip, never rounded
  PixelRect banner, panel, skin, caption, number, notice, messageFound, messageNotFound, picture1;
  PixelRect backdrop;
  std::array<int, 4> fonts;  // credit, status message, close caption, number
};

const std::array<Expected, 4> kDensities{{
    {96,
     {354, 7, 571, 253},
     5317.5f,
     {42, 30, 492, 74},
     {200, 103, 335, 85},
     {43, 103, 159, 85},
     {43, 126, 159, 85},
     {45, 174, 89, 73},
     {139, 204, 327, 24},
     {218, 121, 304, 66},
     {218, 137, 304, 66},
     {27, 328, 480, 152},
     {0, 0, 572, 252},
     {13, 21, 35, 48}},
    {120,
     {283, 8, 714, 317},
     3397.5f,
     {52, 38, 615, 92},
     {250, 129, 419, 106},
     {54, 129, 199, 106},
     {54, 158, 199, 106},
     {56, 218, 111, 91},
     {174, 255, 409, 30},
     {272, 152, 380, 82},
     {272, 171, 380, 82},
     {34, 410, 600, 190},
     {0, 0, 715, 315},
     {16, 26, 44, 60}},
    {144,
     {212, 10, 856, 380},
     2117.5f,
     {63, 45, 738, 111},
     {300, 154, 502, 128},
     {64, 154, 238, 128},
     {64, 190, 238, 128},
     {68, 261, 134, 110},
     {208, 306, 490, 36},
     {327, 182, 456, 99},
     {327, 205, 456, 99},
     {40, 492, 720, 228},
     {0, 0, 858, 378},
     {20, 32, 52, 72}},
    {192,
     {69, 13, 1142, 507},
     517.5f,
     {84, 60, 984, 148},
     {400, 206, 670, 170},
     {86, 206, 318, 170},
     {86, 253, 318, 170},
     {90, 348, 178, 146},
     {278, 408, 654, 48},
     {436, 243, 608, 132},
     {436, 273, 608, 132},
     {54, 656, 960, 304},
     {0, 0, 1144, 504},
     {26, 42, 70, 96}},
}};

void PrintTo(const Expected& e, std::ostream* out) {
  *out << e.dpi << " dpi";
}

class DensityTest : public testing::TestWithParam<Expected> {
 protected:
  Host host;
  std::unique_ptr<app::Launcher> launcher;

  ui::LOMA_Frm& frm() { return launcher->form(); }
  void start(bool found) {
    host.dpi = GetParam().dpi;
    host.screenWidthTwips = forms::pointerToTwips(1280, host.dpi);
    if (found) host.drive.addFile(launch::kDiagnosticPath);
    launcher = std::make_unique<app::Launcher>(host);
    host.deliver([&] { launcher->load(); });
  }
};

TEST_P(DensityTest, WindowIsCentredAtTheTopInThePixelsOfItsDensity) {
  const Expected& e = GetParam();
  start(true);
  EXPECT_EQ(frm().dpi(), e.dpi);
  EXPECT_EQ(host.screenWidth(), static_cast<float>(1280.0 * 1440 / e.dpi));
  EXPECT_EQ(frm().left(), e.left);  // a fractional Left, kept in twips
  EXPECT_EQ(frm().top(), 100);
  EXPECT_EQ(host.nativeBounds(), e.window);
  EXPECT_EQ(frm().clientPixels(), (PixelRect{0, 0, e.window.width, e.window.height}));
}

TEST_P(DensityTest, EveryControlAndTheSkinnedButtonScaleFromTheirTwips) {
  const Expected& e = GetParam();
  start(true);
  auto& f = frm();
  EXPECT_EQ(f.Image1->pixelBounds(), e.banner);
  EXPECT_EQ(f.Image3->pixelBounds(), e.panel);
  EXPECT_EQ(f.BasePic(0).pixelBounds(), e.skin);
  EXPECT_EQ(f.ComBT(0).pixelBounds(), e.caption);
  EXPECT_EQ(f.ShowEndTime->pixelBounds(), e.number);
  EXPECT_EQ(f.Image2->pixelBounds(), e.notice);
  EXPECT_EQ(f.MSg->pixelBounds(), e.messageFound);
  EXPECT_EQ(f.Picture1->pixelBounds(), e.picture1);
  // The credit line sizes itself to its text measured at the density, from its fixed corner.
  auto& credit = *f.Label1;
  host.painter().setDpi(e.dpi);
  auto extent = host.painter().measureText(credit.caption(), credit.font());
  PixelRect r = credit.pixelBounds();
  EXPECT_EQ(r, (PixelRect{forms::toPixels(3840, e.dpi), forms::toPixels(2850, e.dpi), extent.width,
                          extent.height}));
  EXPECT_EQ(extent.height, e.fonts[0]);  // one line of the credit font's em
}

TEST_P(DensityTest, StatusMessageStandsLowerWhenTheProgramIsMissing) {
  start(false);
  EXPECT_EQ(frm().MSg->top(), 2050);
  EXPECT_EQ(frm().MSg->pixelBounds(), GetParam().messageNotFound);
}

TEST_P(DensityTest, PaintingUsesTheDensityForPicturesAndFonts) {
  const Expected& e = GetParam();
  start(true);
  const auto& ops = host.paint();
  using Kind = platform::headless::PaintOp::Kind;
  ASSERT_GE(ops.size(), 2u);
  EXPECT_EQ(ops[0].kind, Kind::Fill);
  EXPECT_EQ(ops[0].rect, frm().clientPixels());
  // The backdrop at its natural size times dpi/96, from the corner.
  EXPECT_EQ(ops[1].kind, Kind::Picture);
  EXPECT_EQ(ops[1].rect, e.backdrop);
  std::array<int, 4> fonts{};
  for (const auto& op : ops) {
    if (op.kind != Kind::Text) continue;
    int px = op.font.pixelSize(e.dpi);
    if (op.text == frm().Label1->caption()) fonts[0] = px;
    if (op.text == frm().MSg->caption()) fonts[1] = px;
    if (op.text == u"關閉") fonts[2] = px;
    if (op.text == u"10") fonts[3] = px;
  }
  EXPECT_EQ(fonts, e.fonts);
}

TEST_P(DensityTest, AClickOnTheCloseButtonAtItsScaledPixelsEndsTheProgram) {
  const Expected& e = GetParam();
  start(true);
  // Beside the button on the status panel nothing happens; on its middle, as the pointer
  // reports it in pixels, the program ends.
  int beside = e.caption.x + e.caption.width + 1, middleY = e.caption.y + e.caption.height / 2;
  host.click(forms::pointerToTwips(beside, e.dpi), forms::pointerToTwips(middleY, e.dpi));
  EXPECT_FALSE(host.ended());
  host.click(forms::pointerToTwips(e.caption.x + e.caption.width / 2, e.dpi),
             forms::pointerToTwips(middleY, e.dpi));
  EXPECT_TRUE(host.ended());
}

INSTANTIATE_TEST_SUITE_P(Dpi, DensityTest, testing::ValuesIn(kDensities),
                         [](const testing::TestParamInfo<Expected>& param) {
                           return std::to_string(param.param.dpi);
                         });

TEST(DensityChange, LaysTheWindowOutAgainFromItsUnchangedTwipsWithoutAnyHandler) {
  Host host;
  host.screenWidthTwips = forms::pointerToTwips(1280, 96);
  host.drive.addFile(launch::kDiagnosticPath);
  app::Launcher launcher(host);
  host.deliver([&] { launcher.load(); });
  auto& f = launcher.form();
  auto positions = host.setWindowPosCalls.size();
  auto lookups = host.dirCalls.size();
  auto caption = f.MSg->caption();

  f.setDpi(144);  // the window moved to a 150 % monitor
  EXPECT_EQ(f.left(), 5317.5f);
  EXPECT_EQ(f.top(), 100);
  EXPECT_EQ(host.nativeBounds(), (PixelRect{532, 10, 856, 380}));  // 531.75 px
  EXPECT_EQ(f.ComBT(0).pixelBounds(), (PixelRect{64, 190, 238, 128}));
  EXPECT_EQ(host.setWindowPosCalls.size(), positions);
  EXPECT_EQ(host.dirCalls.size(), lookups);
  EXPECT_EQ(f.MSg->caption(), caption);
  EXPECT_EQ(f.ShowEndTime->caption(), u"10");
  // The credit line measures its text again in the font of the new density.
  host.painter().setDpi(144);
  auto extent = host.painter().measureText(f.Label1->caption(), f.Label1->font());
  EXPECT_EQ(f.Label1->pixelBounds(), (PixelRect{384, 285, extent.width, extent.height}));
  EXPECT_EQ(extent.height, 20);

  f.setDpi(96);
  EXPECT_EQ(host.nativeBounds(), (PixelRect{354, 7, 571, 253}));
}

}  // namespace
