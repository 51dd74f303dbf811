// Wayland platform: the connection to the compositor and the globals the launcher binds.
//
// Implements: the registry walk (compositor 4+, shared memory, the first seat, the first output
// the compositor names, layer-shell, xdg-output where offered), and that output's current mode,
// integer scale and logical width, kept up to date by their events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct wl_seat;
struct wl_output;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace platform::wayland {

struct Output {
  wl_output* output = nullptr;
  int width = 0, height = 0;  // the current mode, in the output's own pixels
  int scale = 1;
  // In logical pixels, from xdg-output: at a fractional scale the mode divided by the integer
  // scale is not the logical size. 0 where the compositor does not tell.
  int logicalWidth = 0;
  zxdg_output_v1* xdgOutput = nullptr;
};

class Connection {
 public:
  // The compositor that WAYLAND_DISPLAY names, when it offers layer-shell and the rest; null
  // otherwise (no variable, no libwayland-client, no compositor, a missing global), having said
  // nothing.
  static std::unique_ptr<Connection> open();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  wl_seat* seat = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  zxdg_output_manager_v1* xdgOutputs = nullptr;
  Output output;
  // The seat's capabilities arrive once at binding and again when devices come and go.
  std::uint32_t seatCapabilities = 0;
  std::function<void(std::uint32_t)> seatChanged;

 private:
  Connection() = default;
};

}  // namespace platform::wayland
