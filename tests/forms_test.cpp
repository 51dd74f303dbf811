// The forms runtime on its own: conversions, control arrays, stacking, the mouse and pictures.
#include <gtest/gtest.h>

#include <vector>

#include "forms/form.h"
#include "forms/picture.h"
#include "forms/picture_survey.h"
#include "forms/tick_schedule.h"
#include "forms/units.h"

namespace {

using forms::MouseButton;

int errorNumber(const std::function<void()>& statement) {
  try {
    statement();
  } catch (const forms::RuntimeError& e) {
    return e.number();
  }
  return 0;
}

TEST(Conversions, PixelsAndClngRoundHalvesToEven) {
  EXPECT_EQ(forms::toPixels(22.5f, 96), 2);  // 1.5 px
  EXPECT_EQ(forms::toPixels(37.5f, 96), 2);  // 2.5 px
  EXPECT_EQ(forms::toPixels(8565, 96), 571);
  EXPECT_EQ(forms::toPixels(3800, 96), 253);  // 253.33
  EXPECT_EQ(forms::toPixels(-7.5f, 96), 0);   // -0.5 px
  EXPECT_EQ(forms::clng(5677.5), 5678);
  EXPECT_EQ(forms::clng(5676.5), 5676);
  EXPECT_EQ(forms::clng(-2.5), -2);
  EXPECT_EQ(errorNumber([] { forms::clng(3e9); }), 6);
}

TEST(Conversions, PixelsAtOtherDensitiesRoundTheSameWay) {
  EXPECT_EQ(forms::toPixels(8565, 144), 856);  // 856.5
  EXPECT_EQ(forms::toPixels(8575, 144), 858);  // 857.5
  EXPECT_EQ(forms::toPixels(8565, 120), 714);  // 713.75
  EXPECT_EQ(forms::toPixels(3800, 192), 507);  // 506.67
  EXPECT_EQ(forms::toPixels(3.75f, 192), 0);   // 0.5 px
  EXPECT_EQ(forms::toPixels(11.25f, 192), 2);  // 1.5 px
  EXPECT_EQ(forms::pointerToTwips(1, 192), 7.5f);
  EXPECT_EQ(forms::pointerToTwips(1, 120), 12.0f);
  EXPECT_EQ(forms::pointerToTwips(1280, 144), 12800.0f);
  EXPECT_EQ(forms::pointerToTwips(571, 96), 8565.0f);
  EXPECT_EQ(forms::clampDpi(48), 72);
  EXPECT_EQ(forms::clampDpi(960), 480);
  EXPECT_EQ(forms::clampDpi(144), 144);
  forms::Font ming{u"新細明體", 9.75f, 700};
  EXPECT_EQ(ming.pixelSize(96), 13);
  EXPECT_EQ(ming.pixelSize(144), 20);  // 19.5
  ming.size = 26.25f;
  EXPECT_EQ(ming.pixelSize(144), 52);  // 52.5
  EXPECT_EQ(ming.pixelSize(120), 44);  // 43.75
}

TEST(Conversions, IntegerArithmeticOverflowsAtSixteenBits) {
  EXPECT_EQ(forms::addInteger(32766, 1), 32767);
  EXPECT_EQ(errorNumber([] { forms::addInteger(32767, 1); }), 6);
  EXPECT_EQ(forms::subtractInteger(10, 11), -1);
  EXPECT_EQ(errorNumber([] { forms::subtractInteger(10, -32767); }), 6);
  EXPECT_EQ(forms::integerToText(-1), u"-1");
  EXPECT_EQ(forms::integerToText(0), u"0");
}

TEST(Conversions, SingleTextRoundTrip) {
  EXPECT_EQ(forms::singleToText(1545), u"1545");
  EXPECT_EQ(forms::singleToText(1545.5f), u"1545.5");
  EXPECT_EQ(forms::singleToText(-42.25f), u"-42.25");
  EXPECT_EQ(forms::singleToText(1e20f), u"1E+20");
  EXPECT_EQ(forms::textToSingle(u"1545"), 1545.0f);
  EXPECT_EQ(forms::textToSingle(u" 12.5 "), 12.5f);
  EXPECT_EQ(errorNumber([] { forms::textToSingle(u""); }), 13);
  EXPECT_EQ(errorNumber([] { forms::textToSingle(u"12px"); }), 13);
  EXPECT_EQ(errorNumber([] { forms::textToSingle(u"關閉"); }), 13);
  EXPECT_EQ(errorNumber([] { forms::textToSingle(u"1e60"); }), 6);
}

TEST(Conversions, Utf8RoundTripAndUpperCase) {
  std::u16string text = u"ZAVRO Fi 診斷系統\n已經啟動 \U0001F600";
  EXPECT_EQ(forms::fromUtf8(forms::toUtf8(text)), text);
  EXPECT_EQ(forms::fromUtf8("\xE8\xA8"), u"\uFFFD");       // cut short: one bad sequence
  EXPECT_EQ(forms::fromUtf8("\xE8\xA8\x61"), u"\uFFFDa");  // and goes on at the next letter
  EXPECT_EQ(forms::toUpper(u"LomaDiag.exe"), u"LOMADIAG.EXE");
  EXPECT_EQ(forms::toUpper(u"關閉"), u"關閉");
}

// The file-name table of Windows and Wine: every letter whose simple upper-case form goes back to
// it, in every script, and nothing that does not go back.
TEST(Conversions, UpperCaseIsTheFileNameTable) {
  EXPECT_EQ(forms::toUpper(u"\u00e4\u00ff\u01c6\u0436\u03c9\u0561\u1e9b\uff41"),
            u"\u00c4\u0178\u01c4\u0416\u03a9\u0531\u1e9b\uff21");
  // Dotless i, long s, micro sign, final sigma, the Kelvin and Ohm signs, and titlecase Dz keep
  // their own forms: each one's upper case lowers to another letter.
  for (char16_t unit :
       {u'\u0131', u'\u017f', u'\u00b5', u'\u03c2', u'\u212a', u'\u2126', u'\u01c5'}) {
    EXPECT_EQ(forms::upperUnit(unit), unit) << std::hex << static_cast<int>(unit);
  }
  EXPECT_EQ(forms::upperUnit(u'\u00df'), u'\u00df');  // sharp s has no simple upper case
  // A surrogate pair is two units, each left as it is (Deseret small long I has an upper case).
  EXPECT_EQ(forms::toUpper(u"\U00010428"), u"\U00010428");
  // Applying the table twice changes nothing more, over the whole plane.
  for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
    char16_t upper = forms::upperUnit(static_cast<char16_t>(unit));
    ASSERT_EQ(forms::upperUnit(upper), upper) << std::hex << unit;
  }
}

