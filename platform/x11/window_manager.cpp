// X11 platform: implements window_manager.h.
#include "platform/x11/window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/x11/error_trap.h"
#include "platform/x11/xcb_reply.h"

namespace platform::x11 {

namespace {

constexpr std::string_view kAtomNames[] = {"WM_PROTOCOLS",
                                           "WM_DELETE_WINDOW",
                                           "_MOTIF_WM_HINTS",
                                           "UTF8_STRING",
                                           "_NET_WM_NAME",
                                           "_NET_WM_ICON",
                                           "_NET_WM_PID",
                                           "_NET_WM_STATE",
                                           "_NET_WM_STATE_ABOVE",
                                           "_NET_WM_WINDOW_TYPE",
                                           "_NET_WM_WINDOW_TYPE_DIALOG",
                                           "_NET_SUPPORTED",
                                           "_NET_SUPPORTING_WM_CHECK"};

}  // namespace

AtomRequest::AtomRequest(Display* display) : display_(display) {
  static_assert(std::size(kAtomNames) == std::tuple_size_v<decltype(sequences_)>);
  xcb_connection_t* connection = XGetXCBConnection(display);
  for (std::size_t i = 0; i < sequences_.size(); ++i)
    sequences_[i] = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(kAtomNames[i].size()),
                                    kAtomNames[i].data())
                        .sequence;
}

Atoms AtomRequest::answers() const {
  xcb_connection_t* connection = XGetXCBConnection(display_);
  std::array<Atom, std::tuple_size_v<decltype(sequences_)>> a{};
  for (std::size_t i = 0; i < sequences_.size(); ++i) {
    auto reply =
        replyTo(xcb_intern_atom_cookie_t{sequences_[i]}, connection, xcb_intern_atom_reply);
    a[i] = reply ? reply->atom : None;  // None where the server refused, as Xlib gives it
  }
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

  // As XSetWMProtocols sets it, without Xlib's own look-up of WM_PROTOCOLS: one round trip.
  const long protocols[1] = {static_cast<long>(atoms.wmDeleteWindow)};
  setCardinals(display, window, atoms.wmProtocols, XA_ATOM, protocols);

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
             std::span<const paint::ArgbImage> sizes) {
  std::vector<long> data;
  for (const paint::ArgbImage& icon : sizes) {
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
  return std::ranges::find(supported, atoms.netWmStateAbove) != supported.end();
}

}  // namespace platform::x11
