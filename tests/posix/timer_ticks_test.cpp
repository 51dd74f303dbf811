#include "platform/posix/timer_ticks.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "forms/form.h"

namespace {

constexpr std::int64_t kSecond = 1'000'000'000;
// Boot time goes on while the machine sleeps; monotonic time stands still.
std::int64_t boot = 100 * kSecond, monotonic = 40 * kSecond;
std::int64_t readTestClock(clockid_t clock) {
  return clock == CLOCK_BOOTTIME ? boot : clock == CLOCK_MONOTONIC ? monotonic : -1;
}

TEST(TimerTicks, TicksThatFellDueDuringASuspendComeAtOnceOnResume) {
  forms::Form form;
  auto& timer = form.add<forms::Timer>(form, "Timer1");
  timer.setInterval(1000);
  int ticks = 0;
  timer.onTimer = [&](forms::Timer&) { ++ticks; };
  platform::posix::TimerTicks schedule(timer, readTestClock);
  boot += 2 * kSecond + kSecond / 2;
  monotonic += 2 * kSecond + kSecond / 2;
  schedule.deliverDue();
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(schedule.nextDueNs(), 103 * kSecond);
  boot += 5 * kSecond;  // asleep for five seconds
  schedule.deliverDue();
  EXPECT_EQ(ticks, 7);
  // A late tick does not push the next one back, and a stopped timer has no next tick.
  EXPECT_EQ(schedule.nextDueNs(), 108 * kSecond);
  timer.setEnabled(false);
  boot += 10 * kSecond;
  schedule.deliverDue();
  EXPECT_EQ(ticks, 7);
  EXPECT_EQ(schedule.nextDueNs(), std::nullopt);
}

}  // namespace
