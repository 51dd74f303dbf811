#include "ui/close_button.h"

#include "forms/errors.h"

namespace ui {

using forms::resumeNext;

void skinCloseButton(LOMA_Frm& frm) {
  const std::int16_t i = 0;
  resumeNext([&] { frm.Image3->setPicture(frm.sBT0(1).picture()); },
             // The designed element already exists, so this load fails and is skipped.
             [&] { frm.BasePic.load(i); },
             [&] { frm.BasePic(i).setPicture(frm.sBT0(0).picture()); },
             // From the Tag and not the label's current Top, so the button comes out the same
             // however often this runs.
             [&] { frm.BasePic(i).setTop(forms::textToSingle(frm.ComBT(i).tag())); },
             [&] { frm.BasePic(i).setLeft(frm.ComBT(i).left()); },
             [&] { frm.BasePic(i).setWidth(frm.ComBT(i).width()); },
             [&] { frm.BasePic(i).setHeight(frm.ComBT(i).height()); },
             [&] { frm.BasePic(i).setBorderStyle(forms::BorderStyle::None); },
             [&] { frm.BasePic(i).setVisible(true); }, [&] { frm.ComBT(i).bringToFront(); },
             // The caption sits 350 twips below the face's top edge.
             [&] { frm.ComBT(i).setTop(frm.BasePic(i).top() + 350); },
             [&] { frm.ComBT(i).setBorderStyle(forms::BorderStyle::None); });
}

void ComBT_MouseDown(LOMA_Frm& frm, std::int16_t index, const forms::MouseEvent&) {
  resumeNext([&] { frm.BasePic(index).setPicture(frm.sBT0(1).picture()); });
}

void ComBT_MouseUp(LOMA_Frm& frm, std::int16_t index, const forms::MouseEvent&) {
  resumeNext([&] { frm.BasePic(index).setPicture(frm.sBT0(0).picture()); });
}

void ComBT_Click(LOMA_Frm&, platform::Services& services, std::int16_t) {
  services.terminate();
}

}  // namespace ui
