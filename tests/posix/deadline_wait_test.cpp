#include "platform/posix/deadline_wait.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <thread>

using platform::posix::DeadlineWait;
using platform::posix::tickClockNs;

namespace {

constexpr std::int64_t kMs = 1'000'000;

struct Pipe {
  int ends[2] = {-1, -1};
  Pipe() { EXPECT_EQ(pipe(ends), 0); }
  ~Pipe() {
    close(ends[0]);
    close(ends[1]);
  }
};

TEST(DeadlineWait, EndsAtTheDeadlineOrWhenTheDescriptorHasData) {
  Pipe quiet;
  DeadlineWait wait;
  std::int64_t begin = tickClockNs();
  wait.wait(quiet.ends[0], begin + 50 * kMs);
  EXPECT_GE(tickClockNs(), begin + 50 * kMs);
  // A deadline already passed ends the wait at once, however long ago it was.
  begin = tickClockNs();
  wait.wait(quiet.ends[0], begin - 5000 * kMs);
  wait.wait(quiet.ends[0], 0);
  EXPECT_LT(tickClockNs() - begin, 1000 * kMs);
  // Data ends a wait without a deadline.
  ASSERT_EQ(write(quiet.ends[1], "x", 1), 1);
  wait.wait(quiet.ends[0], std::nullopt);
}

TEST(DeadlineWait, AProcessStoppedPastItsDeadlineGoesOnAtOnce) {
  // A child waits for two seconds from its start; it is stopped at 0.2 s and continued at 3 s.
  // Waiting on the time that was left when it stopped, it would end at 4.8 s.
  Pipe quiet;
  const std::int64_t deadline = tickClockNs() + 2000 * kMs;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    DeadlineWait wait;
    while (tickClockNs() < deadline) wait.wait(quiet.ends[0], deadline);
    _exit(0);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  kill(child, SIGSTOP);
  std::this_thread::sleep_for(std::chrono::milliseconds(2800));
  std::int64_t continued = tickClockNs();
  kill(child, SIGCONT);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  std::int64_t late = tickClockNs() - continued;
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_LT(late, 1000 * kMs) << "ended " << late / kMs << " ms after it was continued";
}

}  // namespace
