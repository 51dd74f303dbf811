// X11 platform: the screen's density, as desktops set it for scaling.
//
// Implements: Xft.dpi from the resource database that the desktop stores on the root window
// (xrdb), clamped to the densities the forms runtime accepts; 96 where it is absent. Read at the
// start and again whenever the root window's property changes.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

// The density named by Xft.dpi in a resource database's text, or 96 when it names none.
int dpiFromResources(const char* resources);
// The density of the display's screen: its RESOURCE_MANAGER's Xft.dpi, or 96, as the server
// held it when we connected.
int screenDpi(Display* display);
// The same from the root window's RESOURCE_MANAGER as it is now: xrdb and the desktops' settings
// daemons rewrite it when the user changes the scale.
int currentScreenDpi(Display* display);

}  // namespace platform::x11