TEST(Conversions, Utf8DecoderRejectsWhatNoEncoderWrites) {
  // Overlong forms: "e" in two bytes, "/" in three, "A" in four; never the letters themselves.
  EXPECT_EQ(forms::fromUtf8("ex\xC1\xA5"), u"ex\uFFFD\uFFFD");
  EXPECT_EQ(forms::fromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(forms::fromUtf8("\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(forms::fromUtf8("\xF0\x80\x81\x81"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  // Surrogates encoded on their own, and values above U+10FFFF.
  EXPECT_EQ(forms::fromUtf8("\xED\xA0\x80\xED\xB0\x80"), std::u16string(6, u'\uFFFD'));
  EXPECT_EQ(forms::fromUtf8("\xF4\x90\x80\x80"), std::u16string(4, u'\uFFFD'));
  EXPECT_EQ(forms::fromUtf8("\xF5\x80\x80\x80"), std::u16string(4, u'\uFFFD'));
  // The edges of each valid range still decode.
  EXPECT_EQ(forms::fromUtf8("\xC2\x80\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80"),
            u"\u0080\u0800\uD7FF\uE000");
  EXPECT_EQ(forms::fromUtf8("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"), u"\U00010000\U0010FFFF");
  // A stray continuation byte, then a sequence broken off by the letter "b".
  EXPECT_EQ(forms::fromUtf8("\x80\x61\xF0\x9F\x98\x62"), u"\uFFFDa\uFFFDb");
}

// A form with a label over an image, and a picture box holding an image.
struct SampleForm : ::testing::Test {
  forms::Form form;
  forms::Image& back = form.add<forms::Image>(form, "Back");
  forms::Label& front = form.add<forms::Label>(form, "Btn", 0);
  forms::PictureBox& box = form.add<forms::PictureBox>(form, "Box");
  forms::Image& inner = form.add<forms::Image>(box, "Inner", 0);
  std::vector<std::string> events;

  void SetUp() override {
    form.setWidth(6000);
    form.setHeight(6000);
    back.move(0, 0, 3000, 3000);
    front.move(1500, 1500, 3000, 1500);
    box.move(0, 4500, 3000, 1500);
    box.setBorderStyle(forms::BorderStyle::None);
    inner.move(150, 150, 600, 600);
    for (forms::Control* c :
         {static_cast<forms::Control*>(&back), static_cast<forms::Control*>(&front)}) {
      c->onMouseDown = [this](forms::Control& s, const forms::MouseEvent& e) {
        events.push_back(s.name() + " down " + std::to_string(static_cast<int>(e.x)));
      };
      c->onMouseUp = [this](forms::Control& s, const forms::MouseEvent&) {
        events.push_back(s.name() + " up");
      };
      c->onClick = [this](forms::Control& s) { events.push_back(s.name() + " click"); };
    }
  }
};

TEST_F(SampleForm, ControlsAreFoundByNameAndKindOrRaise) {
  forms::ControlArray<forms::Label> btn(form, "Btn");
  EXPECT_EQ(&btn(0), &front);
  EXPECT_EQ(errorNumber([&] { btn(1); }), 340);
  EXPECT_EQ(&form.single<forms::Image>("Back"), &back);
  EXPECT_EQ(errorNumber([&] { form.single<forms::Image>("Btn"); }), 340);  // an array element
  EXPECT_EQ(errorNumber([&] { form.single<forms::Label>("Back"); }), 13);
  EXPECT_EQ(errorNumber([&] { forms::ControlArray<forms::Image>(form, "Btn")(0); }), 13);
  EXPECT_EQ(errorNumber([&] { btn.load(0); }), 360);
  front.setCaption(u"Go");
  auto& loaded = btn.load(1);
  EXPECT_EQ(loaded.caption(), u"Go");
  EXPECT_FALSE(loaded.visible());
  EXPECT_EQ(loaded.left(), front.left());
  EXPECT_EQ(loaded.container(), static_cast<forms::Container*>(&form));
  EXPECT_EQ(&btn(1), &loaded);
}

TEST_F(SampleForm, HitTestFindsTheFrontmostVisibleControl) {
  EXPECT_EQ(form.hitTest(2000, 2000), &front);
  EXPECT_EQ(form.hitTest(1000, 1000), &back);
  back.bringToFront();
  EXPECT_EQ(form.hitTest(2000, 2000), &back);
  back.setVisible(false);
  EXPECT_EQ(form.hitTest(2000, 2000), &front);
  EXPECT_EQ(form.hitTest(5000, 500), nullptr);
  // Right and bottom edges are outside: a pointer at pixel x lies at x*15 twips.
  EXPECT_EQ(form.hitTest(4500, 2000), nullptr);
  EXPECT_EQ(form.hitTest(4485, 2985), &front);
}

TEST_F(SampleForm, PictureBoxLiesAboveWindowlessControlsAndHoldsItsOwn) {
  front.move(0, 4500, 3000, 1500);  // under the box
  EXPECT_EQ(form.hitTest(300, 4700), &inner);
  EXPECT_EQ(form.hitTest(2000, 5000), &box);
  box.setVisible(false);
  EXPECT_EQ(form.hitTest(2000, 5000), &front);
}

TEST_F(SampleForm, ReleaseAndClickGoToTheControlThatTookThePress) {
  form.mouseDown(MouseButton::Left, 0, 2000, 2000);
  form.mouseUp(MouseButton::Left, 0, 2000, 2000);
  EXPECT_EQ(events, (std::vector<std::string>{"Btn down 500", "Btn up", "Btn click"}));

  events.clear();  // pressed on the label, released over the image: no click
  form.mouseDown(MouseButton::Left, 0, 2000, 2000);
  form.mouseUp(MouseButton::Left, 0, 500, 500);
  EXPECT_EQ(events, (std::vector<std::string>{"Btn down 500", "Btn up"}));

  events.clear();  // the right button presses and releases but never clicks
  form.mouseDown(MouseButton::Right, 0, 2000, 2000);
  form.mouseUp(MouseButton::Right, 0, 2000, 2000);
  EXPECT_EQ(events, (std::vector<std::string>{"Btn down 500", "Btn up"}));
}

TEST_F(SampleForm, CaptureHoldsUntilEveryButtonIsUp) {
  form.mouseDown(MouseButton::Left, 0, 2000, 2000);
  form.mouseDown(MouseButton::Right, 0, 500, 500);
  form.mouseUp(MouseButton::Right, 0, 500, 500);
  EXPECT_EQ(form.captured(), &front);
  form.mouseUp(MouseButton::Left, 0, 2000, 2000);
  EXPECT_EQ(form.captured(), nullptr);
  EXPECT_EQ(events, (std::vector<std::string>{"Btn down 500", "Btn down -1000", "Btn up", "Btn up",
                                              "Btn click"}));
  events.clear();
  form.mouseUp(MouseButton::Left, 0, 2000, 2000);  // a release with no press is dropped
  EXPECT_TRUE(events.empty());
  // A lost capture releases every held button on the control that took the press, never a
  // click, and forgets the press.
  form.mouseDown(MouseButton::Left, 0, 2000, 2000);
  form.mouseDown(MouseButton::Middle, 0, 2000, 2000);
  form.captureLost();
  EXPECT_EQ(form.captured(), nullptr);
  form.mouseUp(MouseButton::Left, 0, 2000, 2000);
  EXPECT_EQ(events, (std::vector<std::string>{"Btn down 500", "Btn down 500", "Btn up", "Btn up"}));
}

TEST(Pictures, NaturalSizeComesFromTheBytes) {
  const std::uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF,
                               0xC0, 0x00, 0x11, 0x08, 0x00, 0x78, 0x01, 0xB8, 0x03};
  auto bitmap = forms::Picture::fromBytes(forms::PictureKind::Bitmap, jpeg);
  EXPECT_EQ(bitmap->width(), 440 * 15);
  EXPECT_EQ(bitmap->height(), 120 * 15);

  // Placeable header: bounding box -3033,1704 .. 1138,2040 at 1000 units per inch.
  const std::uint8_t wmf[] = {0xD7, 0xCD, 0xC6, 0x9A, 0,    0, 0x27, 0xF4, 0xA8, 0x06, 0x72,
                              0x04, 0xF8, 0x07, 0xE8, 0x03, 0, 0,    0,    0,    0,    0};
  auto metafile = forms::Picture::fromBytes(forms::PictureKind::Metafile, wmf);
  EXPECT_NEAR(metafile->width(), 4171 * 1.44, 0.01);
  EXPECT_NEAR(metafile->height(), 336 * 1.44, 0.01);

  std::uint8_t ico[22] = {0, 0, 1, 0, 1, 0, 32, 32};
  EXPECT_EQ(forms::Picture::fromBytes(forms::PictureKind::Icon, ico)->width(), 480);

  EXPECT_EQ(errorNumber([&] { forms::Picture::fromBytes(forms::PictureKind::Bitmap, ico); }), 481);
  EXPECT_EQ(errorNumber([&] {
              forms::Picture::fromBytes(forms::PictureKind::Bitmap,
                                        std::span<const std::uint8_t>(jpeg, 12));
            }),
            481);
}

// What a host gets ready before a paint: every picture the paint draws, where, in its order.
TEST_F(SampleForm, PicturesToPaintAreThoseThePaintDrawsInTheClip) {
  const std::uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF,
                               0xC0, 0x00, 0x11, 0x08, 0x00, 0x78, 0x01, 0xB8, 0x03};
  auto picture = forms::Picture::fromBytes(forms::PictureKind::Bitmap, jpeg);
  form.setPicture(picture);  // drawn first, at its natural 440x120
  back.setPicture(picture);
  back.setStretch(true);
  inner.setPicture(picture);
  inner.setStretch(true);
  auto uses = forms::picturesToPaint(form, form.clientPixels());
  ASSERT_EQ(uses.size(), 3u);
  EXPECT_EQ(uses[0].rect, (forms::PixelRect{0, 0, 440, 120}));
  EXPECT_EQ(uses[1].rect, (forms::PixelRect{0, 0, 200, 200}));
  EXPECT_EQ(uses[2].rect, (forms::PixelRect{10, 310, 40, 40}));  // within the picture box
  EXPECT_EQ(uses[2].picture, picture.get());
  // A clip below the image and the backdrop: only the picture box's image.
  EXPECT_EQ(forms::picturesToPaint(form, {0, 300, 100, 100}).size(), 1u);
  box.setVisible(false);
  EXPECT_EQ(forms::picturesToPaint(form, {0, 300, 100, 100}).size(), 0u);
}

TEST(Pictures, NoneLargerThan4096PixelsEitherWay) {
  // A frame header of height h and width w.
  auto jpeg = [](int h, int w) {
    return std::vector<std::uint8_t>{0xFF,
                                     0xD8,
                                     0xFF,
                                     0xC0,
                                     0x00,
                                     0x11,
                                     0x08,
                                     static_cast<std::uint8_t>(h >> 8),
                                     static_cast<std::uint8_t>(h),
                                     static_cast<std::uint8_t>(w >> 8),
                                     static_cast<std::uint8_t>(w),
                                     0x03};
  };
  auto bitmap = [](const std::vector<std::uint8_t>& bytes) {
    return errorNumber([&] { forms::Picture::fromBytes(forms::PictureKind::Bitmap, bytes); });
  };
  EXPECT_EQ(bitmap(jpeg(4096, 4096)), 0);
  EXPECT_EQ(bitmap(jpeg(4097, 1)), 481);
  EXPECT_EQ(bitmap(jpeg(1, 4097)), 481);
  EXPECT_EQ(bitmap(jpeg(12000, 12000)), 481);
  // A metafile 5 inches wide at 96 dots per inch is 480 pixels; 50 inches is 4800.
  auto wmf = [](int unitsWide) {
    return std::vector<std::uint8_t>{0xD7,
                                     0xCD,
                                     0xC6,
                                     0x9A,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     static_cast<std::uint8_t>(unitsWide),
                                     static_cast<std::uint8_t>(unitsWide >> 8),
                                     10,
                                     0,
                                     100,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0};
  };
  EXPECT_EQ(errorNumber([&] { forms::Picture::fromBytes(forms::PictureKind::Metafile, wmf(500)); }),
            0);
  EXPECT_EQ(
      errorNumber([&] { forms::Picture::fromBytes(forms::PictureKind::Metafile, wmf(5000)); }),
      481);
}

TEST(TickSchedule, TicksFallDueOnAnAbsoluteSchedule) {
  forms::TickSchedule schedule(5000, 1000);
  EXPECT_FALSE(schedule.due(5999));
  EXPECT_TRUE(schedule.due(6000));
  schedule.advance();
  // A tick handled late does not push the next one back.
  EXPECT_EQ(schedule.nextDue(), 7000);
  EXPECT_TRUE(schedule.due(7400));
}

}  // namespace
