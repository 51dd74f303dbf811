/* The stand-in diagnostic program: records how it was asked to show itself, then ends.
 *
 * It writes LOMADiag.ran next to itself, one line:
 *   dwFlags=0x00000001 wShowWindow=0 nCmdShow=0
 * so a test can read, from outside, the show state that the launcher started it with.
 *
 * Built with LOMA_STUB_WINDOW (LOMADiagWindow.exe) it adds two lines, cwd=FOLDER and
 * commandLine=LINE (UTF-8), and then also does what a real program does
 * with that state: it makes its main window, titled "LOMADiag", shows it with nCmdShow, and
 * runs for three seconds, so that a test can see from the X server whether that window was ever
 * mapped. */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

#ifdef LOMA_STUB_WINDOW
static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_TIMER) PostQuitMessage(0);
  return DefWindowProcW(window, message, w, l);
}

static int runWindow(HINSTANCE instance, int nCmdShow) {
  WNDCLASSW type = {0};
  type.lpfnWndProc = windowProcedure;
  type.hInstance = instance;
  type.lpszClassName = L"LOMADiag";
  type.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  if (!RegisterClassW(&type)) return 5;
  HWND window = CreateWindowExW(0, L"LOMADiag", L"LOMADiag", WS_OVERLAPPEDWINDOW, 100, 100, 300,
                                200, NULL, NULL, instance, NULL);
  if (!window) return 6;
  ShowWindow(window, nCmdShow);
  UpdateWindow(window);
  SetTimer(window, 1, 3000, NULL);
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int nCmdShow) {
  (void)instance;
  (void)previous;
  (void)commandLine;
  STARTUPINFOW startup;
  GetStartupInfoW(&startup);

  wchar_t path[MAX_PATH + 8];
  DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  wchar_t* dot = wcsrchr(path, L'.');
  if (!dot) dot = path + length;
  wcscpy(dot, L".ran");

  char line[3 * 1024 + 96];
  int n = snprintf(line, 96, "dwFlags=0x%08lx wShowWindow=%u nCmdShow=%d\r\n",
                   (unsigned long)startup.dwFlags, (unsigned)startup.wShowWindow, nCmdShow);
#ifdef LOMA_STUB_WINDOW
  /* Then, in UTF-8, the folder it was started in and its whole command line. */
  wchar_t more[1024];
  wchar_t folder[MAX_PATH];
  DWORD folderLength = GetCurrentDirectoryW(MAX_PATH, folder);
  if (folderLength == 0 || folderLength >= MAX_PATH) return 2;
  swprintf(more, 1024, L"cwd=%ls\r\ncommandLine=%ls\r\n", folder, GetCommandLineW());
  int bytes = WideCharToMultiByte(CP_UTF8, 0, more, -1, line + n, (int)sizeof line - n, NULL, NULL);
  if (bytes <= 0) return 2;
  n += bytes - 1;
#endif
  HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  BOOL ok = WriteFile(file, line, (DWORD)n, &written, NULL);
  CloseHandle(file);
  if (!ok || written != (DWORD)n) return 4;
#ifdef LOMA_STUB_WINDOW
  return runWindow(instance, nCmdShow);
#else
  return 0;
#endif
}
