// X11 platform: implements host.h.
#include "platform/x11/host.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/api.h"
#include "platform/paint/icon_decoder.h"
#include "platform/x11/density.h"
#include "platform/x11/message_box.h"
#include "platform/x11/monitor.h"
#include "platform/x11/presenter.h"
#include "platform/x11/window_manager.h"

namespace platform::x11 {

Host::Host() = default;
Host::~Host() = default;

bool Host::open() {
  // The launcher reads no keyboard but for the message box's Enter, Escape and space, which the
  // core keyboard mapping serves: Xlib need not set up XKB (two round trips) when connecting.
  XkbIgnoreExtension(True);
  display_ = XOpenDisplay(nullptr);
  if (!display_) {
    const char* name = std::getenv("DISPLAY");
    if (name && *name)
      std::fprintf(stderr, "loma: cannot open display \"%s\"\n", name);
    else
      std::fprintf(stderr, "loma: cannot open display: DISPLAY is not set\n");
    return false;
  }
  // Colormapped screens (8-bit PseudoColor and its kin) would need the picture's colours
  // allocated one by one: the launcher draws on TrueColor only, at any depth from 15 bits.
  if (!Presenter::drawsOn(display_)) {
    std::fprintf(stderr,
                 "loma: display \"%s\" has no TrueColor default visual of 15 bits or more\n",
                 DisplayString(display_));
    return false;
  }
  // The atoms go out with the monitors' first question and come back with its answer.
  AtomRequest atoms(display_);
  monitor_ = primaryMonitor(display_);
  atoms_ = std::make_unique<Atoms>(atoms.answers());
  dpi_ = screenDpi(display_);
  return true;
}

forms::Twips Host::screenWidth() const {
  return forms::pointerToTwips(monitor_.width, dpi_);
}

std::int32_t Host::setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter,
                                std::uint32_t flags) {
  if (!window_ || hWnd != handle()) return 0;
  if (hWndInsertAfter == kHwndTopmost) {
    keepAbove(display_, window_, *atoms_, mapped_);
    above_ = true;
  }
  // Mapping never activates: the window refuses the focus in its hints.
  if (flags & kSwpShowWindow) map();
  return 1;
}

// std::exit flushes the C streams too.
void Host::endProgram() {
  if (display_) XFlush(display_);
  std::exit(0);
}

int Host::descriptor() const {
  return ConnectionNumber(display_);
}

// The form's screen is the primary monitor: its coordinates start at that monitor's corner.
forms::PixelRect Host::onMonitor(forms::PixelRect screenPixels) const {
  screenPixels.x += monitor_.x;
  screenPixels.y += monitor_.y;
  return screenPixels;
}

