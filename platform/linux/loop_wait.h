// Linux desktop, for both hosts: the wait at the bottom of the event loop.
//
// A host waits on its display connection and on what else may need it: the next tick's point in
// time (after a stop every overdue tick is due at once), GLib's work for the screen-reader
// bridge, and a started program whose start failed after it had returned. That failure is
// known as soon as its reaper writes it, but told only once `counting` (the first frame is on
// the screen, or a tick has come; one that came sooner waits in the pipe until then), so the
// error box always follows the status that said the program was started.
#pragma once

#include <poll.h>

#include <optional>

#include "platform/api.h"
#include "platform/linux/atk_bridge.h"
#include "platform/posix/deadline_wait.h"
#include "platform/posix/timer_ticks.h"

namespace platform::desktop {

// Waits, then serves the bridge. Returns the events of `displayFd`, for the host to read.
short waitInLoop(posix::DeadlineWait& wait, int displayFd,
                 const std::optional<posix::TimerTicks>& ticks, AccessibilityBridge* a11y,
                 bool counting);

// Once `counting`, a later start failure that has been reported, told to `host` as unhandled
// (which ends the program); called when the host is done with its display's read.
void reportLaterStartFailure(bool counting, platform::Host& host);

}  // namespace platform::desktop
