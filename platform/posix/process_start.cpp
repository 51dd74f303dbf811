// POSIX backend: starting a program with posix_spawn, never through a shell or a PATH search.
#include "platform/posix/process_start.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "forms/errors.h"
#include "platform/api.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/found_entry.h"
#include "platform/posix/held_spawn.h"
#include "platform/posix/start_helper.h"
#include "platform/posix/wine_drive.h"

namespace platform::posix {

namespace {

enum class Kind { Native, Script, Windows, Windows64 };

// The errors of the system calls that the start makes, as the classic runtime numbered them.
[[noreturn]] void raiseStartFailure(int error) {
  if (error == EACCES || error == EPERM) throw forms::err::permissionDenied();
  if (error == EMFILE || error == ENFILE) throw forms::err::tooManyFiles();
  if (error == ENOMEM) throw forms::err::outOfMemory();
  throw forms::err::invalidProcedureCall();
}

// The resolved entry's file, held from here on: the kind is read from it and, for a native
// program, it is the file that runs, whatever is renamed over its path meanwhile. O_PATH opens
// it without reading it, so neither a FIFO nor a device put there after the lookup can hold the
// launcher up, and an execute-only program can be held too.
Descriptor holdProgram(const std::string& path) {
  Descriptor held(open(path.c_str(), O_PATH | O_CLOEXEC));
  if (!held) {
    if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) throw forms::err::fileNotFound();
    raiseStartFailure(errno);
  }
  return held;
}

// Only a regular file can be a program; a folder is refused to run.
void checkProgramFile(const Descriptor& held) {
  struct stat st {};
  if (fstat(held.get(), &st) != 0) raiseStartFailure(errno);
  if (S_ISDIR(st.st_mode)) throw forms::err::permissionDenied();
  if (!S_ISREG(st.st_mode)) throw forms::err::fileNotFound();
}

// What the held file's first bytes make of it. Which host program runs it depends on this alone,
// as on Windows; the name's extension plays no part. It is read through /proc/self/fd, which
// opens the held file itself, not its path again. A file that may be run but not read (mode 711
// to another user) can only be a native program: Wine and an interpreter must read theirs, so it
// is started natively, and the system's exec says whether it may run.
Kind programKind(const Descriptor& held, const std::string& path) {
  std::string self = "/proc/self/fd/" + std::to_string(held.get());
  int fd = open(self.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0 && errno == ENOENT) {  // no /proc mounted: the path is all there is
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  }
  if (fd < 0) {
    if (errno == EACCES) return Kind::Native;
    if (errno == ENOENT || errno == ENXIO) throw forms::err::fileNotFound();
    raiseStartFailure(errno);
  }
  char head[4] = {};
  ssize_t length = read(fd, head, sizeof head);
  int error = errno;
  std::string_view magic(head, static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
  // A Windows program's architecture picks its start helper: read while the file is open.
  bool x64 = length >= 0 && magic.starts_with("MZ") && isX64Image(fd);
  close(fd);
  if (length < 0) raiseStartFailure(error);
  if (magic.starts_with("\177ELF")) return Kind::Native;
  if (magic.starts_with("#!")) return Kind::Script;
  if (magic.starts_with("MZ")) return x64 ? Kind::Windows64 : Kind::Windows;
  throw forms::err::invalidProcedureCall();
}

// The entry the start runs: the file a lookup with mask 0 admits, so that the program the lookup
// found is the program started; else a hidden or system file, which Windows starts as well; else
// a folder, which it refuses to run.
std::optional<DriveEntry> programEntry(std::u16string_view windowsPath) {
  for (int mask : {vbNormal, vbHidden | vbSystem, vbHidden | vbSystem | vbDirectory}) {
    if (auto entry = findEntry(windowsPath, mask)) return entry;
  }
  return std::nullopt;
}

bool isRunnableFile(const char* path) {
  struct stat st {};
  return stat(path, &st) == 0 && S_ISREG(st.st_mode) && access(path, X_OK) == 0;
}

// Waits for the child in the background so that it leaves no zombie while the launcher runs.
// Only this process id is waited for: whatever else handles children stays untouched.
void reapWhenDone(pid_t pid) {
  try {
    std::thread([pid] {
      while (waitpid(pid, nullptr, 0) == -1 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // The program runs already; without a waiter it stays a zombie only until the launcher ends.
  }
}

pid_t spawn(const char* program, char* const argv[], char* const envp[]) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Only stdin, stdout and stderr pass on: never the X connection or any other descriptor.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Signals start as a fresh program expects them (the host may ignore SIGPIPE or block some),
  // and a session of its own keeps the program running when the launcher's terminal goes.
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  // glibc reports a failed exec here (the child shares our memory until it has exec'd).
  int error = posix_spawn(&pid, program, &actions, &attributes, argv, envp);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) raiseStartFailure(error);
  reapWhenDone(pid);
  return pid;
}

// Our environment with WINEPREFIX naming the prefix whose drive held the program.
std::vector<std::string> wineEnvironment() {
  std::vector<std::string> variables;
  for (char** variable = environ; *variable; ++variable) {
    if (!std::string_view(*variable).starts_with("WINEPREFIX=")) variables.emplace_back(*variable);
  }
  variables.push_back("WINEPREFIX=" + winePrefix());
  return variables;
}

}  // namespace

double startProgram(std::u16string_view windowsPath, std::span<const char* const> wineLocations,
                    std::span<const std::string> helperFolders) {
  // The file the lookup found and holds; else (a start without a lookup of that path just
  // before) the entry resolved now, held from here on.
  std::optional<std::string> path;
  Descriptor held;
  if (std::optional<HeldEntry> found = takeFound(windowsPath)) {
    path = std::move(found->hostPath);
    held = std::move(found->file);
  } else {
    std::optional<DriveEntry> entry = programEntry(windowsPath);
    if (!entry) throw forms::err::fileNotFound();
    path = std::move(entry->hostPath);
    held = entry->file ? std::move(entry->file) : holdProgram(*path);
  }
  checkProgramFile(held);
  const Kind kind = programKind(held, *path);
  if (kind == Kind::Native) {
    char* argv[] = {path->data(), nullptr};
    pid_t pid = spawnHeld(held.get(), argv, environ);
    if (pid < 0) raiseStartFailure(errno);
    reapWhenDone(pid);
    return pid;
  }
  if (kind == Kind::Script) {
    // By its path: the kernel reads the "#!" line again, and the interpreter opens the script by
    // the path it is given, which the script also sees as $0.
    char* argv[] = {path->data(), nullptr};
    return spawn(path->c_str(), argv, environ);
  }
  auto wine = std::find_if(wineLocations.begin(), wineLocations.end(), isRunnableFile);
  if (wine == wineLocations.end()) throw forms::err::invalidProcedureCall();
  // Wine is given the host path of the very entry resolved here: given the Windows path, it
  // would resolve the letter case again and might pick another of several names. The helper,
  // when there is one, starts that entry hidden; it is our own file, run by Wine as it is.
  std::string wineCopy = *wine;
  std::optional<std::string> helper = findStartHelper(kind == Kind::Windows64, helperFolders);
  std::vector<char*> argv = {wineCopy.data()};
  if (helper) argv.push_back(helper->data());
  argv.push_back(path->data());
  argv.push_back(nullptr);
  std::vector<std::string> variables = wineEnvironment();
  std::vector<char*> envp;
  envp.reserve(variables.size() + 1);
  for (auto& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  return spawn(*wine, argv.data(), envp.data());
}

// The launcher's one window style is 0, start hidden: what the helper gives a Windows program.
double shell(std::u16string_view windowsPath, [[maybe_unused]] int windowStyle) {
  return startProgram(windowsPath, kWineLocations, startHelperFolders());
}

}  // namespace platform::posix