void Host::attach(forms::Form& form) {
  form_ = &form;
  Window root = DefaultRootWindow(display_);
  bounds_ = onMonitor(form.screenPixels());
  XSetWindowAttributes attributes{};
  // No background: the server never clears the window to a colour before the first frame.
  attributes.background_pixmap = None;
  attributes.bit_gravity = NorthWestGravity;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | VisibilityChangeMask;
  window_ = XCreateWindow(
      display_, root, bounds_.x, bounds_.y, static_cast<unsigned>(std::max(1, bounds_.width)),
      static_cast<unsigned>(std::max(1, bounds_.height)), 0, CopyFromParent, InputOutput,
      CopyFromParent, CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
  describeWindow(display_, window_, *atoms_, "LOMA", /*takesFocus=*/false);
  setFixedGeometry(display_, window_, bounds_);
  setIcons();
  // The resource database's changes: a new Xft.dpi is a new density for the window.
  XSelectInput(display_, root, PropertyChangeMask);

  presenter_ = std::make_unique<Presenter>(display_, window_);
  XFlush(display_);
}

void Host::setIcons() {
  if (!form_->icon()) return;
  // The icon at its own size and, on a denser screen, resampled to that density's size too:
  // the window manager takes the one that suits it.
  if (auto icon = paint::decodeIcon(form_->icon()->bytes())) {
    std::vector<paint::ArgbImage> sizes{*icon};
    int scaled = forms::toPixels(forms::pointerToTwips(icon->width, forms::kDesignDpi), dpi_);
    if (scaled != icon->width) {
      if (auto larger = paint::resampleIcon(*icon, scaled, scaled))
        sizes.push_back(std::move(*larger));
    }
    setIcon(display_, window_, *atoms_, sizes);
  }
}

bool Host::applyBounds(const forms::PixelRect& screenPixels) {
  forms::PixelRect bounds = onMonitor(screenPixels);
  if (bounds == bounds_) return false;
  bool resized = bounds.width != bounds_.width || bounds.height != bounds_.height;
  bounds_ = bounds;
  setFixedGeometry(display_, window_, bounds_);
  XMoveResizeWindow(display_, window_, bounds_.x, bounds_.y,
                    static_cast<unsigned>(std::max(1, bounds_.width)),
                    static_cast<unsigned>(std::max(1, bounds_.height)));
  if (resized) unshown_ = {0, 0, bounds_.width, bounds_.height};
  return resized;
}

void Host::applyVisible(bool visible) {
  if (visible) {
    map();
  } else if (mapped_) {
    XWithdrawWindow(display_, window_, DefaultScreen(display_));
    XFlush(display_);
    mapped_ = false;
    exposed_ = false;
  }
}

void Host::notShown(const forms::PixelRect& clientPixels) {
  unshown_ = unshown_.empty() ? clientPixels : forms::unite(unshown_, clientPixels);
}

void Host::map() {
  if (mapped_) return;
  XMapWindow(display_, window_);
  mapped_ = true;
}

void Host::dispatch() {
  while (XPending(display_)) {
    XEvent event;
    XNextEvent(display_, &event);
    onEvent(event);
  }
}

// XPending also sends what the handlers asked for.
bool Host::readyToWait() {
  return XPending(display_) == 0;
}

void Host::onEvent(const XEvent& event) {
  switch (event.type) {
    case Expose:
      onExpose(event);
      break;
    case ButtonPress:
    case ButtonRelease:
      onButton(event);
      break;
    case ClientMessage:
      onClientMessage(event);
      break;
    case VisibilityNotify:
      onVisibility(event);
      break;
    case PropertyNotify:
      onProperty(event);
      break;
    default:
      break;
  }
}

void Host::onExpose(const XEvent& event) {
  const XExposeEvent& e = event.xexpose;
  forms::PixelRect area{e.x, e.y, e.width, e.height};
  exposed_ = true;
  unshown_ = unshown_.empty() ? area : forms::unite(unshown_, area);
}

void Host::onButton(const XEvent& event) {
  const XButtonEvent& e = event.xbutton;
  // Buttons 1, 2 and 3; the wheel and extra buttons have no events here.
  constexpr forms::MouseButton kButtons[] = {forms::MouseButton::Left, forms::MouseButton::Middle,
                                             forms::MouseButton::Right};
  if (e.button < Button1 || e.button > Button3) return;
  forms::MouseButton button = kButtons[e.button - Button1];
  // Shift, Ctrl and Alt as the classic Shift argument counts them: 1, 2, 4.
  int shift = ((e.state & ShiftMask) ? 1 : 0) | ((e.state & ControlMask) ? 2 : 0) |
              ((e.state & Mod1Mask) ? 4 : 0);
  forms::Twips x = forms::pointerToTwips(e.x, dpi_), y = forms::pointerToTwips(e.y, dpi_);
  if (e.type == ButtonPress)
    form_->mouseDown(button, shift, x, y);
  else
    form_->mouseUp(button, shift, x, y);
}

void Host::onClientMessage(const XEvent& event) {
  const XClientMessageEvent& e = event.xclient;
  // The window manager closes the only window: the program ends, no handler of ours runs.
  if (e.message_type == atoms_->wmProtocols &&
      static_cast<Atom>(e.data.l[0]) == atoms_->wmDeleteWindow)
    endProgram();
}

void Host::onVisibility(const XEvent& event) {
  // Without a window manager that keeps windows above, nothing else will: raise again.
  if (above_ && event.xvisibility.state != VisibilityUnobscured &&
      !managerKeepsAbove(display_, *atoms_))
    XRaiseWindow(display_, window_);
}

// The user changed the scale (xrdb, or a desktop's settings daemon, wrote a new Xft.dpi): the
// form lays itself out again from its unchanged twips and repaints, as the Windows program does
// on WM_DPICHANGED. No handler of the launcher runs; the timer goes on on its schedule.
void Host::onProperty(const XEvent& event) {
  const XPropertyEvent& e = event.xproperty;
  if (e.window != DefaultRootWindow(display_) || e.atom != XA_RESOURCE_MANAGER) return;
  int dpi = currentScreenDpi(display_);
  if (dpi == dpi_) return;
  dpi_ = dpi;
  form_->setDpi(dpi_);
  setIcons();
}

void Host::show(cairo_surface_t* surface) {
  if (exposed_ && !unshown_.empty()) {
    presenter_->show(surface, unshown_);
    unshown_ = {};
  }
}

void Host::showMessage(std::u16string_view text) {
  showMessageBox(display_, *atoms_, monitor_, dpi_, u"LOMA", text);
}

}  // namespace platform::x11
