// Wayland platform: the unhandled-error message in the X11 host's message window, shown
// through XWayland. Layer-shell has no dialogs that take the keyboard's Enter and Escape as
// that window does, and one message window is enough to keep.
#pragma once

#include <string_view>

namespace platform::wayland {

// Shows the message and returns once it is dismissed; returns at once without an X display.
void showX11Message(std::u16string_view title, std::u16string_view text);

}  // namespace platform::wayland
