// X11 platform: the program entry. The command line is ignored.
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "platform/posix/resource_floor.h"
#include "platform/posix/wine_drive.h"
#include "platform/x11/host.h"

int main() {
  // Before any library runs: below these floors they crash or abort without a word of why.
  if (auto reason = platform::posix::limitBelowFloor()) {
    std::fprintf(stderr, "loma: %s\n", reason->c_str());
    return EXIT_FAILURE;
  }
  platform::posix::settleWinePrefix();
  platform::x11::Host host;
  if (!host.open()) return EXIT_FAILURE;
  int exitCode = 0;
  platform::dispatch(host, [&] { exitCode = app::start(host); });
  return exitCode;
}
