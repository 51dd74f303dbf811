// Start-up: the one window, its handlers, the load sequence, then the platform's event loop.
#pragma once

#include "platform/api.h"
#include "ui/launcher_window.h"

namespace app {

class Launcher {
 public:
  // Creates LOMA_Frm from its layout, gives it its native window and wires its handlers.
  explicit Launcher(platform::Host& host);
  // Runs Form_Load, then shows the window.
  void load();
  ui::LOMA_Frm& form() { return frm_; }

 private:
  platform::Host& host_;
  ui::LOMA_Frm frm_;
};

// What a platform's entry point calls; the command line is not read. Returns the exit code.
int start(platform::Host& host);

}  // namespace app
