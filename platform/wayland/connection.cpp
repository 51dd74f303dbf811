// Wayland platform: implements connection.h.
#include "platform/wayland/connection.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/wayland/client_library.h"

namespace platform::wayland {
namespace {

// Damage in buffer pixels (version 4) keeps the updates exact at any scale.
constexpr std::uint32_t kCompositorVersion = 4;

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  auto* c = static_cast<Connection*>(data);
  auto bind = [&](const wl_interface* type, std::uint32_t wanted) {
    return wl_registry_bind(registry, name, type, std::min(version, wanted));
  };
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !c->compositor &&
      version >= kCompositorVersion)
    c->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, kCompositorVersion));
  else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !c->shm)
    c->shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !c->seat)
    c->seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 1));
  // The first output named: the protocol has no primary one.
  else if (std::strcmp(interface, wl_output_interface.name) == 0 && !c->output.output)
    c->output.output = static_cast<wl_output*>(bind(&wl_output_interface, 2));
  else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && !c->layerShell)
    c->layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 1));
  else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && !c->xdgOutputs)
    c->xdgOutputs =
        static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 1));
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

void onCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
  auto* c = static_cast<Connection*>(data);
  c->seatCapabilities = capabilities;
  if (c->seatChanged) c->seatChanged(capabilities);
}
void onSeatName(void*, wl_seat*, const char*) {}
// The listeners of interfaces that gain events are filled by name: each release of libwayland or
// of the protocols that adds an event adds a member, left null here (the bound versions never
// send it).
constexpr wl_seat_listener kSeatListener = [] {
  wl_seat_listener l{};
  l.capabilities = onCapabilities;
  l.name = onSeatName;
  return l;
}();

void onGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                std::int32_t, const char*, const char*, std::int32_t) {}

void onMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
            std::int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  auto* output = static_cast<Output*>(data);
  output->width = width;
  output->height = height;
}

void onDone(void*, wl_output*) {}

void onScale(void* data, wl_output*, std::int32_t factor) {
  static_cast<Output*>(data)->scale = std::max(1, factor);
}

void onName(void*, wl_output*, const char*) {}
void onDescription(void*, wl_output*, const char*) {}

constexpr wl_output_listener kOutputListener = [] {
  wl_output_listener l{};
  l.geometry = onGeometry;
  l.mode = onMode;
  l.done = onDone;
  l.scale = onScale;
  l.name = onName;
  l.description = onDescription;
  return l;
}();

void onLogicalPosition(void*, zxdg_output_v1*, std::int32_t, std::int32_t) {}
void onLogicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t) {
  static_cast<Output*>(data)->logicalWidth = width;
}
void onXdgDone(void*, zxdg_output_v1*) {}
void onXdgName(void*, zxdg_output_v1*, const char*) {}
void onXdgDescription(void*, zxdg_output_v1*, const char*) {}
constexpr zxdg_output_v1_listener kXdgOutputListener = [] {
  zxdg_output_v1_listener l{};
  l.logical_position = onLogicalPosition;
  l.logical_size = onLogicalSize;
  l.done = onXdgDone;
  l.name = onXdgName;
  l.description = onXdgDescription;
  return l;
}();

}  // namespace

std::unique_ptr<Connection> Connection::open() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (!name || !*name || !openClientLibrary()) return nullptr;
  std::unique_ptr<Connection> c(new Connection);
  c->display = wl_display_connect(nullptr);
  if (!c->display) return nullptr;
  c->registry = wl_display_get_registry(c->display);
  wl_registry_add_listener(c->registry, &kRegistryListener, c.get());
  if (wl_display_roundtrip(c->display) < 0) return nullptr;
  if (!c->compositor || !c->shm || !c->output.output || !c->layerShell) return nullptr;
  wl_output_add_listener(c->output.output, &kOutputListener, &c->output);
  if (c->seat) wl_seat_add_listener(c->seat, &kSeatListener, c.get());
  if (c->xdgOutputs) {
    c->output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(c->xdgOutputs, c->output.output);
    zxdg_output_v1_add_listener(c->output.xdgOutput, &kXdgOutputListener, &c->output);
  }
  if (wl_display_roundtrip(c->display) < 0 || c->output.width <= 0) return nullptr;
  return c;
}

Connection::~Connection() {
  if (!display) return;
  if (output.xdgOutput) zxdg_output_v1_destroy(output.xdgOutput);
  if (xdgOutputs) zxdg_output_manager_v1_destroy(xdgOutputs);
  if (layerShell) zwlr_layer_shell_v1_destroy(layerShell);
  if (output.output) wl_output_destroy(output.output);
  if (seat) wl_seat_destroy(seat);
  if (shm) wl_shm_destroy(shm);
  if (compositor) wl_compositor_destroy(compositor);
  if (registry) wl_registry_destroy(registry);
  wl_display_disconnect(display);
}

}  // namespace platform::wayland
