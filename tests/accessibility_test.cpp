// The accessibility view: the launcher's window as a screen reader finds it on the headless
// host, and the general rules on small forms of their own.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "forms/accessibility.h"
#include "platform/headless/host.h"

namespace {

using forms::AccessibleNode;
using forms::AccessibleRole;
using forms::PixelRect;
using platform::headless::Host;

constexpr char16_t kPath[] = u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe";

class LauncherViewTest : public ::testing::Test {
 protected:
  Host host;
  std::unique_ptr<app::Launcher> launcher;

  ui::LOMA_Frm& frm() { return launcher->form(); }
  void start() {
    launcher = std::make_unique<app::Launcher>(host);
    host.deliver([&] { launcher->load(); });
  }
  std::vector<AccessibleNode> nodes() { return forms::accessibleNodes(frm()); }
  AccessibleNode button() {
    for (auto& n : nodes())
      if (n.role == AccessibleRole::PushButton) return n;
    ADD_FAILURE() << "no push button";
    return {};
  }
  std::vector<std::u16string> countdownChanges() {
    std::vector<std::u16string> names;
    for (const auto& change : host.reportedNameChanges())
      if (change.control == frm().ShowEndTime) names.push_back(change.name);
    return names;
  }
};

// The window lies at 674,7 on the headless host's 1920-pixel screen.
TEST_F(LauncherViewTest, FoundStateReadsTopToBottom) {
  host.drive.addFile(kPath);
  start();
  auto view = nodes();
  ASSERT_EQ(view.size(), 6u);
  auto& f = frm();
  EXPECT_EQ(view[0].control, f.Image1);
  EXPECT_EQ(view[0].role, AccessibleRole::Graphic);
  EXPECT_EQ(view[0].name, u"ZAVRO Fi 診斷系統啓動器");
  EXPECT_EQ(view[0].bounds, (PixelRect{674 + 42, 7 + 30, 492, 74}));

  // The caption label and its face are one button, over both rectangles.
  EXPECT_EQ(view[1].control, &f.ComBT(0));
  EXPECT_EQ(view[1].role, AccessibleRole::PushButton);
  EXPECT_EQ(view[1].name, u"關閉");
  EXPECT_TRUE(view[1].hasDefaultAction);
  EXPECT_EQ(view[1].bounds, (PixelRect{674 + 43, 7 + 103, 159, 108}));

  // The status: its line feed read as a space; the one node read out when the window shows.
  EXPECT_EQ(view[2].control, f.MSg);
  EXPECT_EQ(view[2].role, AccessibleRole::StaticText);
  EXPECT_EQ(view[2].name, u"ZAVRO Fi 診斷系統 已經啟動");
  EXPECT_EQ(view[2].bounds, (PixelRect{674 + 218, 7 + 121, 304, 66}));
  EXPECT_TRUE(view[2].announced);

  EXPECT_EQ(view[3].control, f.ShowEndTime);
  EXPECT_EQ(view[3].name, u"10");
  EXPECT_EQ(view[3].bounds, (PixelRect{674 + 45, 7 + 174, 89, 73}));
  EXPECT_FALSE(view[3].hasDefaultAction);
  EXPECT_EQ(view[4].control, f.Label1);
  EXPECT_EQ(view[4].name, f.Label1->caption());
  EXPECT_EQ(view[5].control, f.Image2);
  EXPECT_EQ(view[5].role, AccessibleRole::Graphic);
  EXPECT_EQ(view[5].name, u"時間倒數到 0 關閉啓動器");
  EXPECT_EQ(view[5].bounds, (PixelRect{674 + 139, 7 + 204, 327, 24}));
  for (std::size_t i = 0; i < view.size(); ++i) {
    if (i != 2) {
      EXPECT_FALSE(view[i].announced) << i;
    }
  }

  // Decoration (the status panel's face), the hidden picture box and its faces, the timer.
  for (const forms::Control* absent : {static_cast<const forms::Control*>(f.Image3),
                                       static_cast<const forms::Control*>(f.Picture1),
                                       static_cast<const forms::Control*>(&f.sBT0(0)),
                                       static_cast<const forms::Control*>(&f.sBT0(1)),
                                       static_cast<const forms::Control*>(&f.BasePic(0)),
                                       static_cast<const forms::Control*>(f.Timer1)})
    EXPECT_EQ(forms::nodeIndexOf(view, absent), -1) << absent->name();
}

TEST_F(LauncherViewTest, NotFoundStateNamesTheMissingSystem) {
  start();
  auto view = nodes();
  ASSERT_EQ(view.size(), 6u);
  EXPECT_EQ(view[2].control, frm().MSg);
  EXPECT_EQ(view[2].name, u"未發現 診斷系統");
  EXPECT_EQ(view[2].bounds, (PixelRect{674 + 218, 7 + 137, 304, 66}));
}

// A screen reader asks for the node at a point (mouse review): the frontmost control there, in
// the order the mouse finds them, never merely the first node in reading order whose rectangle
// holds the point.
TEST_F(LauncherViewTest, HitTestAnswersTheFrontmostControl) {
  host.screenWidthTwips = 1280 * forms::kTwipsPerPixel;  // the window at 354,7
  start();
  auto& f = frm();
  auto view = nodes();
  auto at = [&](int x, int y) -> const forms::Control* {
    int i = forms::nodeAt(f, view, x, y);
    return i < 0 ? nullptr : view[static_cast<std::size_t>(i)].control;
  };
  PixelRect status = view[static_cast<std::size_t>(forms::nodeIndexOf(view, f.MSg))].bounds;
  PixelRect credit = view[static_cast<std::size_t>(forms::nodeIndexOf(view, f.Label1))].bounds;
  ASSERT_EQ(status.x, 354 + 218);
  // The credit line lies inside the status label's rectangle, in front of it.
  EXPECT_TRUE(status.contains(745, 203));
  // 745,203 is its middle with the real fonts; the headless host measures text its own way.
  EXPECT_TRUE(credit.contains(745, 203));
  EXPECT_EQ(at(745, 203), f.Label1);
  EXPECT_EQ(at(credit.x + credit.width / 2, credit.y + credit.height / 2), f.Label1);
  // Where only the status lies, the status; the countdown notice and the banner likewise.
  EXPECT_EQ(at(status.x + 5, status.y + 5), f.MSg);
  EXPECT_EQ(at(354 + 139 + 160, 7 + 204 + 12), f.Image2);
  EXPECT_EQ(at(354 + 42 + 250, 7 + 30 + 37), f.Image1);
  // The button's face is drawn as part of the button: both answer the button.
  for (const PixelRect& r : {f.ComBT(0).pixelBounds(), f.BasePic(0).pixelBounds()})
    EXPECT_EQ(at(354 + r.x + r.width / 2, 7 + r.y + r.height / 2), &f.ComBT(0));
  // Off the window, or on bare backdrop, nothing.
  EXPECT_EQ(at(353, 100), nullptr);
  EXPECT_EQ(at(354 + 5, 7 + 5), nullptr);
}

TEST_F(LauncherViewTest, EachTickReportsTheNewCountButNeverTheLast) {
  start();
  host.tick();
  auto view = nodes();
  EXPECT_EQ(view[forms::nodeIndexOf(view, frm().ShowEndTime)].name, u"9");
  EXPECT_EQ(countdownChanges(), std::vector<std::u16string>{u"9"});
  for (int i = 0; i < 10; ++i) host.tick();
  EXPECT_TRUE(host.ended());
  // The eleventh tick writes "-1" and ends the program in the same handler: never reported.
  EXPECT_EQ(countdownChanges(), (std::vector<std::u16string>{u"9", u"8", u"7", u"6", u"5", u"4",
                                                             u"3", u"2", u"1", u"0"}));
}

TEST_F(LauncherViewTest, DefaultActionIsAClickRunFromTheEventLoop) {
  start();
  // Spies around the launcher's own handlers: the same path as a real click.
  std::vector<std::string> seen;
  auto& label = frm().ComBT(0);
  label.onMouseDown = [&, inner = label.onMouseDown](forms::Control& c,
                                                     const forms::MouseEvent& e) {
    seen.emplace_back(e.button == forms::MouseButton::Left ? "down" : "down?");
    inner(c, e);
  };
  label.onMouseUp = [&, inner = label.onMouseUp](forms::Control& c, const forms::MouseEvent& e) {
    seen.emplace_back("up");
    inner(c, e);
  };
  label.onClick = [&, inner = label.onClick](forms::Control& c) {
    seen.emplace_back("click");
    inner(c);
  };
  auto node = button();
  host.deliver([&] { forms::doDefaultAction(frm(), node); });
  // The client's call has returned and nothing has run yet.
  EXPECT_FALSE(host.ended());
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(host.postedSignals(), 1);
  host.runPosted();
  EXPECT_EQ(seen, (std::vector<std::string>{"down", "up", "click"}));
  EXPECT_TRUE(host.ended());
  EXPECT_EQ(host.exitCode(), 0);
}

// ---- The rules on forms of their own ------------------------------------------------------

class ViewRulesTest : public ::testing::Test {
 protected:
  Host host;
  forms::Form form;
  void SetUp() override {
    form.setWidth(3000);  // 200 x 100 pixels at 150, 60
    form.setHeight(1500);
    form.setLeft(2250);
    form.setTop(900);
    host.attach(form);
  }
  forms::Label& label(const std::u16string& caption, forms::Twips left, forms::Twips top) {
    auto& l = form.add<forms::Label>(form, "L" + std::to_string(form.controls().size()));
    l.setCaption(caption);
    l.move(left, top, 600, 300);
    return l;
  }
};

TEST_F(ViewRulesTest, OnlyWhatCanBeSeenIsRead) {
  label(u"shown", 0, 0);
  label(u"hidden", 0, 300).setVisible(false);
  label(u"below", 0, 1500);        // starts at the client area's bottom edge
  label(u"left of it", -600, 0);   // ends at its left edge
  label(u"half out", 2700, 1200);  // only its visible part counts
  auto& box = form.add<forms::PictureBox>(form, "Box");
  box.move(1500, 0, 900, 900);
  box.setBorderStyle(forms::BorderStyle::None);
  auto& inner = form.add<forms::Label>(box, "Inner");
  inner.setCaption(u"inside");
  inner.move(0, 0, 300, 300);
  auto& plain = form.add<forms::Image>(form, "Plain");
  plain.move(0, 600, 300, 300);
  auto& described = form.add<forms::Image>(form, "Described");
  described.move(300, 600, 300, 300);
  described.setAccessible({u"a picture", "", false});

  auto names = [&] {
    std::vector<std::u16string> out;
    for (const auto& n : forms::accessibleNodes(form)) out.push_back(n.name);
    return out;
  };
  EXPECT_EQ(names(), (std::vector<std::u16string>{u"shown", u"inside", u"a picture", u"half out"}));
  auto view = forms::accessibleNodes(form);
  EXPECT_EQ(view.back().bounds, (PixelRect{150 + 180, 60 + 80, 20, 20}));
  EXPECT_EQ(view[2].role, AccessibleRole::Graphic);
  box.setVisible(false);
  EXPECT_EQ(names(), (std::vector<std::u16string>{u"shown", u"a picture", u"half out"}));
}

TEST_F(ViewRulesTest, LineBreaksReadAsOneSpaceAndClickHandlersMakeButtons) {
  auto& text = label(u"one\r\ntwo\nthree\rfour", 0, 0);
  auto& go = label(u"Go", 0, 600);
  int clicks = 0;
  go.onClick = [&](forms::Control&) { ++clicks; };
  auto view = forms::accessibleNodes(form);
  ASSERT_EQ(view.size(), 2u);
  EXPECT_EQ(view[0].name, u"one two three four");
  EXPECT_EQ(view[0].role, AccessibleRole::StaticText);
  EXPECT_EQ(view[1].role, AccessibleRole::PushButton);

  // A held mouse button owns the pointer: the default action waits for nobody and does nothing.
  host.press(forms::MouseButton::Left, 10, 10);
  forms::doDefaultAction(form, view[1]);
  host.runPosted();
  EXPECT_EQ(clicks, 0);
  host.release(forms::MouseButton::Left, 10, 10);
  forms::doDefaultAction(form, view[1]);
  forms::doDefaultAction(form, view[0]);  // static text has no action
  host.runPosted();
  EXPECT_EQ(clicks, 1);

  // A name change is reported once per event, after it.
  std::size_t before = host.reportedNameChanges().size();
  host.deliver([&] {
    text.setCaption(u"a");
    text.setCaption(u"b");
    text.setCaption(u"b");
  });
  ASSERT_EQ(host.reportedNameChanges().size(), before + 1);
  EXPECT_EQ(host.reportedNameChanges().back().control, &text);
  EXPECT_EQ(host.reportedNameChanges().back().name, u"b");
}

}  // namespace

