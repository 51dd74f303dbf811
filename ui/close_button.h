// The image-backed close button: a face image under a transparent caption label.
#pragma once

#include <cstdint>

#include "forms/control.h"
#include "platform/api.h"
#include "ui/launcher_window.h"

namespace ui {

// Puts the up face behind the caption label and gives the status panel the down face.
void skinCloseButton(LOMA_Frm& frm);

void ComBT_MouseDown(LOMA_Frm& frm, std::int16_t index, const forms::MouseEvent& event);
void ComBT_MouseUp(LOMA_Frm& frm, std::int16_t index, const forms::MouseEvent& event);
void ComBT_Click(LOMA_Frm& frm, platform::Services& services, std::int16_t index);

}  // namespace ui
