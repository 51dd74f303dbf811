// Win32 platform: the one place this folder includes the Windows SDK from, together with the
// platform interface it implements.
#pragma once

// clang-format off
#include "platform/api.h"
#include <windows.h>
// clang-format on
