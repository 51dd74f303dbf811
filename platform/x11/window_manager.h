// X11 platform: what the window manager reads from our windows (ICCCM and EWMH properties), and
// keeping a window above the others with a window manager or without one.
#pragma once

#include <X11/Xlib.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "forms/units.h"
#include "platform/paint/icon_decoder.h"

namespace platform::x11 {

struct Atoms {
  Atom wmProtocols, wmDeleteWindow, motifWmHints, utf8String, netWmName, netWmIcon, netWmPid,
      netWmState, netWmStateAbove, netWmWindowType, netWmWindowTypeDialog, netSupported,
      netSupportingWmCheck;
};

// The atoms asked for now through the display's XCB connection, their answers read later: asked
// just before another question that waits for its answer, they go to the server and back with
// it, and cost no round trip of their own.
class AtomRequest {
 public:
  explicit AtomRequest(Display* display);
  [[nodiscard]] Atoms answers() const;

 private:
  Display* display_;
  std::array<unsigned int, 13> sequences_{};  // one request per member of Atoms, in its order
};

// Title, class, no decorations, the close protocol, a fixed size at a set place, and whether
// the window may take the keyboard focus (the launcher never does, a message box does).
void describeWindow(Display* display, Window window, const Atoms& atoms, std::string_view title,
                    bool takesFocus);
void setFixedGeometry(Display* display, Window window, const forms::PixelRect& bounds);
// The icon in one or more sizes, as _NET_WM_ICON carries them: ARGB pixels, row by row.
void setIcon(Display* display, Window window, const Atoms& atoms,
             std::span<const paint::ArgbImage> sizes);

// Above other windows: before mapping the window starts in that state; once mapped, the window
// manager is asked for it.
void keepAbove(Display* display, Window window, const Atoms& atoms, bool mapped);
// Whether a running window manager keeps windows above on request; without one, a covered
// window has to raise itself again.
bool managerKeepsAbove(Display* display, const Atoms& atoms);

}  // namespace platform::x11
