// POSIX backend: a form timer's ticks, counted on the clock that goes on across a suspend.
//
// Tick k falls due at the window's creation + k intervals on boot time (CLOCK_BOOTTIME), which,
// like the performance counter the Windows program counts with, goes on while the machine
// sleeps: after a resume every tick that fell due meanwhile is delivered at once, in order, and
// a countdown ends as it would have. CLOCK_MONOTONIC stops during a suspend, and the count would
// go on from where it stopped.
#pragma once

#include <cstdint>
#include <optional>

#include "forms/control.h"
#include "forms/tick_schedule.h"
#include "platform/posix/deadline_wait.h"

namespace platform::posix {

// Nanoseconds on a clock, as clock_gettime reads them; a test gives its own. A plain function:
// a std::function would put its target's type name ("FliE") into the program file.
using ClockReader = std::int64_t (*)(clockid_t);

class TimerTicks {
 public:
  // The schedule starts now.
  explicit TimerTicks(forms::Timer& timer, ClockReader clock = readClockNs);

  // Each tick that has fallen due, late ones too, one after another; whether any was.
  bool deliverDue();
  // When the next tick falls due, in nanoseconds on kTickClock; none while the timer is off.
  [[nodiscard]] std::optional<std::int64_t> nextDueNs() const;

 private:
  [[nodiscard]] std::int64_t nowMs() const;

  forms::Timer& timer_;
  ClockReader clock_;
  forms::TickSchedule schedule_;
};

}  // namespace platform::posix
