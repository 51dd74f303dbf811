// X11 platform: the unhandled-error message, in a small window of our own above the others,
// drawn with the Cairo painter and the embedded fonts, with an OK button.
#pragma once

#include <X11/Xlib.h>

#include <string_view>

#include "forms/units.h"
#include "platform/x11/window_manager.h"

namespace platform::x11 {

// Shows the text centred on the monitor and returns once OK is clicked, Enter, Space or Escape
// is pressed, or the window manager closes it. Only this window's events are handled meanwhile.
// Its measures and its font scale with the screen's density.
void showMessageBox(Display* display, const Atoms& atoms, const forms::PixelRect& monitor, int dpi,
                    std::u16string_view title, std::u16string_view text);

}  // namespace platform::x11
