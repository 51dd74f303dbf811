// The load sequence of the launcher window.
#pragma once

#include "platform/api.h"
#include "ui/launcher_window.h"

namespace app {

// Runs once before the window is first shown; an error here is fatal.
void Form_Load(ui::LOMA_Frm& frm, platform::Services& services);
// Placement, then the skinning of the close button; absorbs its own errors.
void DesignFrm(ui::LOMA_Frm& frm, platform::Services& services);

}  // namespace app
