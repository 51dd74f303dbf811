// Win32 platform: the program's entry point.
//
// Implements: wWinMain. DLLs may be loaded from System32 only, set before anything can load
// one; COM is initialised for the OLE pictures; then the start-up runs on the Win32 host. The
// command line is not read.
#include "platform/win32/win32_api.h"

#include <objbase.h>

#include "app/startup.h"
#include "platform/win32/host.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int exitCode = 0;
  {
    platform::win32::Host host(instance);
    platform::dispatch(host, [&] { exitCode = app::start(host); });
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}
