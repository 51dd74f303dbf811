// Wayland platform: implements listeners.h.
#include "platform/wayland/listeners.h"

#include <cstdint>

#include "platform/wayland/client_library.h"
#include "platform/wayland/host.h"

namespace platform::wayland {
namespace {

Host& of(void* data) {
  return *static_cast<Host*>(data);
}

// The listeners of interfaces that gain events are filled by name: each release of libwayland or
// of the protocols that adds an event adds a member, left null here (the bound versions never
// send it). Events the launcher has no use for get a function that does nothing.

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  of(data).onGlobal(registry, name, interface, version);
}
void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

void onCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
  of(data).onSeatCapabilities(capabilities);
}
void onSeatName(void*, wl_seat*, const char*) {}
constexpr wl_seat_listener kSeatListener = [] {
  wl_seat_listener l{};
  l.capabilities = onCapabilities;
  l.name = onSeatName;
  return l;
}();

void onGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                std::int32_t, const char*, const char*, std::int32_t) {}
void onMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t,
            std::int32_t) {
  of(data).onOutputMode(flags, width);
}
void onDone(void*, wl_output*) {}
void onScale(void* data, wl_output*, std::int32_t factor) {
  of(data).onOutputScale(factor);
}
void onOutputName(void*, wl_output*, const char*) {}
void onDescription(void*, wl_output*, const char*) {}
constexpr wl_output_listener kOutputListener = [] {
  wl_output_listener l{};
  l.geometry = onGeometry;
  l.mode = onMode;
  l.done = onDone;
  l.scale = onScale;
  l.name = onOutputName;
  l.description = onDescription;
  return l;
}();

void onLogicalPosition(void*, zxdg_output_v1*, std::int32_t, std::int32_t) {}
void onLogicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t) {
  of(data).onLogicalWidth(width);
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

void onEnter(void* data, wl_pointer*, std::uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
  of(data).onPointerAt(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void onLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void onMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  of(data).onPointerAt(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void onButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
              std::uint32_t state) {
  of(data).onPointerButton(button, state);
}
void onAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void onFrame(void*, wl_pointer*) {}
void onAxisSource(void*, wl_pointer*, std::uint32_t) {}
void onAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void onAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
void onAxisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
// Libwayland 1.23 added one event.
constexpr wl_pointer_listener kPointerListener = [] {
  wl_pointer_listener l{};
  l.enter = onEnter;
  l.leave = onLeave;
  l.motion = onMotion;
  l.button = onButton;
  l.axis = onAxis;
  l.frame = onFrame;
  l.axis_source = onAxisSource;
  l.axis_stop = onAxisStop;
  l.axis_discrete = onAxisDiscrete;
  l.axis_value120 = onAxisValue120;
  return l;
}();

void onConfigure(void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t,
                 std::uint32_t) {
  of(data).onConfigure(serial);
}
void onClosed(void* data, zwlr_layer_surface_v1*) {
  of(data).onClosed();
}
const zwlr_layer_surface_v1_listener kLayerListener{onConfigure, onClosed};

void onRelease(void* data, wl_buffer*) {
  *static_cast<bool*>(data) = false;
}
const wl_buffer_listener kBufferListener{onRelease};

}  // namespace

void listen(wl_registry* registry, Host& host) {
  wl_registry_add_listener(registry, &kRegistryListener, &host);
}
void listen(wl_seat* seat, Host& host) {
  wl_seat_add_listener(seat, &kSeatListener, &host);
}
void listen(wl_output* output, Host& host) {
  wl_output_add_listener(output, &kOutputListener, &host);
}
void listen(zxdg_output_v1* output, Host& host) {
  zxdg_output_v1_add_listener(output, &kXdgOutputListener, &host);
}
void listen(wl_pointer* pointer, Host& host) {
  wl_pointer_add_listener(pointer, &kPointerListener, &host);
}
void listen(zwlr_layer_surface_v1* layer, Host& host) {
  zwlr_layer_surface_v1_add_listener(layer, &kLayerListener, &host);
}
void listen(wl_buffer* buffer, bool& busy) {
  wl_buffer_add_listener(buffer, &kBufferListener, &busy);
}

}  // namespace platform::wayland
