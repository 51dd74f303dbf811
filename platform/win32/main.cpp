// Win32 platform: the program's entry point.
//
// Implements: wWinMain. DLLs may be loaded from System32 only, set before anything can load
// one; COM is initialised for the OLE pictures; then the start-up runs on the Win32 host. The
// command line is not read. Every function it imports is in Windows 7 SP1; newer ones are
// looked up at run time.
#include "platform/win32/win32_api.h"

#include <objbase.h>

#include "app/startup.h"
#include "platform/win32/host.h"

namespace {

// SetDefaultDllDirectories came with Windows 8 (to Windows 7 only with an update), so it is
// looked up; where it is missing, SetDllDirectoryW(L"") at least takes the current folder out
// of the search order.
void loadDllsFromSystem32Only() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  // Through void (*)(), the cast that matches any function type.
  auto setDefault =
      reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(found));
  if (setDefault == nullptr || setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) == FALSE) {
    SetDllDirectoryW(L"");
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  loadDllsFromSystem32Only();
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int exitCode = 0;
  {
    platform::win32::Host host(instance);
    platform::dispatch(host, [&] { exitCode = app::start(host); });
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}
