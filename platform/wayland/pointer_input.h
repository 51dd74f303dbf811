// Wayland platform: the seat's pointer buttons on the launcher's surface.
//
// Implements: the pointer of the first seat (got when the seat says it has one), its position
// in surface-local coordinates from enter and motion, and each press and release of the left,
// middle and right buttons handed on with that position. The keyboard is never asked for.
#pragma once

#include <cstdint>
#include <functional>

#include "forms/control.h"

struct wl_seat;
struct wl_pointer;

namespace platform::wayland {

class PointerInput {
 public:
  using ButtonHandler =
      std::function<void(bool pressed, forms::MouseButton button, double x, double y)>;
  PointerInput(wl_seat* seat, ButtonHandler onButton);
  ~PointerInput();
  PointerInput(const PointerInput&) = delete;
  PointerInput& operator=(const PointerInput&) = delete;

  // The seat's capabilities, now and whenever they change: a pointer is got or let go.
  void capabilities(std::uint32_t capabilities);
  // The pointer listener's entries.
  void moved(double x, double y);
  void button(std::uint32_t button, std::uint32_t state);

 private:
  wl_seat* seat_;
  wl_pointer* pointer_ = nullptr;
  double x_ = 0, y_ = 0;
  ButtonHandler onButton_;
};

}  // namespace platform::wayland
