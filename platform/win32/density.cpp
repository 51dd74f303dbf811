// Win32 platform: monitor density (see density.h).
#include "platform/win32/density.h"

namespace platform::win32 {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

template <class Fn>
Fn user32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  // The cast from FARPROC is how a function found at run time is called; by way of void (*)(),
  // the one function type GCC lets any function pointer become without a warning.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

}  // namespace

int windowDpi(HWND hwnd) {
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
  UINT dpi = getDpiForWindow && hwnd ? getDpiForWindow(hwnd) : 0;
  if (dpi == 0) {
    HDC screen = GetDC(nullptr);
    dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
  }
  return forms::clampDpi(dpi ? static_cast<int>(dpi) : forms::kDesignDpi);
}

int metricForDpi(int index, int dpi) {
  static const auto forDpi = user32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  // Before it, a window's density is the system's, at which the plain metrics are given.
  return GetSystemMetrics(index);
}

}  // namespace platform::win32
