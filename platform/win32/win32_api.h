// Win32 platform: the Windows SDK for this folder. platform/api.h names SetWindowPos's values
// (HWND_TOPMOST, SWP_SHOWWINDOW, SWP_NOACTIVATE) as the launcher knows them, and <windows.h>
// defines the same names as macros: api.h must be read first, so every file here includes the
// SDK through this header.
#pragma once

// clang-format off
#include "platform/api.h"
#include <windows.h>
// clang-format on
