// Finding the diagnostic program at its install path, saying so, and starting it.
#pragma once

#include <string_view>

#include "platform/api.h"
#include "ui/launcher_window.h"

namespace launch {

constexpr std::u16string_view kDiagnosticPath = u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe";
constexpr std::u16string_view kDiagnosticFileName = u"LOMADiag.exe";

constexpr std::u16string_view kSystemTitle = u"ZAVRO Fi 診斷系統";
constexpr std::u16string_view kStarted = u"已經啟動";
constexpr std::u16string_view kNotFound = u"未發現 診斷系統";

// Sets the status message and, when the program is there, starts it hidden. A start that
// fails raises its runtime error to the caller.
void detectAndStart(ui::LOMA_Frm& frm, platform::Services& services);

}  // namespace launch
