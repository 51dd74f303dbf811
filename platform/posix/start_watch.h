// POSIX backend: the started programs' reaper, and what it learns of a start that failed later.
//
// A Windows program is started by Wine's loader running our start helper, which exits as soon as
// the program runs (0) or cannot be started (53, 70, 5); Wine itself exits non-zero when it cannot
// run the helper. Neither is known when the start returns. The reaper thread waits for the
// process, as for every started one, and for a watched one writes a failing exit to a pipe whose
// read end the host's event loop watches, so the launcher learns of it while it counts down.
#pragma once

#include <sys/types.h>

#include <optional>

namespace platform::posix {

// Waits for `pid` in the background so that it leaves no zombie; when `watched`, a non-zero exit
// (or an end by a signal, as 128 + its number) is reported to the pipe below.
void reapWhenDone(pid_t pid, bool watched);

// The pipe's read end, or -1 while nothing is watched; non-blocking.
int laterFailureDescriptor();

// The exit code of a watched start that failed, when one has been reported.
std::optional<int> takeLaterFailure();

}  // namespace platform::posix
