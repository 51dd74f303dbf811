// X11 platform: the program entry. The command line is ignored.
#include <cstdlib>

#include "app/startup.h"
#include "platform/x11/host.h"

int main() {
  platform::x11::Host host;
  if (!host.open()) return EXIT_FAILURE;
  return app::start(host);
}
