// What a form asks of the platform window that shows it.
#pragma once

#include <cstdint>

#include "forms/painter.h"
#include "forms/units.h"

namespace forms {

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;
  // The window's place and size on the screen, in pixels.
  virtual void applyBounds(const PixelRect& screenPixels) = 0;
  virtual void applyVisible(bool visible) = 0;
  // Part of the client area needs painting again.
  virtual void invalidate(const PixelRect& clientPixels) = 0;
  // The window system's handle (an HWND, an X window id).
  [[nodiscard]] virtual std::intptr_t handle() const = 0;
  virtual TextMeasurer& measurer() = 0;
  // The form has posted work (Form::post): the event loop should run it soon.
  virtual void workPosted() {}
};

}  // namespace forms
