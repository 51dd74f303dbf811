// The window's place: centred horizontally, 100 twips below the top, above other windows.
#pragma once

#include "platform/api.h"
#include "ui/launcher_window.h"

namespace app {

constexpr forms::Twips kRunTimeHeight = 3800;
constexpr forms::Twips kTopMargin = 100;

// Centres the window on the screen (Left unrounded) and sets its Top; resume-next.
void placeWindow(ui::LOMA_Frm& frm, platform::Services& services);
// Makes the window topmost and shown without activating it, keeping its geometry.
void makeTopmost(ui::LOMA_Frm& frm, platform::Services& services);

}  // namespace app
