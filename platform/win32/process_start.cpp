// Win32 platform: program start.
//
// Implements: platform::Services::shell with CreateProcessW. The full path is the application
// name, so no search path is ever consulted; the command line is the path quoted; no handle is
// inherited; the window style reaches the program as its initial show state.
#include "platform/win32/process_start.h"

#include "platform/win32/win32_api.h"

#include <string>

#include "forms/errors.h"
#include "platform/win32/text.h"

namespace platform::win32 {
namespace {

WORD showCommand(int windowStyle) {
  switch (windowStyle) {
    case 0:
      return SW_HIDE;
    case 1:
      return SW_SHOWNORMAL;
    case 2:
      return SW_SHOWMINIMIZED;
    case 3:
      return SW_SHOWMAXIMIZED;
    case 4:
      return SW_SHOWNOACTIVATE;
    case 6:
      return SW_SHOWMINNOACTIVE;
    default:
      throw forms::err::invalidProcedureCall();
  }
}

forms::RuntimeError startFailure(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return forms::err::fileNotFound();
    case ERROR_ACCESS_DENIED:
      return forms::err::permissionDenied();
    default:
      return forms::err::invalidProcedureCall();
  }
}

}  // namespace

double startProgram(std::u16string_view path, int windowStyle) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showCommand(windowStyle);

  std::wstring application = wide(path);
  std::wstring commandLine = L"\"" + application + L"\"";  // CreateProcessW may write to it
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr,
                      /*bInheritHandles=*/FALSE, 0, nullptr, nullptr, &startup, &process))
    throw startFailure(GetLastError());
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return process.dwProcessId;
}

}  // namespace platform::win32
