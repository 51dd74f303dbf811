// Linux desktop: the host of both display systems, one loop over an X11 or a Wayland display.
//
// Implements what the two hosts do alike: the form's native window as the forms runtime sees
// it, the painter's surface and what of it no longer matches the form, the event loop (the
// display's events, the timer on its absolute schedule in boot time, what a screen reader's call
// posted, the repaint, the wait on the display's descriptor with the timer, GLib and the start
// watch), the offer to screen readers once the first frame is shown, Terminate as an immediate
// exit, and the unhandled-error report (stderr, then the display's message). File lookup and
// program start are platform/posix's.
//
// A template over the display, made by the program's entry (main.cpp) for each display system.
// The display (x11::Host, wayland::Host) keeps only what its system does differently. It offers:
//   open() -> bool             connect; false (having said why, or nothing) when it cannot
//   dpi() -> int               the density the form starts at
//   screenWidth(), setWindowPos(hWnd, hWndInsertAfter, flags), handle()
//   attach(form)               create the window for the form (its events go to the form)
//   drawnSize() -> PixelSize   the pixels the painter draws
//   applyBounds(screenPixels) -> bool   placed; true when the drawn size changed
//   applyVisible(visible)      shown or hidden; hiding takes effect at once
//   notShown(clientPixels)     a part of the surface changed: to be shown again
//   dispatch()                 handle the events already read
//   show(surface)              put what is not shown yet of the surface on the screen
//   allShown() -> bool         the window is mapped and shows the whole surface
//   readyToWait() -> bool      send what is queued; false when events wait to be handled
//   descriptor(), afterWait(revents)   the connection's descriptor, and its reading after the wait
//   screenOrigin() -> PixelRect   where the form's coordinates start, for screen readers
//   endProgram()               send what is queued and end the program with code 0
//   showMessage(text)          the unhandled-error message; returns once it is dismissed
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/api.h"
#include "platform/linux/a11y_status.h"
#include "platform/linux/atk_bridge.h"
#include "platform/linux/loop_wait.h"
#include "platform/paint/cairo_painter.h"
#include "platform/posix/deadline_wait.h"
#include "platform/posix/file_lookup.h"
#include "platform/posix/process_start.h"
#include "platform/posix/timer_ticks.h"

namespace platform::desktop {

template <class Display>
class HostLoop final : public platform::Host, private forms::NativeWindow {
 public:
  HostLoop() = default;
  ~HostLoop() override = default;
  HostLoop(const HostLoop&) = delete;
  HostLoop& operator=(const HostLoop&) = delete;

  bool open() { return display_.open(); }

  // platform::Services: lookup and start are the same for both displays.
  forms::Twips screenWidth() override { return display_.screenWidth(); }
  // The move to twip values and the zero size are not replayed: the caller writes its geometry
  // back at once, so the window ends where it was either way.
  std::int32_t setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter, std::int32_t,
                            std::int32_t, std::int32_t, std::int32_t,
                            std::uint32_t flags) override {
    return display_.setWindowPos(hWnd, hWndInsertAfter, flags);
  }
  std::u16string dir(std::u16string_view path, int attributes) override {
    return posix::dir(path, attributes);
  }
  double shell(std::u16string_view path, int windowStyle) override {
    return posix::shell(path, windowStyle);
  }
  [[noreturn]] void terminate() override { display_.endProgram(); }
  // platform::Host
  void attach(forms::Form& form) override;
  int run() override;
  [[noreturn]] void reportUnhandled(const forms::RuntimeError& error) override;

 private:
  // forms::NativeWindow
  void applyBounds(const forms::PixelRect& screenPixels) override {
    if (display_.applyBounds(screenPixels)) staleAll();
  }
  void applyVisible(bool visible) override { display_.applyVisible(visible); }
  void invalidate(const forms::PixelRect& clientPixels) override {
    stale_ = stale_.empty() ? clientPixels : forms::unite(stale_, clientPixels);
    display_.notShown(clientPixels);
  }
  [[nodiscard]] std::intptr_t handle() const override { return display_.handle(); }
  forms::TextMeasurer& measurer() override { return *painter_; }

  void staleAll() {
    forms::PixelSize size = display_.drawnSize();
    stale_ = {0, 0, size.width, size.height};
  }
  void paint();
  void waitForEvents();
  void offerToScreenReaders();

  Display display_;
  forms::Form* form_ = nullptr;
  std::optional<posix::TimerTicks> ticks_;
  posix::DeadlineWait wait_;

  std::unique_ptr<paint::CairoPainter> painter_;
  forms::PixelRect stale_;  // the painter's surface no longer matches the form here
  bool counting_ = false;   // the first frame is on the screen, or a tick has come

  std::unique_ptr<AccessibilityBridge> a11y_;  // only when the session wants it
  bool a11yAsked_ = false;
};

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
  std::u16string text = unhandledErrorText(error);
  std::string utf8 = forms::toUtf8(text);
  std::fprintf(stderr, "%s\n", utf8.c_str());
  std::fflush(stderr);
  // Its own loop: no tick, press or click of the launcher is handled meanwhile.
  display_.showMessage(text);
  std::exit(kUnhandledErrorExitCode);
}

}  // namespace platform::desktop
