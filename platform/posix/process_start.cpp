// POSIX backend: starting a program with posix_spawn, never through a shell or a PATH search.
#include "platform/posix/process_start.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "forms/errors.h"
#include "platform/api.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/start_helper.h"
#include "platform/posix/start_watch.h"
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

// The resolved entry's file, held while the start reads its kind. O_PATH opens it without
// reading it, so neither a FIFO nor a device put there after the lookup can hold the launcher
// up, and an execute-only program can be held too.
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
  struct stat st = {};
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

// Starts `program` and returns its process id, or the error of the start: glibc reports a failed
// exec here (the child shares our memory until it has exec'd).
int spawn(const char* program, char* const argv[], char* const envp[], pid_t& pid) {
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
  int error = posix_spawn(&pid, program, &actions, &attributes, argv, envp);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

// What is missing to start a Windows program: one line to the user, then error 5 as Windows
// raises it for a program of a kind it cannot run.
[[noreturn]] void raiseWineMissing(const std::string& reason) {
  std::fprintf(stderr, "loma: %s\n", reason.c_str());
  std::fflush(stderr);
  throw forms::err::invalidProcedureCall();
}

// Our environment with WINEPREFIX naming the prefix whose drive held the program, and the
// loader's variables where ours has none of that name, as Debian's script sets them.
std::vector<std::string> wineEnvironment(const std::vector<std::string>& loaderDefaults) {
  auto nameOf = [](std::string_view variable) { return variable.substr(0, variable.find('=')); };
  std::vector<std::string> variables;
  for (char** variable = environ; *variable; ++variable) {
    if (nameOf(*variable) != "WINEPREFIX") variables.emplace_back(*variable);
  }
  for (const std::string& fallback : loaderDefaults) {
    if (std::ranges::none_of(variables, [&](const std::string& variable) {
          return nameOf(variable) == nameOf(fallback);
        }))
      variables.push_back(fallback);
  }
  variables.push_back("WINEPREFIX=" + winePrefix());
  return variables;
}

}  // namespace

double startProgram(std::u16string_view windowsPath, const WinePlaces& wine,
                    std::span<const std::string> helperFolders) {
  // The entry that a lookup of the same path resolves, by the same case rules.
  std::optional<DriveEntry> entry = programEntry(windowsPath);
  if (!entry) throw forms::err::fileNotFound();
  Descriptor held = entry->file ? std::move(entry->file) : holdProgram(entry->hostPath);
  checkProgramFile(held);
  const Kind kind = programKind(held, entry->hostPath);
  held.reset();
  std::string& path = entry->hostPath;
  pid_t pid = 0;
  if (kind == Kind::Native || kind == Kind::Script) {
    // By its path: the kernel reads a "#!" line again, and the interpreter opens the script by
    // the path it is given, which the script also sees as $0.
    char* argv[] = {path.data(), nullptr};
    if (int error = spawn(path.c_str(), argv, environ, pid)) raiseStartFailure(error);
    reapWhenDone(pid, /*watched=*/false);
    return pid;
  }
  const bool x64 = kind == Kind::Windows64;
  std::variant<WineLoader, LoaderMissing> chosen = chooseWineLoader(x64, wine);
  if (auto* missing = std::get_if<LoaderMissing>(&chosen)) raiseWineMissing(missing->reason);
  auto& loader = std::get<WineLoader>(chosen);
  // Wine is given the host path of the very entry resolved here: given the Windows path, it
  // would resolve the letter case again and might pick another of several names. The helper,
  // when there is one, starts that entry hidden; it is our own file, run by Wine as it is.
  std::optional<std::string> helper = findStartHelper(x64, helperFolders);
  std::vector<char*> argv = {loader.path.data()};
  if (helper) argv.push_back(helper->data());
  argv.push_back(path.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables = wineEnvironment(loader.environment);
  std::vector<char*> envp;
  envp.reserve(variables.size() + 1);
  for (auto& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  if (int error = spawn(loader.path.c_str(), argv.data(), envp.data(), pid)) {
    // The loader is there but the system will not run it: the wrong architecture, or its
    // program interpreter (the ELF one, or a script's) missing.
    if (error == ENOEXEC || error == ENOENT)
      raiseWineMissing(loaderRefused(loader.path, x64, error));
    raiseStartFailure(error);
  }
  // Through the helper, its exit is the start's outcome, told later; without it, Wine's exit is
  // the program's own, which is not the launcher's concern.
  reapWhenDone(pid, /*watched=*/helper.has_value());
  return pid;
}

// The launcher's one window style is 0, start hidden: what the helper gives a Windows program.
double shell(std::u16string_view windowsPath, [[maybe_unused]] int windowStyle) {
  return startProgram(windowsPath, WinePlaces{}, startHelperFolders());
}

}  // namespace platform::posix
