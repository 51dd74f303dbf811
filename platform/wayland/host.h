// Wayland platform: the window host for compositors that offer layer-shell.
//
// Implements what Wayland does differently for the Linux host loop (platform/linux/host_loop.h):
// the connection and the globals it binds (compositor 4+, shared memory, the first seat, the
// first output the compositor names, layer-shell, xdg-output where offered); the launcher's one
// window as a layer surface in the overlay layer (above every window, full-screen ones too) of
// that output, anchored to its top-left corner with margins from the form's Left and Top, no
// keyboard focus ever, no exclusive zone; its frames at the output's integer scale in
// shared-memory buffers; the screen width of that output; SetWindowPos as showing the surface;
// the pointer's buttons; a new scale as a new density for the form; the unhandled-error message
// in the X11 host's message window where an X display (XWayland) is there.
// The compositor's events reach the handlers below through listeners.cpp.
// Chosen over the X11 host only when the compositor that WAYLAND_DISPLAY names has layer-shell,
// libwayland-client opens and LOMA_WAYLAND is not 0.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "forms/form.h"
#include "forms/painter.h"
#include "platform/wayland/layer_placement.h"

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct wl_seat;
struct wl_output;
struct wl_pointer;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace platform::wayland {

class ShmBuffers;

class Host {
 public:
  Host();
  ~Host();  // the connection and every object of it

  // Whether to try this host at all: LOMA_WAYLAND=0 keeps the launcher on X11.
  static bool wanted();
  // Connects to the compositor; false, having said nothing, when it offers no layer-shell or
  // there is none: the caller then starts the X11 host.
  bool open();
  [[nodiscard]] int dpi() const { return dpiForScale(scale_); }
  [[nodiscard]] forms::Twips screenWidth() const;
  [[nodiscard]] int descriptor() const;
  void dispatch();
  bool readyToWait();
  void afterWait(short events);
  [[noreturn]] void endProgram();

  // The layer surface, placed by margins on the output, and its frames.
  void attach(forms::Form& form);
  [[nodiscard]] std::intptr_t handle() const;
  std::int32_t setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter, std::uint32_t flags);
  bool applyBounds(const forms::PixelRect& screenPixels);
  void applyVisible(bool visible);
  [[nodiscard]] forms::PixelSize drawnSize() const {
    return {placed_.drawnWidth, placed_.drawnHeight};
  }
  void notShown(const forms::PixelRect& clientPixels);
  [[nodiscard]] bool allShown() const { return configured_ && unshown_.empty(); }
  void show(cairo_surface_t* surface);
  // A layer surface has no place on a global screen that clients can learn: the form's own
  // coordinates, from the output's corner.
  [[nodiscard]] forms::PixelRect screenOrigin() const { return {}; }
  void showMessage(std::u16string_view text);

  // The compositor's events, from listeners.cpp.
  void onGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                std::uint32_t version);
  void onSeatCapabilities(std::uint32_t capabilities);
  void onOutputMode(std::uint32_t flags, int width);
  void onOutputScale(int factor);
  void onLogicalWidth(int width);
  void onPointerAt(double x, double y);
  void onPointerButton(std::uint32_t button, std::uint32_t state);
  void onConfigure(std::uint32_t serial);
  void onClosed();

 private:
  void map();
  void unmap();
  void place();
  [[noreturn]] void lost();

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  wl_seat* seat_ = nullptr;
  wl_pointer* pointer_ = nullptr;
  wl_output* output_ = nullptr;
  zwlr_layer_shell_v1* layerShell_ = nullptr;
  zxdg_output_manager_v1* xdgOutputs_ = nullptr;
  zxdg_output_v1* xdgOutput_ = nullptr;

  // The output: its current mode in its own pixels, its integer scale, and its width in logical
  // pixels from xdg-output (at a fractional scale the mode divided by the integer scale is not
  // the logical size; 0 where the compositor does not tell).
  int outputWidth_ = 0;
  int logicalWidth_ = 0;
  int scale_ = 1;
  double pointerX_ = 0, pointerY_ = 0;  // surface-local, from enter and motion

  std::unique_ptr<ShmBuffers> buffers_;
  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layer_ = nullptr;
  bool configured_ = false;
  LayerPlacement placed_;
  forms::Form* form_ = nullptr;
  forms::PixelRect unshown_;  // the compositor does not show the painter's surface here yet
};

}  // namespace platform::wayland
