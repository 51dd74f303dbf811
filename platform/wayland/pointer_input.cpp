// Wayland platform: implements pointer_input.h.
#include "platform/wayland/pointer_input.h"

#include <linux/input-event-codes.h>

#include "platform/wayland/client_library.h"

namespace platform::wayland {
namespace {

PointerInput& of(void* data) {
  return *static_cast<PointerInput*>(data);
}

void onEnter(void* data, wl_pointer*, std::uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
  of(data).moved(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void onLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void onMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  of(data).moved(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void onButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
              std::uint32_t state) {
  of(data).button(button, state);
}
void onAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void onFrame(void*, wl_pointer*) {}
void onAxisSource(void*, wl_pointer*, std::uint32_t) {}
void onAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void onAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
void onAxisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
// Filled by name: each release of libwayland that adds an event adds a member, left null here
// (the seat is bound at a version that never sends it). Libwayland 1.23 added one.
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

}  // namespace

PointerInput::PointerInput(wl_seat* seat, ButtonHandler onButton)
    : seat_(seat), onButton_(std::move(onButton)) {}

PointerInput::~PointerInput() {
  if (pointer_) wl_pointer_destroy(pointer_);
}

void PointerInput::capabilities(std::uint32_t capabilities) {
  bool has = seat_ && (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (has && !pointer_) {
    pointer_ = wl_seat_get_pointer(seat_);
    wl_pointer_add_listener(pointer_, &kPointerListener, this);
  } else if (!has && pointer_) {
    wl_pointer_destroy(pointer_);
    pointer_ = nullptr;
  }
}

void PointerInput::moved(double x, double y) {
  x_ = x;
  y_ = y;
}

void PointerInput::button(std::uint32_t button, std::uint32_t state) {
  forms::MouseButton which;
  switch (button) {
    case BTN_LEFT:
      which = forms::MouseButton::Left;
      break;
    case BTN_MIDDLE:
      which = forms::MouseButton::Middle;
      break;
    case BTN_RIGHT:
      which = forms::MouseButton::Right;
      break;
    default:
      return;  // extra buttons have no events here, as on X11
  }
  onButton_(state == WL_POINTER_BUTTON_STATE_PRESSED, which, x_, y_);
}

}  // namespace platform::wayland
