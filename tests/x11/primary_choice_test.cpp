// The monitor the launcher centres on, from the lists a server's RandR and Xinerama give.
#include <gtest/gtest.h>

#include "platform/x11/primary_choice.h"

namespace {

using forms::PixelRect;
using platform::x11::choosePrimary;
using platform::x11::MonitorLists;
using platform::x11::RandrMonitor;

constexpr PixelRect kScreen{0, 0, 3200, 1080};
constexpr PixelRect kLeft{0, 0, 1280, 1024};
constexpr PixelRect kRight{1280, 0, 1920, 1080};

TEST(PrimaryMonitor, RandrsPrimaryWhereverItIs) {
  EXPECT_EQ(choosePrimary({kScreen, {{{kLeft, false}, {kRight, true}}}, {}}), kRight);
  EXPECT_EQ(choosePrimary({kScreen, {{{kRight, true}, {kLeft, false}}}, {kLeft, kRight}}), kRight);
  EXPECT_EQ(choosePrimary({kScreen, {{{kLeft, true}, {kRight, false}}}, {kRight, kLeft}}), kLeft);
}

TEST(PrimaryMonitor, WithoutAPrimaryTheOneAtTheOriginAsOnWindows) {
  // Listed second: the order does not decide while one starts at 0,0.
  EXPECT_EQ(choosePrimary({kScreen, {{{kRight, false}, {kLeft, false}}}, {}}), kLeft);
  EXPECT_EQ(choosePrimary({kScreen, {{{kLeft, false}, {kRight, false}}}, {kLeft, kRight}}), kLeft);
  // None at the origin (a screen laid out from -1280): the first listed.
  PixelRect west{-1280, 0, 1280, 1024}, east{0, 200, 1920, 1080};
  EXPECT_EQ(choosePrimary({kScreen, {{{west, false}, {east, false}}}, {}}), west);
}

TEST(PrimaryMonitor, XineramasHeadZeroWhereRandrKnowsFewerOrNothing) {
  // Xephyr's +xinerama: RandR sees one monitor over the whole screen, Xinerama two heads.
  EXPECT_EQ(choosePrimary({kScreen, {{{kScreen, false}}}, {kLeft, kRight}}), kLeft);
  EXPECT_EQ(choosePrimary({kScreen, {{{kScreen, true}}}, {kRight, kLeft}}), kRight);
  // No RandR 1.5 at all, or a RandR list with nothing of any size in it.
  EXPECT_EQ(choosePrimary({kScreen, std::nullopt, {kLeft, kRight}}), kLeft);
  EXPECT_EQ(choosePrimary({kScreen, {{{{0, 0, 0, 0}, true}}}, {kRight}}), kRight);
}

TEST(PrimaryMonitor, TheWholeScreenWhenNothingNamesAMonitor) {
  EXPECT_EQ(choosePrimary({kScreen, std::nullopt, {}}), kScreen);
  EXPECT_EQ(choosePrimary({kScreen, std::vector<RandrMonitor>{}, {}}), kScreen);
  // A disabled output still listed, without an area, is skipped.
  EXPECT_EQ(choosePrimary({kScreen, {{{{0, 0, 0, 0}, true}, {kRight, false}}}, {}}), kRight);
}

}  // namespace
