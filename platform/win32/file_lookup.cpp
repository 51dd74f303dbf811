// Win32 platform: file lookup.
//
// Implements: platform::Services::dir with FindFirstFileW / FindNextFileW.
#include "platform/win32/file_lookup.h"

#include "platform/win32/win32_api.h"

#include "platform/win32/text.h"

namespace platform::win32 {
namespace {

// FILE_ATTRIBUTE_* bits and the classic mask bits share their values (2, 4, 8, 16).
constexpr DWORD kGuarded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */ |
                           FILE_ATTRIBUTE_DIRECTORY;

bool admitted(DWORD fileAttributes, int mask) {
  DWORD admits = static_cast<DWORD>(mask) & (vbHidden | vbSystem | vbDirectory);
  return (fileAttributes & kGuarded & ~admits) == 0;
}

}  // namespace

std::u16string findFile(std::u16string_view path, int attributes) {
  std::wstring pattern = wide(path);
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return {};  // no match, or no such folder
  std::u16string name;
  do {
    if (admitted(entry.dwFileAttributes, attributes)) {
      name = utf16(entry.cFileName);
      break;
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return name;
}

}  // namespace platform::win32
