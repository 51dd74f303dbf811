// POSIX backend: fork and execveat, since posix_spawn can only name a program by its path.
#include "platform/posix/held_spawn.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace platform::posix {

namespace {

// Only calls that are safe between fork and exec in a process with other threads: each is one
// system call. Every descriptor above stderr is marked close-on-exec, ours included.
[[noreturn]] void becomeProgram(int programFd, int reportFd, char* const argv[],
                                char* const envp[]) {
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) sigaction(signal, &byDefault, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  setsid();
  if (syscall(SYS_close_range, STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    // Before Linux 5.11: close what the process may hold, but the two descriptors still needed.
    for (int fd = STDERR_FILENO + 1; fd < 65536; ++fd) {
      if (fd != programFd && fd != reportFd) close(fd);
    }
  }
  syscall(SYS_execveat, programFd, "", argv, envp, AT_EMPTY_PATH);
  int error = errno;
  while (write(reportFd, &error, sizeof error) < 0 && errno == EINTR) {
  }
  _exit(127);
}

}  // namespace

pid_t spawnHeld(int programFd, char* const argv[], char* const envp[]) {
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) becomeProgram(programFd, report[1], argv, envp);
  int forkError = errno;
  close(report[1]);
  if (pid < 0) {
    close(report[0]);
    errno = forkError;
    return -1;
  }
  // The report's write end closes on a successful exec, so the read ends at once with nothing.
  int error = 0;
  ssize_t length = 0;
  while ((length = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  if (length <= 0) return pid;
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  errno = error;
  return -1;
}

}  // namespace platform::posix
