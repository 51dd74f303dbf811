/* The floor of the start-up bench under Wine: the least a Windows program does to show a window
 * like LOMA.exe's. A 571x253 WS_POPUP window, topmost, shown without activation and painted at
 * once with one full frame of pixels (StretchDIBits of a bitmap computed before the window is
 * created); then, like LOMA.exe, a tick a second, ending after the eleventh. Nothing is decoded,
 * no font is loaded, no C++ runtime: what LOMA.exe's window time is set against.
 *
 * Build: x86_64-w64-mingw32-gcc -O2 -municode -mwindows -o floor.exe floor_win32.c */
#include <stdint.h>

#include "floor_win32_window.h"

static uint32_t pixels[kWidth * kHeight];
static BITMAPINFO info;

static void paint(HDC dc) {
  StretchDIBits(dc, 0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, pixels, &info, DIB_RGB_COLORS,
                SRCCOPY);
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

  RECT number = {250, 150, 320, 200};
  return floor_run(instance, L"LomaFloor", paint, number);
}
