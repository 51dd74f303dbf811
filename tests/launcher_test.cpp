// The launcher's behaviour on the headless host: the load sequence, placement, the close button,
// detection and the countdown, each driven as the window system would drive it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/form_load.h"
#include "app/startup.h"
#include "launch/detection.h"
#include "platform/headless/host.h"

namespace {

using forms::MouseButton;
using platform::headless::Host;

constexpr char16_t kPath[] = u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe";

class LauncherTest : public ::testing::Test {
 protected:
  Host host;
  std::unique_ptr<app::Launcher> launcher;

  ui::LOMA_Frm& frm() { return launcher->form(); }
  void create() { launcher = std::make_unique<app::Launcher>(host); }
  void start() {
    if (!launcher) create();
    host.deliver([&] { launcher->load(); });
  }
  const forms::Picture* picture(const forms::Image& image) { return image.picture().get(); }
  const forms::Picture* upFace() { return picture(frm().sBT0(0)); }
  const forms::Picture* downFace() { return picture(frm().sBT0(1)); }
};

// ---- The designed window and the load sequence -------------------------------------------

TEST_F(LauncherTest, WindowIsCreatedAsDesigned) {
  create();
  auto& f = frm();
  EXPECT_EQ(f.caption(), u"LOMA");
  EXPECT_EQ(f.height(), 8145);
  EXPECT_EQ(f.width(), 8565);
  EXPECT_EQ(f.MSg->caption(), u"t");
  EXPECT_EQ(f.ShowEndTime->caption(), u"10");
  EXPECT_EQ(f.ComBT(0).borderStyle(), forms::BorderStyle::FixedSingle);
  EXPECT_EQ(f.Timer1->interval(), 1000);
  EXPECT_TRUE(f.Timer1->enabled());
  EXPECT_FALSE(f.Picture1->visible());
  EXPECT_EQ(f.BasePic(0).top(), 4185);
  EXPECT_EQ(f.BasePic(0).picture(), nullptr);
  EXPECT_EQ(f.Image3->picture(), nullptr);
  EXPECT_EQ(f.Label1->caption().size(), 37u);
  EXPECT_FALSE(f.visible());

  // Back to front over the backdrop.
  std::vector<std::string> order;
  for (auto* c : f.stacking()) order.push_back(c->name());
  EXPECT_EQ(order, (std::vector<std::string>{"Image1", "Image3", "BasePic", "ComBT", "ShowEndTime",
                                             "Image2", "MSg", "Label1", "Picture1", "Timer1"}));
  EXPECT_EQ(f.Picture1->stacking().front(), &f.sBT0(0));
  // The faces are the same picture objects wherever the code later hands them.
  EXPECT_NE(upFace(), downFace());
  EXPECT_EQ(f.sBT0(0).picture()->width(), 440 * 15);
}

TEST_F(LauncherTest, AutoSizedCreditLabelTakesItsTextExtent) {
  create();
  auto& label = *frm().Label1;
  auto size = host.painter().measureText(label.caption(), label.font());
  EXPECT_EQ(label.width(), size.width * 15);
  EXPECT_EQ(label.height(), size.height * 15);
  EXPECT_EQ(label.left(), 3840);
  EXPECT_EQ(label.top(), 2850);
}

TEST_F(LauncherTest, LoadSetsHeightTopAndCentresWithoutRounding) {
  host.screenWidthTwips = 1366 * 15;  // 20490 - 8565 = 11925: odd
  start();
  EXPECT_EQ(frm().height(), 3800);
  EXPECT_EQ(frm().top(), 100);
  EXPECT_EQ(frm().left(), 5962.5f);
  EXPECT_EQ(frm().width(), 8565);
  EXPECT_EQ(host.nativeBounds(), (forms::PixelRect{398, 7, 571, 253}));  // 397.5 to even
  EXPECT_TRUE(frm().visible());
}

TEST_F(LauncherTest, WindowWiderThanTheScreenOverhangsBothEdgesEqually) {
  host.screenWidthTwips = 6000;
  start();
  EXPECT_EQ(frm().left(), -1282.5f);
}

TEST_F(LauncherTest, UnreadableScreenWidthKeepsLeftButStillSetsTop) {
  host.screenWidthFails = true;
  start();
  EXPECT_EQ(frm().left(), 3075);
  EXPECT_EQ(frm().top(), 100);
  EXPECT_FALSE(host.ended());
}

TEST_F(LauncherTest, TopmostCallPassesTwipsAsPixelsThenRestoresTheGeometry) {
  host.screenWidthTwips = 1366 * 15;
  start();
  ASSERT_EQ(host.setWindowPosCalls.size(), 1u);
  const auto& call = host.setWindowPosCalls[0];
  EXPECT_EQ(call.hWnd, Host::kWindowHandle);
  EXPECT_EQ(call.hWndInsertAfter, -1);
  EXPECT_EQ(call.x, 5962);  // 5962.5 to even
  EXPECT_EQ(call.y, 100);
  EXPECT_EQ(call.cx, 0);
  EXPECT_EQ(call.cy, 0);
  EXPECT_EQ(call.flags, 0x50u);
  // The call really moved and shrank the window; the write-back put it back.
  EXPECT_EQ(call.boundsBefore, (forms::PixelRect{398, 7, 571, 253}));
  EXPECT_EQ(host.nativeBounds(), call.boundsBefore);
  EXPECT_TRUE(host.nativeVisible());
}

TEST_F(LauncherTest, WriteBackAfterTheTopmostCallGoesTopLeftHeightWidth) {
  host.screenWidthTwips = 1366 * 15;
  // Let the form follow the window the call moved and shrank, so that each step of the
  // write-back shows in the window's place and size.
  host.duringSetWindowPos = [&] {
    const auto& call = host.setWindowPosCalls.back();
    frm().setLeft(static_cast<forms::Twips>(call.x * 15));
    frm().setTop(static_cast<forms::Twips>(call.y * 15));
    frm().setWidth(0);
    frm().setHeight(0);
  };
  start();
  const auto& history = host.boundsHistory();
  ASSERT_GE(history.size(), 4u);
  EXPECT_EQ(std::vector<forms::PixelRect>(history.end() - 4, history.end()),
            (std::vector<forms::PixelRect>{{5962, 7, 0, 0},     // Top
                                           {398, 7, 0, 0},      // Left
                                           {398, 7, 0, 253},    // Height
                                           {398, 7, 571, 253}}  // Width
             ));
}

TEST_F(LauncherTest, CommandLessStartLeavesTheCounterAtZeroForTheFirstTick) {
  // Nothing reaches the launcher from a command line: the load alone sets the counter, and the
  // first tick counts from 0 whatever the counter held before.
  create();
  frm().EndTime = 7;
  start();
  EXPECT_EQ(frm().EndTime, 0);
  EXPECT_EQ(frm().ShowEndTime->caption(), u"10");
  host.tick();
  EXPECT_EQ(frm().EndTime, 1);
  EXPECT_EQ(frm().ShowEndTime->caption(), u"9");
}

// ---- The close button ---------------------------------------------------------------------

TEST_F(LauncherTest, SkinningPutsTheUpFaceBehindTheCaption) {
  start();
  auto& f = frm();
  auto& face = f.BasePic(0);
  auto& label = f.ComBT(0);
  EXPECT_EQ(label.tag(), u"1545");
  EXPECT_EQ(face.left(), 645);
  EXPECT_EQ(face.top(), 1545);
  EXPECT_EQ(face.width(), 2385);
  EXPECT_EQ(face.height(), 1275);
  EXPECT_TRUE(face.visible());
  EXPECT_EQ(face.borderStyle(), forms::BorderStyle::None);
  EXPECT_EQ(picture(face), upFace());
  EXPECT_EQ(label.top(), 1895);
  EXPECT_EQ(label.borderStyle(), forms::BorderStyle::None);
  EXPECT_EQ(f.stacking().back()->name(), "ComBT");  // in front of every windowless control
  EXPECT_EQ(picture(*f.Image3), downFace());
}

TEST_F(LauncherTest, SkinningRunTwicePlacesTheButtonIdentically) {
  start();
  ui::LOMA_Frm& f = frm();
  app::DesignFrm(f, host);
  EXPECT_EQ(f.BasePic(0).top(), 1545);
  EXPECT_EQ(f.ComBT(0).top(), 1895);
}

TEST_F(LauncherTest, TagWithoutANumberSkipsOnlyThatStep) {
  create();
  frm().setHeight(3800);
  frm().ComBT(0).setTag(u"x");
  app::DesignFrm(frm(), host);
  EXPECT_EQ(frm().BasePic(0).top(), 4185);  // designed Top kept
  EXPECT_EQ(frm().BasePic(0).left(), 645);  // the steps after it ran
  EXPECT_EQ(frm().ComBT(0).top(), 4535);
  EXPECT_EQ(frm().top(), 100);
}

TEST_F(LauncherTest, MissingFacePictureLeavesTheRestOfTheLoadRunning) {
  create();
  // The faces are gone: every statement that reads one raises "element does not exist".
  frm().sBT0 = forms::ControlArray<forms::Image>(frm(), "missing");
  int raised = 0;
  try {
    frm().sBT0(0);
  } catch (const forms::RuntimeError& e) {
    raised = e.number();
  }
  ASSERT_EQ(raised, 340);
  host.drive.addFile(kPath);
  start();
  EXPECT_FALSE(host.unhandledError());
  EXPECT_FALSE(host.ended());
  // Only the statements that read a face were skipped.
  EXPECT_EQ(frm().Image3->picture(), nullptr);
  EXPECT_EQ(frm().BasePic(0).picture(), nullptr);
  EXPECT_EQ(frm().BasePic(0).left(), 645);
  EXPECT_EQ(frm().BasePic(0).top(), 1545);
  EXPECT_TRUE(frm().BasePic(0).visible());
  EXPECT_EQ(frm().ComBT(0).top(), 1895);
  EXPECT_EQ(host.setWindowPosCalls.size(), 1u);
  EXPECT_EQ(host.shellCalls.size(), 1u);
  EXPECT_EQ(frm().EndTime, 0);
  // Pressing the button without its faces raises nothing either.
  host.press(MouseButton::Left, 1800, 2300);
  host.release(MouseButton::Left, 6000, 500);
  EXPECT_FALSE(host.unhandledError());
}

TEST_F(LauncherTest, HoldingAnyButtonShowsTheDownFaceUntilRelease) {
  start();
  auto& face = frm().BasePic(0);
  host.press(MouseButton::Left, 1800, 2300);
  EXPECT_EQ(picture(face), downFace());
  host.advance(3000);  // holding the button does not hold the countdown
  EXPECT_EQ(frm().ShowEndTime->caption(), u"7");
  host.release(MouseButton::Left, 1800, 2300);
  EXPECT_TRUE(host.ended());

  Host other;
  app::Launcher second(other);
  other.deliver([&] { second.load(); });
  other.press(MouseButton::Right, 1800, 2300);
  EXPECT_EQ(second.form().BasePic(0).picture(), second.form().sBT0(1).picture());
  other.release(MouseButton::Right, 1800, 2300);
  EXPECT_EQ(second.form().BasePic(0).picture(), second.form().sBT0(0).picture());
  EXPECT_FALSE(other.ended());  // the right button never clicks
}

TEST_F(LauncherTest, PressMoveAwayAndReleaseRestoresTheUpFaceWithoutClosing) {
  start();
  const forms::Picture* up = upFace();
  const forms::Picture* down = downFace();
  ASSERT_NE(up, nullptr);
  ASSERT_NE(down, nullptr);
  host.press(MouseButton::Left, 1800, 2300);
  EXPECT_EQ(picture(frm().BasePic(0)), down);
  host.release(MouseButton::Left, 6000, 500);  // released over the title banner
  EXPECT_EQ(picture(frm().BasePic(0)), up);
  EXPECT_FALSE(host.ended());
  // The faces were handed, never moved or changed: every holder still has its own.
  EXPECT_EQ(picture(frm().sBT0(1)), down);
  EXPECT_EQ(picture(frm().sBT0(0)), up);
  EXPECT_EQ(picture(*frm().Image3), down);
}

TEST_F(LauncherTest, LostCaptureEndsThePressAsAReleaseAway) {
  start();
  host.press(MouseButton::Left, 1800, 2300);
  host.loseCapture();  // a prompt took the mouse: the release never comes
  EXPECT_EQ(picture(frm().BasePic(0)), upFace());
  EXPECT_FALSE(host.ended());
  // The next press belongs to what lies under it: pressed on the backdrop, released over the
  // button, it is no click.
  host.press(MouseButton::Left, 300, 300);
  EXPECT_EQ(picture(frm().BasePic(0)), upFace());
  host.release(MouseButton::Left, 1800, 2300);
  EXPECT_FALSE(host.ended());
  EXPECT_EQ(picture(frm().BasePic(0)), upFace());
}

TEST_F(LauncherTest, ClickOnTheCaptionEndsTheProgramAtOnce) {
  start();
  host.click(1800, 2300);
  EXPECT_TRUE(host.ended());
  EXPECT_EQ(host.exitCode(), 0);
  host.tick();
  EXPECT_EQ(frm().ShowEndTime->caption(), u"10");  // no handler runs after Terminate
}

TEST_F(LauncherTest, UpperPartOfTheNumberBelongsToTheCloseButton) {
  start();
  host.click(1000, 3000);  // inside the number, above 3170: the label lies in front there
  EXPECT_TRUE(host.ended());
}

TEST_F(LauncherTest, ClicksElsewhereDoNothing) {
  start();
  for (auto [x, y] : {std::pair{1000.f, 3300.f},     // lower part of the number
                      std::pair{5000.f, 2000.f},     // status message
                      std::pair{5000.f, 3150.f},     // countdown notice
                      std::pair{300.f, 300.f},       // backdrop
                      std::pair{4000.f, 800.f},      // title banner
                      std::pair{6000.f, 2900.f}}) {  // credit line
    host.click(x, y);
    EXPECT_FALSE(host.ended()) << x << "," << y;
  }
  // The lowered label also covers a strip of the notice and of the status panel.
  host.click(2500, 3100);
  EXPECT_TRUE(host.ended());
}

// ---- Detection and start ------------------------------------------------------------------

TEST_F(LauncherTest, FoundProgramIsAnnouncedThenStartedHidden) {
  host.drive.addFile(kPath);
  start();
  const auto& caption = frm().MSg->caption();
  EXPECT_EQ(caption, u"ZAVRO Fi 診斷系統\n已經啟動");
  EXPECT_EQ(caption.size(), 18u);
  EXPECT_EQ(frm().MSg->top(), 1820);
  ASSERT_EQ(host.shellCalls.size(), 1u);
  EXPECT_EQ(host.shellCalls[0].path, kPath);
  EXPECT_EQ(host.shellCalls[0].windowStyle, 0);
  EXPECT_EQ(host.dirCalls, std::vector<std::u16string>{kPath});
}

TEST_F(LauncherTest, NameStoredInOtherLetterCaseIsFound) {
  host.drive.addFile(u"C:\\ORNPRG\\ZAVRO_FI\\LOMADIAG.EXE", platform::vbReadOnly);
  start();
  EXPECT_EQ(host.shellCalls.size(), 1u);
  EXPECT_EQ(frm().MSg->top(), 1820);
}

TEST_F(LauncherTest, FoldersHiddenAndSystemFilesAndMissingFoldersAreNotFound) {
  for (int attributes : {platform::vbDirectory, platform::vbHidden, platform::vbSystem, -1}) {
    Host h;
    if (attributes >= 0) h.drive.addFile(kPath, attributes);
    app::Launcher l(h);
    h.deliver([&] { l.load(); });
    EXPECT_EQ(l.form().MSg->caption(), u"未發現 診斷系統") << attributes;
    EXPECT_EQ(l.form().MSg->top(), 2050);
    EXPECT_TRUE(h.shellCalls.empty());
    EXPECT_FALSE(h.ended());
  }
}

TEST_F(LauncherTest, ProgramThatCannotStartEndsTheLoadWithTheErrorReport) {
  host.drive.addFile(kPath);
  host.shellFailure = forms::err::invalidProcedureCall();
  start();
  EXPECT_TRUE(host.ended());
  ASSERT_TRUE(host.unhandledError());
  EXPECT_EQ(host.unhandledError()->number(), 5);
  EXPECT_EQ(platform::unhandledErrorText(*host.unhandledError()),
            u"Run-time error '5':\n\nInvalid procedure call or argument");
  EXPECT_NE(host.exitCode(), 0);
  EXPECT_FALSE(host.nativeVisible());  // the "started" message never stays on screen
  host.advance(15000);
  EXPECT_EQ(host.ticksDelivered(), 0);
  EXPECT_EQ(frm().EndTime, 0);
}

TEST_F(LauncherTest, AnythingAHandlerLetsEscapeIsReportedButTerminateEndsQuietly) {
  start();
  host.deliver([&] { platform::dispatch(host, [] { throw 42; }); });
  ASSERT_TRUE(host.unhandledError());
  EXPECT_EQ(host.unhandledError()->number(), 51);

  Host other;
  other.deliver([&] { platform::dispatch(other, [&] { other.terminate(); }); });
  EXPECT_TRUE(other.ended());
  EXPECT_FALSE(other.unhandledError());
  EXPECT_EQ(other.exitCode(), 0);
}

TEST_F(LauncherTest, TheStatusMessageIsSetBeforeTheProgramStarts) {
  host.drive.addFile(kPath);
  std::u16string captionAtStart;
  forms::Twips topAtStart = 0;
  host.duringShell = [&] {
    captionAtStart = frm().MSg->caption();
    topAtStart = frm().MSg->top();
  };
  start();
  ASSERT_EQ(host.shellCalls.size(), 1u);
  EXPECT_EQ(captionAtStart, u"ZAVRO Fi 診斷系統\n已經啟動");
  EXPECT_EQ(topAtStart, 1820);
}

TEST_F(LauncherTest, EachStartStartsAnotherCopy) {
  // A second launcher on the same machine, while the first still runs and its program too:
  // nothing is shared between them and nothing checks for a running copy, so it starts the
  // program once more.
  host.drive.addFile(kPath);
  start();
  app::Launcher second(host);
  host.deliver([&] { second.load(); });
  ASSERT_EQ(host.shellCalls.size(), 2u);
  EXPECT_EQ(host.shellCalls[1].path, kPath);
  EXPECT_EQ(host.shellCalls[1].windowStyle, platform::vbHide);
  EXPECT_EQ(second.form().MSg->caption(), frm().MSg->caption());
  EXPECT_TRUE(second.form().visible());
  EXPECT_FALSE(host.ended());
}

// ---- The countdown ------------------------------------------------------------------------

TEST_F(LauncherTest, CountsDownOncePerSecondAndEndsOnTheEleventhTick) {
  start();
  std::vector<std::u16string> shown;
  for (int k = 1; k <= 10; ++k) {
    host.tick();
    shown.push_back(frm().ShowEndTime->caption());
  }
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"9", u"8", u"7", u"6", u"5", u"4", u"3", u"2",
                                                u"1", u"0"}));
  EXPECT_FALSE(host.ended());
  EXPECT_EQ(host.now(), 10000);
  host.tick();
  EXPECT_TRUE(host.ended());
  EXPECT_EQ(host.exitCode(), 0);
  EXPECT_EQ(host.now(), 11000);
}

