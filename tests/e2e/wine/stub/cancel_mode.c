/* cancel_mode.exe: cancels the launcher window's modes, as Windows does when a prompt or another
   desktop takes the mouse from it while a button is held. Exits 0 once the launcher has handled
   the message, 1 when there is no launcher window. */
#include <windows.h>

int wmain(void) {
  HWND launcher = FindWindowW(L"LOMA_Frm", L"LOMA");
  if (!launcher) return 1;
  SendMessageW(launcher, WM_CANCELMODE, 0, 0);
  return 0;
}
