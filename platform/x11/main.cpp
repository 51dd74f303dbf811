// X11 platform: the program entry. The command line is ignored.
#include <cstdlib>

#include "app/startup.h"
#include "platform/posix/wine_drive.h"
#include "platform/x11/host.h"

int main() {
  platform::posix::settleWinePrefix();
  platform::x11::Host host;
  if (!host.open()) return EXIT_FAILURE;
  int exitCode = 0;
  platform::dispatch(host, [&] { exitCode = app::start(host); });
  return exitCode;
}
