// X11 platform: catching the X errors of a few requests that may fail on a given server (a window
// that went away, shared memory that the server cannot attach) instead of exiting.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    failed_ = false;
    previous_ = XSetErrorHandler(&ErrorTrap::record);
  }
  ~ErrorTrap() { XSetErrorHandler(previous_); }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // Waits for the server to answer everything sent so far; true if none of it failed.
  bool ok() {
    XSync(display_, False);
    return !failed_;
  }

 private:
  static int record(Display*, XErrorEvent*) {
    failed_ = true;
    return 0;
  }
  static inline bool failed_ = false;  // Xlib's error handler has no user data
  Display* display_;
  XErrorHandler previous_;
};

}  // namespace platform::x11
