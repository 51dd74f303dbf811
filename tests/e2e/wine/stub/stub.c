/* The stand-in diagnostic program: records how it was asked to show itself, then ends.
 *
 * It writes LOMADiag.ran next to itself, one line:
 *   dwFlags=0x00000001 wShowWindow=0 nCmdShow=0
 * so a test can read, from outside, the show state that the launcher started it with. */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

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

  char line[96];
  int n = snprintf(line, sizeof line, "dwFlags=0x%08lx wShowWindow=%u nCmdShow=%d\r\n",
                   (unsigned long)startup.dwFlags, (unsigned)startup.wShowWindow, nCmdShow);
  HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  BOOL ok = WriteFile(file, line, (DWORD)n, &written, NULL);
  CloseHandle(file);
  return ok && written == (DWORD)n ? 0 : 4;
}
