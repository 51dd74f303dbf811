// Wayland platform: the window host for compositors that offer layer-shell.
//
// Implements: the launcher's one window as a layer surface in the overlay layer (above every
// window, full-screen ones too) of the first output, anchored to its top-left corner with
// margins from the form's Left and Top, no keyboard focus ever, no exclusive zone; drawn by
// the Cairo painter at the output's integer scale into shared-memory buffers; the screen width
// of that output; SetWindowPos as showing the surface; the event loop (the pointer's buttons
// through the forms runtime, the timer on its absolute schedule in boot time, GLib's turn for the
// accessibility bridge); Terminate as an immediate exit; the unhandled-error message on stderr
// and, where an X display (XWayland) is there, in the X11 host's message window, also for a
// started program's start that failed after it had returned.
// File lookup and program start are platform/posix's. Chosen over the X11 host only when the
// compositor that WAYLAND_DISPLAY names has layer-shell, libwayland-client opens and
// LOMA_WAYLAND is not 0.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/api.h"
#include "platform/posix/deadline_wait.h"
#include "platform/posix/timer_ticks.h"
#include "platform/wayland/layer_placement.h"

struct wl_surface;
struct wl_buffer;
struct zwlr_layer_surface_v1;

namespace platform::desktop {
class AccessibilityBridge;
}
namespace platform::paint {
class CairoPainter;
}

namespace platform::wayland {

class Connection;
class PointerInput;
class ShmBuffers;

class Host : public platform::Host, private forms::NativeWindow {
 public:
  Host();
  ~Host() override;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Whether to try this host at all: LOMA_WAYLAND=0 keeps the launcher on X11.
  static bool wanted();
  // Connects to the compositor; false, having said nothing, when it offers no layer-shell or
  // there is none: the caller then starts the X11 host.
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

  // The layer surface's events.
  void configured(std::uint32_t serial);
  void closed();

 private:
  // forms::NativeWindow
  void applyBounds(const forms::PixelRect& screenPixels) override;
  void applyVisible(bool visible) override;
  void invalidate(const forms::PixelRect& clientPixels) override;
  [[nodiscard]] std::intptr_t handle() const override;
  forms::TextMeasurer& measurer() override;

  void map();
  void unmap();
  void place();
  void followScale();
  void onButton(bool pressed, forms::MouseButton button, double x, double y);
  [[noreturn]] void lost();
  void paint();
  void waitForEvents();
  void offerToScreenReaders();

  std::unique_ptr<Connection> wl_;
  std::unique_ptr<PointerInput> pointer_;
  std::unique_ptr<ShmBuffers> buffers_;
  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layer_ = nullptr;
  bool configured_ = false;
  int scale_ = 1;
  LayerPlacement placed_;

  forms::Form* form_ = nullptr;
  forms::Timer* timer_ = nullptr;
  std::optional<posix::TimerTicks> ticks_;
  posix::DeadlineWait wait_;

  std::unique_ptr<paint::CairoPainter> painter_;
  forms::PixelRect stale_;    // the painter's surface no longer matches the form here
  forms::PixelRect unshown_;  // the compositor does not show the surface here yet

  std::unique_ptr<desktop::AccessibilityBridge> a11y_;  // only when the session wants it
  bool a11yAsked_ = false;
  bool counting_ = false;  // the first frame is on the screen, or a tick has come
};

}  // namespace platform::wayland
