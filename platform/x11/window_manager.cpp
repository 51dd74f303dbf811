#include "platform/x11/window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/x11/error_trap.h"

namespace platform::x11 {

Atoms Atoms::intern(Display* display) {
  static char* names[] = {const_cast<char*>("WM_PROTOCOLS"),
                          const_cast<char*>("WM_DELETE_WINDOW"),
                          const_cast<char*>("_MOTIF_WM_HINTS"),
                          const_cast<char*>("UTF8_STRING"),
                          const_cast<char*>("_NET_WM_NAME"),
                          const_cast<char*>("_NET_WM_ICON"),
                          const_cast<char*>("_NET_WM_PID"),
                          const_cast<char*>("_NET_WM_STATE"),
                          const_cast<char*>("_NET_WM_STATE_ABOVE"),
                          const_cast<char*>("_NET_WM_WINDOW_TYPE"),
                          const_cast<char*>("_NET_WM_WINDOW_TYPE_DIALOG"),
                          const_cast<char*>("_NET_SUPPORTED"),
                          const_cast<char*>("_NET_SUPPORTING_WM_CHECK")};
  Atom a[std::size(names)];
  XInternAtoms(display, names, static_cast<int>(std::size(names)), False, a);
  return {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12]};
}

static void setCardinals(Display* display, Window window, Atom property, Atom type,
                         std::span<const long> values) {
  // Format 32 properties travel as longs in Xlib, whatever the size of a long.
  XChangeProperty(display, window, property, type, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(values.data()),
                  static_cast<int>(values.size()));
}

void describeWindow(Display* display, Window window, const Atoms& atoms, std::string_view title,
                    bool takesFocus) {
  std::string name(title);
  XStoreName(display, window, name.c_str());
  XChangeProperty(display, window, atoms.netWmName, atoms.utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(name.data()),
                  static_cast<int>(name.size()));

  XClassHint classHint{const_cast<char*>("loma"), const_cast<char*>("LOMA")};
  XSetClassHint(display, window, &classHint);

  XWMHints wmHints{};
  wmHints.flags = InputHint | StateHint;
  wmHints.input = takesFocus ? True : False;
  wmHints.initial_state = NormalState;
  XSetWMHints(display, window, &wmHints);

  Atom protocols[] = {atoms.wmDeleteWindow};
  XSetWMProtocols(display, window, protocols, 1);

  // Motif hints: flags = decorations, decorations = none. The window draws its own frame.
  const long motif[5] = {2, 0, 0, 0, 0};
  setCardinals(display, window, atoms.motifWmHints, atoms.motifWmHints, motif);

  const long pid[1] = {static_cast<long>(getpid())};
  setCardinals(display, window, atoms.netWmPid, XA_CARDINAL, pid);
  // No _NET_WM_USER_TIME on the launcher: refusing the focus in the hints above is what keeps
  // it unfocused everywhere. A user time of 0 would also say "mapped without the user asking",
  // and mutter then stacks the window below the focused one and marks it demands-attention
  // where it overlaps that window; GNOME Shell turns the mark into an "is ready" banner.
  if (takesFocus) {
    const long type[1] = {static_cast<long>(atoms.netWmWindowTypeDialog)};
    setCardinals(display, window, atoms.netWmWindowType, XA_ATOM, type);
  }
}

void setFixedGeometry(Display* display, Window window, const forms::PixelRect& bounds) {
  XSizeHints hints{};
  hints.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize;
  hints.x = bounds.x;
  hints.y = bounds.y;
  hints.width = hints.min_width = hints.max_width = std::max(1, bounds.width);
  hints.height = hints.min_height = hints.max_height = std::max(1, bounds.height);
  XSetWMNormalHints(display, window, &hints);
}

void setIcon(Display* display, Window window, const Atoms& atoms,
             std::span<const ArgbImage> sizes) {
  std::vector<long> data;
  for (const ArgbImage& icon : sizes) {
    data.push_back(icon.width);
    data.push_back(icon.height);
    for (std::uint32_t pixel : icon.pixels) data.push_back(static_cast<long>(pixel));
  }
  setCardinals(display, window, atoms.netWmIcon, XA_CARDINAL, data);
}

void keepAbove(Display* display, Window window, const Atoms& atoms, bool mapped) {
  if (!mapped) {
    const long state[1] = {static_cast<long>(atoms.netWmStateAbove)};
    setCardinals(display, window, atoms.netWmState, XA_ATOM, state);
    return;
  }
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = atoms.netWmState;
  e.xclient.format = 32;
  e.xclient.data.l[0] = 1;  // _NET_WM_STATE_ADD
  e.xclient.data.l[1] = static_cast<long>(atoms.netWmStateAbove);
  e.xclient.data.l[3] = 1;  // from a normal application
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

// One window property as a list of 32-bit items, or nothing.
static std::vector<unsigned long> readList(Display* display, Window window, Atom property,
                                           Atom type) {
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType, &format,
                         &count, &after, &data) == Success &&
      actualType == type && format == 32 && data) {
    auto* values = reinterpret_cast<unsigned long*>(data);
    items.assign(values, values + count);
  }
  if (data) XFree(data);
  return items;
}

bool managerKeepsAbove(Display* display, const Atoms& atoms) {
  Window root = DefaultRootWindow(display);
  // A live manager names a check window on the root, and that window names itself (EWMH).
  auto check = readList(display, root, atoms.netSupportingWmCheck, XA_WINDOW);
  if (check.empty()) return false;
  ErrorTrap trap(display);  // the named window may be gone with a manager that ended
  auto self = readList(display, check[0], atoms.netSupportingWmCheck, XA_WINDOW);
  if (!trap.ok() || self.empty() || self[0] != check[0]) return false;
  auto supported = readList(display, root, atoms.netSupported, XA_ATOM);
  return std::find(supported.begin(), supported.end(), atoms.netWmStateAbove) != supported.end();
}

}  // namespace platform::x11
