/* A screen reader's view of LOMA.exe, as a test: an Active Accessibility client of our own.
 *
 *   a11y_client.exe PATH-TO-LOMA.exe WINDOW-X WINDOW-Y
 *
 * First starts the launcher once with no client about: oleacc must not be loaded in it. Then
 * hooks the live-region, alert and name-change events, starts the launcher again, reads the
 * status it reads out when it shows (once, as a live region's change, and no alert), gets the
 * window's client object with AccessibleObjectFromWindow, checks each child's role, name and place,
 * hears three ticks of the countdown, and ends the launcher with accDoDefaultAction on the button.
 * One line per check and "N passed, N failed" last. */
#define COBJMACROS
#include <oleacc.h>
#ifndef EVENT_OBJECT_LIVEREGIONCHANGED
#define EVENT_OBJECT_LIVEREGIONCHANGED 0x8019
#endif
#include <psapi.h>
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

/* Spelled out: the import library's IID_IAccessible is a thunk under mingw. */
static const IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

static int passed, failed;
static void check(const char* what, int ok) {
  if (ok)
    passed++;
  else
    failed++;
  printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  fflush(stdout);
}

static void utf8(const wchar_t* text, char* out, int size) {
  if (!text) text = L"(none)";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out, size, NULL, NULL);
}

static HWND launcher;
static wchar_t alerted[256];
static int nLive, nAlerts; /* the status's live-region changes, and alerts (there should be none) */
static wchar_t changes[16][32];
static int nChanges;
static double alertedAt;
static LARGE_INTEGER started, frequency;

static double seconds(void) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (double)(now.QuadPart - started.QuadPart) / (double)frequency.QuadPart;
}

/* The name of the object an event names, read as a screen reader reads it. */
static BSTR nameOf(HWND hwnd, LONG object, LONG child) {
  IAccessible* acc = NULL;
  VARIANT c;
  BSTR name = NULL;
  VariantInit(&c);
  if (AccessibleObjectFromEvent(hwnd, (DWORD)object, (DWORD)child, &acc, &c) != S_OK || !acc)
    return NULL;
  if (IAccessible_get_accName(acc, c, &name) != S_OK) name = NULL;
  IAccessible_Release(acc);
  return name;
}

static void CALLBACK onEvent(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child,
                             DWORD thread, DWORD time) {
  (void)hook;
  (void)thread;
  (void)time;
  wchar_t cls[32] = L"";
  GetClassNameW(hwnd, cls, 32);
  if (wcscmp(cls, L"LOMA_Frm") != 0) return;
  BSTR name = nameOf(hwnd, object, child);
  if (event == EVENT_SYSTEM_ALERT) nAlerts++;
  if (event == EVENT_OBJECT_LIVEREGIONCHANGED && name) {
    if (!alerted[0]) {
      wcsncpy(alerted, name, 255);
      alertedAt = seconds();
    }
    nLive++;
  } else if (event == EVENT_OBJECT_NAMECHANGE && name && nChanges < 16) {
    wcsncpy(changes[nChanges++], name, 31);
  }
  SysFreeString(name);
}

static void pump(double until, int (*done)(void)) {
  while (seconds() < until && !(done && done())) {
    MSG m;
    while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
  }
}
static int heardEnough(void) {
  return alerted[0] && nChanges >= 3;
}

/* Whether a process has loaded a DLL of this name. */
static int hasModule(HANDLE process, const wchar_t* dll) {
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!K32EnumProcessModules(process, modules, sizeof modules, &bytes)) return -1;
  for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; i++) {
    wchar_t name[MAX_PATH];
    if (K32GetModuleBaseNameW(process, modules[i], name, MAX_PATH) && !_wcsicmp(name, dll))
      return 1;
  }
  return 0;
}

static HWND awaitWindow(double until) {
  HWND w = NULL;
  while (seconds() < until && !(w = FindWindowW(L"LOMA_Frm", NULL))) pump(seconds() + 0.05, NULL);
  while (w && seconds() < until && !IsWindowVisible(w)) pump(seconds() + 0.05, NULL);
  return w;
}

