// The launcher window, LOMA_Frm: its controls as designed, and the tick counter EndTime.
#pragma once

#include <cstdint>

#include "forms/form.h"

namespace ui {

class LOMA_Frm : public forms::Form {
 public:
  // Creates the window and every control with its designed properties and pictures.
  LOMA_Frm();

  forms::Timer* Timer1 = nullptr;
  forms::PictureBox* Picture1 = nullptr;
  forms::ControlArray<forms::Image> sBT0{*this, "sBT0"};
  forms::Label* Label1 = nullptr;
  forms::Label* MSg = nullptr;
  forms::Image* Image2 = nullptr;
  forms::Label* ShowEndTime = nullptr;
  forms::ControlArray<forms::Label> ComBT{*this, "ComBT"};
  forms::ControlArray<forms::Image> BasePic{*this, "BasePic"};
  forms::Image* Image3 = nullptr;
  forms::Image* Image1 = nullptr;

  // Timer ticks seen since the end of the load sequence.
  std::int16_t EndTime = 0;
};

}  // namespace ui
