// X11 platform: the window host, on Xlib without a toolkit.
//
// Implements: the launcher's one window (no decorations, above other windows, never taking the
// focus, its names and icon for the window manager), its geometry in pixels from the form's
// twips on the primary monitor at the screen's density (Xft.dpi, followed when it changes),
// the screen width of that monitor, SetWindowPos as
// _NET_WM_STATE_ABOVE plus a map that does not activate, the event loop (exposure with
// repainting of what changed only, mouse buttons, the window manager's close, the timer on its
// absolute schedule in boot time), Terminate as an immediate exit, and the unhandled-error message,
// also for a started program's start that failed after it had returned.
// File lookup and program start are platform/posix's; drawing is the Cairo painter's.
//
// No Xlib header here: its macros (None, Bool, Status) would collide with the forms runtime's
// names in files that include both.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/api.h"
#include "platform/posix/deadline_wait.h"
#include "platform/posix/timer_ticks.h"

// Xlib's own names for Display and XEvent: this header needs no Xlib.
struct _XDisplay;  // NOLINT(bugprone-reserved-identifier)
union _XEvent;     // NOLINT(bugprone-reserved-identifier)

namespace platform::desktop {
class AccessibilityBridge;
}
namespace platform::paint {
class CairoPainter;
}

namespace platform::x11 {

class Presenter;
struct Atoms;

class Host : public platform::Host, private forms::NativeWindow {
 public:
  Host();
  ~Host() override;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Connects to the display; on failure prints one line naming it and returns false.
  bool open();

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
  [[nodiscard]] std::intptr_t handle() const override {
    return static_cast<std::intptr_t>(window_);
  }
  forms::TextMeasurer& measurer() override;

  // One handler per kind of event.
  void onEvent(const _XEvent& event);
  void onExpose(const _XEvent& event);
  void onButton(const _XEvent& event);
  void onClientMessage(const _XEvent& event);
  void onVisibility(const _XEvent& event);
  void onProperty(const _XEvent& event);
  void setIcons();
  void paint();
  void waitForEvents();
  void map();
  void offerToScreenReaders();
  [[nodiscard]] forms::PixelRect onMonitor(forms::PixelRect screenPixels) const;

  _XDisplay* display_ = nullptr;
  std::unique_ptr<Atoms> atoms_;
  unsigned long window_ = 0;
  forms::PixelRect monitor_;
  int dpi_ = forms::kDesignDpi;
  forms::PixelRect bounds_;  // on the screen, in pixels
  bool mapped_ = false;
  bool above_ = false;

  forms::Form* form_ = nullptr;
  std::optional<posix::TimerTicks> ticks_;
  posix::DeadlineWait wait_;

  std::unique_ptr<paint::CairoPainter> painter_;
  std::unique_ptr<Presenter> presenter_;
  bool exposed_ = false;
  bool counting_ = false;     // the first frame is on the screen, or a tick has come
  forms::PixelRect stale_;    // the surface no longer matches the form here
  forms::PixelRect unshown_;  // the window does not show the surface here yet

  std::unique_ptr<desktop::AccessibilityBridge> a11y_;  // only when the session wants it
  bool a11yAsked_ = false;
};

}  // namespace platform::x11
