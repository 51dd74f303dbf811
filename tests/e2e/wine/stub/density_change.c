/* density_change.exe DPI: tells the launcher window that its monitor's density is now DPI, as
   Windows does when the scale is changed in the settings. Exits 0 once the message is posted,
   1 when there is no launcher window. */
#include <stdlib.h>
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  WORD dpi = (WORD)_wtoi(argv[1]);
  HWND launcher = FindWindowW(L"LOMA_Frm", L"LOMA");
  if (!launcher) return 1;
  /* The suggested rectangle that Windows passes is left out: the launcher lays itself out
     from its own twips and never reads it. */
  return PostMessageW(launcher, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0) ? 0 : 1;
}
