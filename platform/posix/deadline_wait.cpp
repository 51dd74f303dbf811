// POSIX backend: waiting for a descriptor until an absolute point on the tick clock.
#include "platform/posix/deadline_wait.h"

#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

namespace platform::posix {

namespace {

timespec toTimespec(std::int64_t ns) {
  return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

}  // namespace

std::int64_t readClockNs(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

DeadlineWait::DeadlineWait() : timer_(timerfd_create(kTickClock, TFD_CLOEXEC | TFD_NONBLOCK)) {}

DeadlineWait::~DeadlineWait() {
  if (timer_ >= 0) close(timer_);
}

void DeadlineWait::wait(int fd, std::optional<std::int64_t> deadlineNs) {
  std::vector<pollfd> fds{{fd, POLLIN, 0}};
  wait(fds, deadlineNs);
}

void DeadlineWait::wait(std::vector<pollfd>& fds, std::optional<std::int64_t> deadlineNs) {
  if (timer_ < 0) {
    // No timer descriptor to be had: a relative timeout, which is late only after a stop.
    timespec left = toTimespec(std::max<std::int64_t>(0, deadlineNs.value_or(0) - tickClockNs()));
    ppoll(fds.data(), fds.size(), deadlineNs ? &left : nullptr, nullptr);
    return;
  }
  // An expiry of zero would disarm the timer: a deadline at or before the clock's start is due.
  itimerspec expiry{};
  if (deadlineNs) expiry.it_value = toTimespec(std::max<std::int64_t>(1, *deadlineNs));
  timerfd_settime(timer_, TFD_TIMER_ABSTIME, &expiry, nullptr);
  fds.push_back({timer_, POLLIN, 0});
  poll(fds.data(), fds.size(), -1);
  if (fds.back().revents & POLLIN) {
    std::uint64_t expirations = 0;
    [[maybe_unused]] ssize_t n = read(timer_, &expirations, sizeof expirations);
  }
  fds.pop_back();
}

}  // namespace platform::posix
