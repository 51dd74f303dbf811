#include "app/form_load.h"

#include "app/placement.h"
#include "launch/detection.h"
#include "ui/close_button.h"

namespace app {

void DesignFrm(ui::LOMA_Frm& frm, platform::Services& services) {
  placeWindow(frm, services);
  ui::skinCloseButton(frm);
}

void Form_Load(ui::LOMA_Frm& frm, platform::Services& services) {
  frm.setHeight(kRunTimeHeight);
  frm.ComBT(0).setTag(forms::singleToText(frm.ComBT(0).top()));
  DesignFrm(frm, services);
  makeTopmost(frm, services);
  launch::detectAndStart(frm, services);
  frm.EndTime = 0;
}

}  // namespace app
