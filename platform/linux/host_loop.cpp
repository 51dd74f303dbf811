// Linux desktop: implements host_loop.h, for the X11 and the Wayland display.
#include "platform/linux/host_loop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/linux/a11y_status.h"
#include "platform/linux/atk_bridge.h"
#include "platform/linux/loop_wait.h"
#include "platform/paint/cairo_painter.h"
#include "platform/posix/file_lookup.h"
#include "platform/posix/process_start.h"
#include "platform/wayland/host.h"
#include "platform/x11/host.h"

namespace platform::desktop {

template <class Display>
HostLoop<Display>::HostLoop() = default;
template <class Display>
HostLoop<Display>::~HostLoop() = default;

template <class Display>
forms::Twips HostLoop<Display>::screenWidth() {
  return display_.screenWidth();
}

// The move to twip values and the zero size are not replayed: the caller writes its geometry
// back at once, so the window ends where it was either way.
template <class Display>
std::int32_t HostLoop<Display>::setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter,
                                             std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                             std::uint32_t flags) {
  return display_.setWindowPos(hWnd, hWndInsertAfter, flags);
}

template <class Display>
std::u16string HostLoop<Display>::dir(std::u16string_view path, int attributes) {
  return posix::dir(path, attributes);
}

template <class Display>
double HostLoop<Display>::shell(std::u16string_view path, int windowStyle) {
  return posix::shell(path, windowStyle);
}

template <class Display>
void HostLoop<Display>::terminate() {
  display_.endProgram();
}

template <class Display>
void HostLoop<Display>::attach(forms::Form& form) {
  form_ = &form;
  form.setDpi(display_.dpi());
  // The window is created now, and its timer runs from its creation: the request goes out at
  // once rather than with the first frame, and the server works on it meanwhile.
  display_.attach(form);
  // The surface takes the window's size at the first paint: loading the form may change it.
  painter_ = std::make_unique<paint::CairoPainter>(1, 1);
  staleAll();
  if (forms::Timer* timer = form.timer()) ticks_.emplace(*timer);
  form.attach(this);
}

template <class Display>
std::intptr_t HostLoop<Display>::handle() const {
  return display_.handle();
}

template <class Display>
forms::TextMeasurer& HostLoop<Display>::measurer() {
  return *painter_;
}

template <class Display>
void HostLoop<Display>::applyBounds(const forms::PixelRect& screenPixels) {
  if (display_.applyBounds(screenPixels)) staleAll();
}

template <class Display>
void HostLoop<Display>::applyVisible(bool visible) {
  display_.applyVisible(visible);
}

template <class Display>
void HostLoop<Display>::invalidate(const forms::PixelRect& clientPixels) {
  stale_ = stale_.empty() ? clientPixels : forms::unite(stale_, clientPixels);
  display_.notShown(clientPixels);
}

template <class Display>
void HostLoop<Display>::staleAll() {
  forms::PixelSize size = display_.drawnSize();
  stale_ = {0, 0, size.width, size.height};
}

template <class Display>
int HostLoop<Display>::run() {
  for (;;) {
    display_.dispatch();
    if (ticks_ && ticks_->deliverDue()) counting_ = true;
    // What a screen reader's call posted (a click that may end the program) waits until GLib
    // has sent the call's reply: the wait below serves that first.
    if (!a11y_ || a11y_->idle()) form_->runPosted();
    if (a11y_) a11y_->reportNameChanges();  // with the repaint, after the handlers
    paint();
    if (display_.allShown()) {
      counting_ = true;
      if (!a11yAsked_) offerToScreenReaders();
    }
    if (display_.readyToWait()) waitForEvents();
  }
}

template <class Display>
void HostLoop<Display>::paint() {
  if (!stale_.empty()) {
    forms::PixelSize size = display_.drawnSize();
    int width = std::max(1, size.width), height = std::max(1, size.height);
    if (painter_->width() != width || painter_->height() != height) painter_->resize(width, height);
    painter_->paint(*form_, stale_);
    stale_ = {};
  }
  display_.show(painter_->surface());
}

template <class Display>
void HostLoop<Display>::waitForEvents() {
  display_.afterWait(waitInLoop(wait_, display_.descriptor(), ticks_, a11y_.get(), counting_));
  reportLaterStartFailure(counting_, *this);
}

// Once the first frame is on the screen, so that asking costs the first frame nothing: when the
// session's accessibility is on, the window is offered to screen readers and its status read.
template <class Display>
void HostLoop<Display>::offerToScreenReaders() {
  a11yAsked_ = true;
  if (!sessionWantsAccessibility()) return;
  forms::PixelRect origin = display_.screenOrigin();
  a11y_ = AccessibilityBridge::start(*form_, origin.x, origin.y);
  if (a11y_ && form_->visible()) a11y_->announce();
}

template <class Display>
void HostLoop<Display>::reportUnhandled(const forms::RuntimeError& error) {
  display_.applyVisible(false);
  display_.flush();
  std::u16string text = unhandledErrorText(error);
  std::string utf8 = forms::toUtf8(text);
  std::fprintf(stderr, "%s\n", utf8.c_str());
  std::fflush(stderr);
  // Its own loop: no tick, press or click of the launcher is handled meanwhile.
  display_.showMessage(text);
  std::exit(kUnhandledErrorExitCode);
}

template class HostLoop<x11::Host>;
template class HostLoop<wayland::Host>;

}  // namespace platform::desktop
