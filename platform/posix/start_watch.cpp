// POSIX backend: the reaper of started programs and the pipe of later failures.
#include "platform/posix/start_watch.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>
#include <thread>

namespace platform::posix {

namespace {

// Made on the launcher's one thread, by the first watched start; never closed: the reapers may
// write until the process ends.
std::array<int, 2> reportPipe{-1, -1};

void openReportPipe() {
  if (reportPipe[0] >= 0) return;
  std::array<int, 2> ends{};
  if (pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) == 0) reportPipe = ends;
}

int exitCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 0;
}

}  // namespace

void reapWhenDone(pid_t pid, bool watched) {
  if (watched) openReportPipe();
  const int report = watched ? reportPipe[1] : -1;
  try {
    // Only this process id is waited for: whatever else handles children stays untouched.
    std::thread([pid, report] {
      int status = 0;
      pid_t done = 0;
      while ((done = waitpid(pid, &status, 0)) == -1 && errno == EINTR) {
      }
      int code = done == pid ? exitCode(status) : 0;
      if (report < 0 || code == 0) return;
      // One int, far below PIPE_BUF: written whole or not at all.
      while (write(report, &code, sizeof code) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // Swallowed: the program runs already; without a waiter it stays a zombie only until the
    // launcher ends, and its failure, if any, goes untold, as every failure of a started program on
    // Windows.
  }
}

int laterFailureDescriptor() {
  return reportPipe[0];
}

std::optional<int> takeLaterFailure() {
  int code = 0;
  if (reportPipe[0] < 0 || read(reportPipe[0], &code, sizeof code) != sizeof code)
    return std::nullopt;
  return code;
}

}  // namespace platform::posix