namespace {

// Decoration in front lets the point through; a child window covers what lies behind it.
TEST_F(ViewRulesTest, HitTestFollowsTheStackingPastDecoration) {
  auto& back = label(u"back", 0, 0);
  auto& front = label(u"front", 300, 0);  // added later: in front, over the right half of "back"
  back.move(0, 0, 900, 300);
  auto& veil = form.add<forms::Image>(form, "Veil");  // no description: decoration, frontmost
  veil.move(0, 0, 900, 300);
  auto& box = form.add<forms::PictureBox>(form, "Box");
  box.setBorderStyle(forms::BorderStyle::None);
  box.move(0, 600, 900, 600);
  label(u"under the box", 0, 600).bringToFront();  // a child window still lies above it
  auto view = forms::accessibleNodes(form);
  auto at = [&](int x, int y) -> std::u16string {
    int i = forms::nodeAt(form, view, 150 + x, 60 + y);
    return i < 0 ? u"-" : view[static_cast<std::size_t>(i)].name;
  };
  EXPECT_EQ(at(5, 5), u"back");
  EXPECT_EQ(at(30, 5), u"front");
  front.bringToFront();
  back.bringToFront();
  view = forms::accessibleNodes(form);
  EXPECT_EQ(at(30, 5), u"back");
  EXPECT_EQ(at(5, 50), u"-");  // the box is decoration, and it hides the label behind it
  EXPECT_EQ(at(-1, 5), u"-");
}

}  // namespace
