// Linux desktop, for both hosts: the wait at the bottom of the event loop (see loop_wait.h).
#include "platform/linux/loop_wait.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/posix/start_watch.h"

namespace platform::desktop {

short waitInLoop(posix::DeadlineWait& wait, int displayFd,
                 const std::optional<posix::TimerTicks>& ticks, AccessibilityBridge* a11y,
                 bool counting) {
  std::optional<std::int64_t> deadline;
  if (ticks) deadline = ticks->nextDueNs();
  std::vector<pollfd> fds{{displayFd, POLLIN, 0}};
  if (int failures = posix::laterFailureDescriptor(); failures >= 0 && counting)
    fds.push_back({failures, POLLIN, 0});
  if (a11y) {
    std::int64_t glibMs = a11y->prepare(fds);
    if (glibMs >= 0) {
      std::int64_t glibDue = posix::tickClockNs() + glibMs * 1'000'000;
      deadline = deadline ? std::min(*deadline, glibDue) : glibDue;
    }
  }
  wait.wait(fds, deadline);
  if (a11y) a11y->dispatch(fds);
  return fds[0].revents;
}

void reportLaterStartFailure(bool counting, platform::Host& host) {
  // The start of the found program failed after it had returned: reported as the start's own
  // error would have been, though the countdown has begun.
  if (!counting) return;
  if (std::optional<int> code = posix::takeLaterFailure())
    host.reportUnhandled(laterStartFailure(*code));
}

}  // namespace platform::desktop
