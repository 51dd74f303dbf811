/* The window both Win32 floors of the bench show, so that they differ only in how they paint:
 * LOMA.exe's 571x253 WS_POPUP window, topmost, shown without activation and painted at once;
 * then, like LOMA.exe, a tick a second that repaints the number, ending after the eleventh.
 * Included by floor_win32.c and floor_win32_stack.c, each built alone with one gcc command. */
#ifndef LOMA_BENCH_FLOOR_WIN32_WINDOW_H
#define LOMA_BENCH_FLOOR_WIN32_WINDOW_H

#ifndef UNICODE
#define UNICODE
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

enum { kWidth = 571, kHeight = 253, kTicks = 11 };

static void (*floor_paint)(HDC dc);
static RECT floor_number;
static int floor_ticks;

static LRESULT CALLBACK floor_window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      floor_paint(dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_TIMER:
      if (++floor_ticks == kTicks) {
        PostQuitMessage(0);
      } else {
        InvalidateRect(window, &floor_number, FALSE);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, w, l);
  }
}

/* Shows the window of class NAME painted by PAINT, whose tick repaints NUMBER, and runs its
 * messages until the last tick. */
static int floor_run(HINSTANCE instance, const wchar_t* name, void (*paint)(HDC), RECT number) {
  floor_paint = paint;
  floor_number = number;
  WNDCLASSEXW window_class;
  ZeroMemory(&window_class, sizeof window_class);
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = floor_window_proc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(NULL, (LPCWSTR)IDI_APPLICATION);
  window_class.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);
  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, y = 7;
  HWND window = CreateWindowExW(0, name, L"LOMA", WS_POPUP, x, y, kWidth, kHeight, NULL, NULL,
                                instance, NULL);
  SetTimer(window, 1, 1000, NULL);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

#endif