TEST_F(LauncherTest, TicksThatFallDueDuringTheLoadFollowItInOrder) {
  host.dirTakesMs = 2500;  // a slow disk
  start();
  EXPECT_EQ(frm().ShowEndTime->caption(), u"10");
  EXPECT_EQ(frm().EndTime, 0);
  host.pumpTimers();
  EXPECT_EQ(host.ticksDelivered(), 2);
  EXPECT_EQ(frm().ShowEndTime->caption(), u"8");
  host.advance(500);  // the third still falls at 3000 ms after creation
  EXPECT_EQ(frm().ShowEndTime->caption(), u"7");
}

TEST_F(LauncherTest, AfterAStallEveryOverdueTickRunsAtOnceInOrder) {
  start();
  host.advance(2000);
  std::vector<std::u16string> shown;
  auto tick = frm().Timer1->onTimer;
  frm().Timer1->onTimer = [&](forms::Timer& timer) {
    tick(timer);
    shown.push_back(frm().ShowEndTime->caption());
  };
  // Stopped from 2 s to 5 s: on waking, before anything is painted, the three late ticks.
  host.elapse(3000);
  host.pumpTimers();
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"7", u"6", u"5"}));
  // Stopped from 9.5 s to 12.66 s: the late ticks run and the eleventh ends the program.
  host.advance(4500);
  host.elapse(3160);
  host.pumpTimers();
  EXPECT_TRUE(host.ended());
  EXPECT_EQ(host.ticksDelivered(), 11);
  EXPECT_EQ(shown.back(), u"0");
}

