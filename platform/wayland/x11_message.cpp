// Wayland platform: implements x11_message.h.
#include "platform/wayland/x11_message.h"

#include <X11/Xlib.h>

#include "platform/x11/density.h"
#include "platform/x11/message_box.h"
#include "platform/x11/monitor.h"
#include "platform/x11/window_manager.h"

namespace platform::wayland {

void showX11Message(std::u16string_view title, std::u16string_view text) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  // The atoms go out with the monitors' first question and come back with its answer.
  x11::AtomRequest atoms(display);
  forms::PixelRect monitor = x11::primaryMonitor(display);
  x11::showMessageBox(display, atoms.answers(), monitor, x11::screenDpi(display), title, text);
  XCloseDisplay(display);
}

}  // namespace platform::wayland
