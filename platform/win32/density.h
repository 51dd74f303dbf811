// Win32 platform: the density of the monitor a window is on, and the sizes the system asks for
// at that density.
//
// GetDpiForWindow and GetSystemMetricsForDpi exist from Windows 10 1607 on and are looked up at
// run time; before that the screen's LOGPIXELSX (the system's density) and the plain metrics.
#pragma once

#include "platform/win32/win32_api.h"

namespace platform::win32 {

// The window's density, clamped to what the forms runtime accepts.
int windowDpi(HWND hwnd);
// A system metric (SM_CXICON ...) at a density.
int metricForDpi(int index, int dpi);

}  // namespace platform::win32
