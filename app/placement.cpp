#include "app/placement.h"

namespace app {

void placeWindow(ui::LOMA_Frm& frm, platform::Services& services) {
  forms::resumeNext(
      [&] {
        double width = frm.width();
        double screen = services.screenWidth();
        frm.setLeft(static_cast<forms::Twips>((screen - width) / 2));
      },
      [&] { frm.setTop(kTopMargin); });
}

void makeTopmost(ui::LOMA_Frm& frm, platform::Services& services) {
  forms::Twips top = frm.top(), left = frm.left(), width = frm.width(), height = frm.height();
  std::intptr_t hWnd = frm.hWnd();
  // The window manager reads these twips as pixels and the zero size shrinks the window; the
  // write-back below puts it where the placement left it.
  [[maybe_unused]] std::int32_t result =
      services.setWindowPos(hWnd, platform::HWND_TOPMOST, forms::clng(left), forms::clng(top), 0, 0,
                            platform::SWP_SHOWWINDOW | platform::SWP_NOACTIVATE);
  frm.setTop(top);
  frm.setLeft(left);
  frm.setHeight(height);
  frm.setWidth(width);
}

}  // namespace app
