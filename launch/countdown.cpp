#include "launch/countdown.h"

namespace launch {

void Timer1_Timer(ui::LOMA_Frm& frm, platform::Services& services) {
  forms::resumeNext([&] { frm.EndTime = forms::addInteger(frm.EndTime, 1); },
                    [&] {
                      frm.ShowEndTime->setCaption(forms::integerToText(
                          forms::subtractInteger(kCountdownStart, frm.EndTime)));
                    },
                    // The eleventh tick ends the program before its "-1" is ever painted.
                    [&] {
                      if (frm.EndTime > kCountdownStart) services.terminate();
                    });
}

}  // namespace launch
