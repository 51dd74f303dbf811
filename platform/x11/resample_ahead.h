// X11 backend: the rasters a paint is about to stretch, shared out between the painting thread
// and a second one. The second takes them from the last drawn backwards; the paint, meeting each
// in its own order, stretches it itself if the second has not begun it, else waits for it. On two
// cores the first frame's resampling takes about half as long.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/x11/resample.h"

namespace platform::x11 {

class ResampleAhead {
 public:
  struct Job {
    Raster source, target;
    std::shared_ptr<cairo_surface_t>
        keep;  // the source, when nobody else keeps it: dropped once stretched
  };
  // Starts on the jobs at once. Their pixels must stay in place while this object lives.
  explicit ResampleAhead(std::vector<Job> jobs);
  // Waits for the second thread to end: every target is then whole.
  ~ResampleAhead();
  ResampleAhead(const ResampleAhead&) = delete;
  ResampleAhead& operator=(const ResampleAhead&) = delete;

  // Once this returns, the target with these pixels holds its picture; nothing is done for
  // pixels that no job writes.
  void finish(const unsigned char* target);

 private:
  enum class State { Waiting, Running, Done };
  void work();
  // Runs job i here if nobody has begun it; true if it did.
  bool claimAndRun(std::size_t i);

  std::mutex mutex_;
  std::condition_variable done_;
  std::vector<Job> jobs_;
  std::vector<State> states_;
  std::thread thread_;
};

}  // namespace platform::x11
