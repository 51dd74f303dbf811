// Linux desktop: the form for screen readers, through ATK and its AT-SPI bridge.
//
// Implements: ATK objects over the form's accessibility view (an application holding the window
// "LOMA", which holds labels, described images and push buttons with the action "click", each
// with its extents on the screen and hit tests in the form's stacking order), name changes as
// ATK property changes, a notification that shows for each node read out at first show, and
// GLib's main context served from the host's event loop.
// ATK and the bridge are loaded at run time, only when the session wants them: a start without
// assistive technology loads neither. One bridge per process, as ATK has one root.
#pragma once

#include <poll.h>

#include <memory>
#include <vector>

#include "forms/form.h"

namespace platform::desktop {

class AccessibilityBridge {
 public:
  // Loads ATK and the bridge and offers the form (whose screen starts at originX, originY) to
  // the session's screen readers; nothing when either cannot be loaded.
  static std::unique_ptr<AccessibilityBridge> start(forms::Form& form, int originX, int originY);
  ~AccessibilityBridge();
  AccessibilityBridge(const AccessibilityBridge&) = delete;
  AccessibilityBridge& operator=(const AccessibilityBridge&) = delete;

  // GLib's turn in the host's wait: the descriptors it needs appended, the longest wait in
  // milliseconds returned (-1: none); after the wait, its work.
  int prepare(std::vector<pollfd>& fds);
  void dispatch(const std::vector<pollfd>& fds);

  // Reads out the nodes marked for it, as the window first shows.
  void announce();
  // Whether GLib's side has nothing left to do now, the replies to screen readers' calls sent:
  // only then may work they posted run, which may end the program.
  bool idle();
  // Tells screen readers the new names of the controls renamed since the last call.
  void reportNameChanges();

  struct Objects;

 private:
  AccessibilityBridge(forms::Form& form, int originX, int originY);

  std::unique_ptr<Objects> objects_;
};

}  // namespace platform::desktop
