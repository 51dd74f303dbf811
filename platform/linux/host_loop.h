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
// The display (x11::Host, wayland::Host) keeps only what its system does differently. It offers:
//   open() -> bool             connect; false (having said why, or nothing) when it cannot
//   dpi() -> int               the density the form starts at
//   screenWidth(), setWindowPos(hWnd, hWndInsertAfter, flags), handle()
//   attach(form)               create the window for the form (its events go to the form)
//   drawnSize() -> PixelSize   the pixels the painter draws
//   applyBounds(screenPixels) -> bool   placed; true when the drawn size changed
//   applyVisible(visible), notShown(clientPixels)
//   dispatch()                 handle the events already read
//   show(surface)              put what is not shown yet of the surface on the screen
//   allShown() -> bool         the window is mapped and shows the whole surface
//   readyToWait() -> bool      send what is queued; false when events wait to be handled
//   descriptor(), afterWait(revents)   the connection's descriptor, and its reading after the wait
//   screenOrigin() -> PixelRect   where the form's coordinates start, for screen readers
//   flush(), endProgram()      send what is queued; that, and end the program with code 0
//   showMessage(text)          the unhandled-error message; returns once it is dismissed
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/api.h"
#include "platform/posix/deadline_wait.h"
#include "platform/posix/timer_ticks.h"

namespace platform::paint {
class CairoPainter;
}

namespace platform::desktop {

class AccessibilityBridge;

template <class Display>
class HostLoop final : public platform::Host, private forms::NativeWindow {
 public:
  HostLoop();
  ~HostLoop() override;
  HostLoop(const HostLoop&) = delete;
  HostLoop& operator=(const HostLoop&) = delete;

  bool open() { return display_.open(); }

  // platform::Services
  forms::Twips screenWidth() override;
  std::int32_t setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter, std::int32_t x,
                            std::int32_t y, std::int32_t cx, std::int32_t cy,
                            std::uint32_t flags) override;
  std::u16string dir(std::u16string_view path, int attributes) override;
  double shell(std::u16string_view path, int windowStyle) override;
  [[noreturn]] void terminate() override;
  // platform::Host
  void attach(forms::Form& form) override;
  int run() override;
  [[noreturn]] void reportUnhandled(const forms::RuntimeError& error) override;

 private:
  // forms::NativeWindow
  void applyBounds(const forms::PixelRect& screenPixels) override;
  void applyVisible(bool visible) override;
  void invalidate(const forms::PixelRect& clientPixels) override;
  [[nodiscard]] std::intptr_t handle() const override;
  forms::TextMeasurer& measurer() override;

  void paint();
  void waitForEvents();
  void offerToScreenReaders();
  void staleAll();

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

}  // namespace platform::desktop
