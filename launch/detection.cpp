#include "launch/detection.h"

namespace launch {

void detectAndStart(ui::LOMA_Frm& frm, platform::Services& services) {
  std::u16string name = services.dir(kDiagnosticPath, platform::vbNormal);
  bool found = forms::toUpper(name) == forms::toUpper(kDiagnosticFileName);
  if (found) {
    // The two-line message starts higher in the panel than the one-line one.
    frm.MSg->setTop(1820);
    frm.MSg->setCaption(std::u16string(kSystemTitle) + u'\n' + std::u16string(kStarted));
    [[maybe_unused]] double taskId = services.shell(kDiagnosticPath, platform::vbHide);
  } else {
    frm.MSg->setTop(2050);
    frm.MSg->setCaption(std::u16string(kNotFound));
  }
}

}  // namespace launch
