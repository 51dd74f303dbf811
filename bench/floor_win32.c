/* The floor of the start-up bench under Wine: the least a Windows program does to show a window
 * like LOMA.exe's. A 571x253 WS_POPUP window, topmost, shown without activation and painted at
 * once with one full frame of pixels (StretchDIBits of a bitmap computed before the window is
 * created); then, like LOMA.exe, a tick a second, ending after the eleventh. Nothing is decoded,
 * no font is loaded, no C++ runtime: what LOMA.exe's window time is set against.
 *
 * Build: x86_64-w64-mingw32-gcc -O2 -municode -mwindows -o floor.exe floor_win32.c */
#ifndef UNICODE
#define UNICODE
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdint.h>

enum { kWidth = 571, kHeight = 253, kTicks = 11 };

static uint32_t pixels[kWidth * kHeight];
static BITMAPINFO info;
static int ticks;

static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      StretchDIBits(dc, 0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, pixels, &info, DIB_RGB_COLORS,
                    SRCCOPY);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_TIMER:
      if (++ticks == kTicks) {
        PostQuitMessage(0);
      } else {
        RECT number = {250, 150, 320, 200};
        InvalidateRect(window, &number, FALSE);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, w, l);
  }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)previous, (void)command_line, (void)show;
  for (int r = 0; r < kHeight; ++r)
    for (int c = 0; c < kWidth; ++c) pixels[r * kWidth + c] = (uint32_t)(r * 0x10101 ^ c * 0x100);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  WNDCLASSEXW window_class;
  ZeroMemory(&window_class, sizeof window_class);
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = window_proc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(NULL, (LPCWSTR)IDI_APPLICATION);
  window_class.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  window_class.lpszClassName = L"LomaFloor";
  RegisterClassExW(&window_class);
  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, y = 7;
  HWND window = CreateWindowExW(0, L"LomaFloor", L"LOMA", WS_POPUP, x, y, kWidth, kHeight, NULL,
                                NULL, instance, NULL);
  SetTimer(window, 1, 1000, NULL);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
