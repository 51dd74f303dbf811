// The countdown from 10 that ends the launcher one tick after 0.
#pragma once

#include "platform/api.h"
#include "ui/launcher_window.h"

namespace launch {

constexpr std::int16_t kCountdownStart = 10;

void Timer1_Timer(ui::LOMA_Frm& frm, platform::Services& services);

}  // namespace launch
