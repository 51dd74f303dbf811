// POSIX backend: a form timer's ticks on boot time (see timer_ticks.h).
#include "platform/posix/timer_ticks.h"

namespace platform::posix {

TimerTicks::TimerTicks(forms::Timer& timer, ClockReader clock)
    : timer_(timer), clock_(clock), schedule_(nowMs(), timer.interval()) {}

std::int64_t TimerTicks::nowMs() const {
  return clock_(kTickClock) / 1'000'000;
}

bool TimerTicks::deliverDue() {
  bool delivered = false;
  while (timer_.enabled() && schedule_.due(nowMs())) {
    schedule_.advance();
    delivered = true;
    if (timer_.onTimer) timer_.onTimer(timer_);
  }
  return delivered;
}

std::optional<std::int64_t> TimerTicks::nextDueNs() const {
  if (!timer_.enabled()) return std::nullopt;
  return schedule_.nextDue() * 1'000'000;
}

}  // namespace platform::posix
