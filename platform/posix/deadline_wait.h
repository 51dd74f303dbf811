// POSIX backend: waiting for a descriptor until an absolute point on the monotonic clock.
#pragma once

#include <poll.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::posix {

// The deadline is a point in time, not a span: a process stopped (SIGSTOP, a debugger) past its
// deadline finds it passed the moment it runs again, where a relative timeout would be restarted
// by the kernel for the time that was still left when it stopped.
class DeadlineWait {
 public:
  DeadlineWait();
  ~DeadlineWait();
  DeadlineWait(const DeadlineWait&) = delete;
  DeadlineWait& operator=(const DeadlineWait&) = delete;

  // Returns when `fd` has something to read, or once CLOCK_MONOTONIC reaches `deadlineNs`
  // (never, when there is none), or when a signal interrupts the wait.
  void wait(int fd, std::optional<std::int64_t> deadlineNs);
  // The same for several descriptors; each one's revents tells what it has.
  void wait(std::vector<pollfd>& fds, std::optional<std::int64_t> deadlineNs);

 private:
  int timer_ = -1;  // a timerfd armed with an absolute expiry
};

// CLOCK_MONOTONIC in nanoseconds.
std::int64_t monotonicNs();

}  // namespace platform::posix
