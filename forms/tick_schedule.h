// When a timer's ticks fall due: tick k at start + k * interval, on an absolute schedule, so a
// late tick is delivered late but no drift accumulates.
#pragma once

#include <cstdint>

namespace forms {

class TickSchedule {
 public:
  TickSchedule(std::int64_t startMs, int intervalMs) : start_(startMs), interval_(intervalMs) {}
  [[nodiscard]] std::int64_t nextDue() const { return start_ + (ticks_ + 1) * interval_; }
  [[nodiscard]] bool due(std::int64_t nowMs) const { return interval_ > 0 && nowMs >= nextDue(); }
  void advance() { ++ticks_; }
  [[nodiscard]] std::int64_t ticks() const { return ticks_; }

 private:
  std::int64_t start_;
  std::int64_t interval_;
  std::int64_t ticks_ = 0;
};

}  // namespace forms