TEST_F(LauncherTest, CounterOverflowIsSkippedAndTheTickStillEnds) {
  start();
  frm().EndTime = 32767;
  host.tick();
  EXPECT_EQ(frm().EndTime, 32767);
  EXPECT_EQ(frm().ShowEndTime->caption(), u"-32757");
  EXPECT_TRUE(host.ended());
}

TEST_F(LauncherTest, NotFoundStillCountsDownAndEnds) {
  start();
  host.advance(10999);
  EXPECT_FALSE(host.ended());
  host.advance(1);
  EXPECT_TRUE(host.ended());
  EXPECT_TRUE(host.shellCalls.empty());
}

TEST_F(LauncherTest, WindowSystemClosingTheWindowEndsWithoutOurHandlers) {
  start();
  host.tick();
  host.closeByWindowSystem();
  host.tick();
  EXPECT_TRUE(host.ended());
  EXPECT_EQ(frm().ShowEndTime->caption(), u"9");
}

// ---- Painting -----------------------------------------------------------------------------

TEST_F(LauncherTest, FirstPaintShowsTheLoadedStateBackToFront) {
  host.drive.addFile(kPath);
  start();
  const auto& ops = host.paint();
  using Kind = platform::headless::PaintOp::Kind;
  ASSERT_GE(ops.size(), 2u);
  EXPECT_EQ(ops[0].kind, Kind::Fill);
  EXPECT_EQ(ops[0].rect, (forms::PixelRect{0, 0, 571, 253}));
  EXPECT_EQ(ops[0].colour, forms::kButtonFace);
  EXPECT_EQ(ops[1].rect, (forms::PixelRect{0, 0, 572, 252}));  // backdrop at natural size

  std::vector<std::pair<forms::PixelRect, std::u16string>> drawn;
  for (const auto& op : ops) {
    EXPECT_NE(op.kind, Kind::Frame);  // the label's border is gone before the first paint
    if (op.kind == Kind::Picture && op.picture != ops[1].picture)
      drawn.emplace_back(op.rect, u"picture");
    if (op.kind == Kind::Text) drawn.emplace_back(op.rect, op.text);
  }
  using Drawn = std::vector<std::pair<forms::PixelRect, std::u16string>>;
  EXPECT_EQ(drawn, (Drawn{
                       {{42, 30, 492, 74}, u"picture"},    // title banner, stretched
                       {{200, 103, 335, 85}, u"picture"},  // status panel
                       {{43, 103, 159, 85}, u"picture"},   // up face
                       {{45, 174, 89, 73}, u"10"},
                       {{139, 204, 327, 24}, u"picture"},  // countdown notice
                       {{218, 121, 304, 66}, u"ZAVRO Fi 診斷系統\n已經啟動"},
                       {frm().Label1->pixelBounds(), frm().Label1->caption()},
                       {{43, 126, 159, 85}, u"關閉"},
                   }));
}

}  // namespace