static VARIANT childId(LONG id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  int wx = _wtoi(argv[2]), wy = _wtoi(argv[3]);
  QueryPerformanceFrequency(&frequency);
  CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  STARTUPINFOW si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  char text[512];

  /* No client about: the launcher shows, counts, and has not loaded oleacc. */
  QueryPerformanceCounter(&started);
  if (CreateProcessW(argv[1], NULL, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
    HWND quiet = awaitWindow(20);
    pump(seconds() + 1.2, NULL);
    int loaded = hasModule(pi.hProcess, L"oleacc.dll");
    int ole32 = hasModule(pi.hProcess, L"ole32.dll");
    snprintf(text, sizeof text,
             "no client asked: oleacc not loaded (%d; ole32 %d, the check works)", loaded, ole32);
    check(text, quiet && loaded == 0 && ole32 == 1);
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 3000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }

  SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, NULL, onEvent, 0, 0,
                  WINEVENT_OUTOFCONTEXT);
  SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, NULL, onEvent, 0,
                  0, WINEVENT_OUTOFCONTEXT);
  SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, NULL, onEvent, 0, 0,
                  WINEVENT_OUTOFCONTEXT);

  QueryPerformanceCounter(&started);
  if (!CreateProcessW(argv[1], NULL, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
    check("the launcher starts", 0);
    printf("%d passed, %d failed\n", passed, failed);
    return 1;
  }
  launcher = awaitWindow(20);
  check("the launcher's window shows", launcher && IsWindowVisible(launcher));
  check("it does not take the focus", GetForegroundWindow() != launcher);

  IAccessible* client = NULL;
  HRESULT hr =
      AccessibleObjectFromWindow(launcher, (DWORD)OBJID_CLIENT, &kIidAccessible, (void**)&client);
  snprintf(text, sizeof text, "AccessibleObjectFromWindow gives the client object (0x%08lx)",
           (unsigned long)hr);
  check(text, hr == S_OK && client);
  check("and the launcher has loaded oleacc now", hasModule(pi.hProcess, L"oleacc.dll") == 1);
  if (client) {
    VARIANT self = childId(CHILDID_SELF), role;
    BSTR name = NULL;
    LONG count = 0;
    IAccessible_get_accName(client, self, &name);
    IAccessible_get_accRole(client, self, &role);
    IAccessible_get_accChildCount(client, &count);
    utf8(name, text, sizeof text);
    check("the client is named LOMA", name && wcscmp(name, L"LOMA") == 0);
    SysFreeString(name);
    check("its role is client", role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_CLIENT);
    printf("       %ld children\n", (long)count);
    check("six children", count == 6);

    struct {
      LONG role;
      const wchar_t* name;
      LONG x, y, w, h;
    } want[6] = {
        {ROLE_SYSTEM_GRAPHIC, L"ZAVRO Fi 診斷系統啓動器", 42, 30, 492, 74},
        {ROLE_SYSTEM_PUSHBUTTON, L"關閉", 43, 103, 159, 108},
        {ROLE_SYSTEM_STATICTEXT, L"未發現 診斷系統", 218, 137, 304, 66},
        {ROLE_SYSTEM_STATICTEXT, NULL, 45, 174, 89, 73},
        {ROLE_SYSTEM_STATICTEXT, L"(C) ZAVRO Fi LOMA Diagnostic Launcher", 256, 190, -1, -1},
        {ROLE_SYSTEM_GRAPHIC, L"時間倒數到 0 關閉啓動器", 139, 204, 327, 24},
    };
    for (LONG i = 1; i <= 6 && i <= count; i++) {
      VARIANT c = childId(i);
      LONG x = 0, y = 0, w = 0, h = 0;
      name = NULL;
      VariantInit(&role);
      IAccessible_get_accName(client, c, &name);
      IAccessible_get_accRole(client, c, &role);
      IAccessible_accLocation(client, &x, &y, &w, &h, c);
      char n[256];
      utf8(name, n, sizeof n);
      int ok = role.vt == VT_I4 && role.lVal == want[i - 1].role && name &&
               (!want[i - 1].name || wcscmp(name, want[i - 1].name) == 0) &&
               x - wx == want[i - 1].x && y - wy == want[i - 1].y &&
               (want[i - 1].w < 0 || (w == want[i - 1].w && h == want[i - 1].h));
      snprintf(text, sizeof text, "child %ld: role %ld \"%s\" at %ld,%ld %ldx%ld", (long)i,
               (long)role.lVal, n, (long)(x - wx), (long)(y - wy), (long)w, (long)h);
      check(text, ok);
      SysFreeString(name);
    }

    /* Moving through the children, and finding the button under a point. */
    VARIANT end;
    VariantInit(&end);
    IAccessible_accNavigate(client, NAVDIR_FIRSTCHILD, self, &end);
    VARIANT next;
    VariantInit(&next);
    IAccessible_accNavigate(client, NAVDIR_NEXT, end, &next);
    check("accNavigate: first child 1, next 2",
          end.vt == VT_I4 && end.lVal == 1 && next.vt == VT_I4 && next.lVal == 2);
    VARIANT hit;
    VariantInit(&hit);
    IAccessible_accHitTest(client, wx + 120, wy + 150, &hit);
    check("accHitTest on the caption finds the button", hit.vt == VT_I4 && hit.lVal == 2);
    /* The credit line lies inside the status's rectangle, in front of it: at its middle the
     * frontmost, the credit line (child 5), never the status (3). */
    VariantInit(&hit);
    IAccessible_accHitTest(client, wx + 391, wy + 196, &hit);
    snprintf(text, sizeof text, "accHitTest at the credit line's middle finds it (child %ld)",
             hit.vt == VT_I4 ? (long)hit.lVal : -1L);
    check(text, hit.vt == VT_I4 && hit.lVal == 5);
    BSTR action = NULL;
    IAccessible_get_accDefaultAction(client, childId(2), &action);
    check("the button's default action is Press", action && wcscmp(action, L"Press") == 0);
    SysFreeString(action);

    /* The status read out as the window showed, and three ticks. */
    pump(seconds() + 4.5, heardEnough);
    utf8(alerted, text, sizeof text);
    printf("       live region: \"%s\" %.2f s after start\n", text, alertedAt);
    snprintf(text, sizeof text,
             "the status was read out once, as a live region's change (%d; alerts %d)", nLive,
             nAlerts);
    check(text, wcscmp(alerted, L"未發現 診斷系統") == 0 && nLive == 1 && nAlerts == 0);
    char heard[128] = "";
    for (int i = 0; i < nChanges; i++) {
      char one[32];
      utf8(changes[i], one, sizeof one);
      strncat(heard, one, sizeof heard - strlen(heard) - 2);
      strncat(heard, " ", sizeof heard - strlen(heard) - 1);
    }
    printf("       name changes: %s\n", heard);
    check("three name changes of the count: 9 8 7", nChanges >= 3 && !wcscmp(changes[0], L"9") &&
                                                        !wcscmp(changes[1], L"8") &&
                                                        !wcscmp(changes[2], L"7"));

    /* The button's default action: returns at once; the click then ends the launcher. */
    double before = seconds();
    hr = IAccessible_accDoDefaultAction(client, childId(2));
    double took = seconds() - before;
    DWORD waited = WaitForSingleObject(pi.hProcess, 3000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    snprintf(text, sizeof text,
             "accDoDefaultAction returns (0x%08lx, %.3f s) and the launcher ends, code %lu",
             (unsigned long)hr, took, (unsigned long)code);
    check(text, hr == S_OK && waited == WAIT_OBJECT_0 && code == 0);
    IAccessible_Release(client);
  }
  if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 9);
  printf("%d passed, %d failed\n", passed, failed);
  return failed ? 1 : 0;
}
