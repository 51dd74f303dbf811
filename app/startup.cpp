#include "app/startup.h"

#include "app/form_load.h"
#include "launch/countdown.h"
#include "ui/close_button.h"

namespace app {

Launcher::Launcher(platform::Host& host) : host_(host) {
  host_.attach(frm_);
  frm_.Timer1->onTimer = [this](forms::Timer&) {
    platform::dispatch(host_, [&] { launch::Timer1_Timer(frm_, host_); });
  };
  // Wired on element 0; an element loaded later copies these handlers.
  auto& button = frm_.ComBT(0);
  button.onMouseDown = [this](forms::Control& c, const forms::MouseEvent& e) {
    platform::dispatch(host_, [&] { ui::ComBT_MouseDown(frm_, c.index().value_or(0), e); });
  };
  button.onMouseUp = [this](forms::Control& c, const forms::MouseEvent& e) {
    platform::dispatch(host_, [&] { ui::ComBT_MouseUp(frm_, c.index().value_or(0), e); });
  };
  button.onClick = [this](forms::Control& c) {
    platform::dispatch(host_, [&] { ui::ComBT_Click(frm_, host_, c.index().value_or(0)); });
  };
}

void Launcher::load() {
  platform::dispatch(host_, [&] { Form_Load(frm_, host_); });
  frm_.show();
}

int start(platform::Host& host) {
  Launcher launcher(host);
  launcher.load();
  return host.run();
}

}  // namespace app
