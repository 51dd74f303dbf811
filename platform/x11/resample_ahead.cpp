// X11 backend: implements the shared resampling declared in resample_ahead.h.
#include "platform/x11/resample_ahead.h"

#include <system_error>

namespace platform::x11 {

ResampleAhead::ResampleAhead(std::vector<Job> jobs)
    : jobs_(std::move(jobs)), states_(jobs_.size(), State::Waiting) {
  // Without a second thread the paint stretches every picture itself, as it meets them.
  try {
    thread_ = std::thread([this] { work(); });
  } catch (const std::system_error&) {
  }
}

// The second thread goes through every job, so each target is whole once it has ended, whether
// or not the paint reached it.
ResampleAhead::~ResampleAhead() {
  if (thread_.joinable())
    thread_.join();
  else
    work();
}

void ResampleAhead::work() {
  for (std::size_t i = jobs_.size(); i-- > 0;) claimAndRun(i);
}

bool ResampleAhead::claimAndRun(std::size_t i) {
  {
    std::lock_guard lock(mutex_);
    if (states_[i] != State::Waiting) return false;
    states_[i] = State::Running;
  }
  resample(jobs_[i].source, jobs_[i].target);
  jobs_[i].keep.reset();  // only this thread touches the job now
  {
    std::lock_guard lock(mutex_);
    states_[i] = State::Done;
  }
  done_.notify_all();
  return true;
}

void ResampleAhead::finish(const unsigned char* target) {
  for (std::size_t i = 0; i < jobs_.size(); ++i) {
    if (jobs_[i].target.data != target) continue;
    if (claimAndRun(i)) return;
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return states_[i] == State::Done; });
    return;
  }
}

}  // namespace platform::x11
