// POSIX backend: waiting for a descriptor until an absolute point on the tick clock.
#pragma once

#include <poll.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <vector>

namespace platform::posix {

// The clock that timer ticks count on: boot time, which goes on while the machine is suspended,
// as the Windows program's performance counter does.
constexpr clockid_t kTickClock = CLOCK_BOOTTIME;

// Nanoseconds on a clock, as clock_gettime reads them.
std::int64_t readClockNs(clockid_t clock);
inline std::int64_t tickClockNs() {
  return readClockNs(kTickClock);
}

// The deadline is a point in time, not a span: a process stopped (SIGSTOP, a debugger) past its
// deadline finds it passed the moment it runs again, where a relative timeout would be restarted
// by the kernel for the time that was still left when it stopped.
class DeadlineWait {
 public:
  DeadlineWait();
  ~DeadlineWait();
  DeadlineWait(const DeadlineWait&) = delete;
  DeadlineWait& operator=(const DeadlineWait&) = delete;

  // Returns when `fd` has something to read, or once kTickClock reaches `deadlineNs`
  // (never, when there is none), or when a signal interrupts the wait.
  void wait(int fd, std::optional<std::int64_t> deadlineNs);
  // The same for several descriptors; each one's revents tells what it has.
  void wait(std::vector<pollfd>& fds, std::optional<std::int64_t> deadlineNs);

 private:
  int timer_ = -1;  // a timerfd armed with an absolute expiry
};

}  // namespace platform::posix
