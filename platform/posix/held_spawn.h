// POSIX backend: starting the very file a descriptor holds, whatever its path names by then.
#pragma once

#include <sys/types.h>

namespace platform::posix {

// Starts the program held by `programFd` (an O_PATH descriptor of a native executable) as a new
// process in a session of its own, with default signal handling, an empty signal mask and only
// stdin, stdout and stderr passed on, as the posix_spawn start does. The kernel runs the held
// file itself (execveat with AT_EMPTY_PATH), so a file renamed over its path in the meantime is
// never the one started. Returns the child's id, or -1 with errno set to why the start failed
// (fork's or execveat's error; the child has then already been waited for).
pid_t spawnHeld(int programFd, char* const argv[], char* const envp[]);

}  // namespace platform::posix
