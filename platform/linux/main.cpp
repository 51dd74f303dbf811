// Linux desktop: the program entry. The command line is ignored.
//
// Under a Wayland compositor that offers layer-shell the launcher's window is a layer surface
// of its own host; everywhere else (X11 desktops, GNOME, weston) it is an X11 window, through
// XWayland under Wayland.
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "platform/linux/host_loop.h"
#include "platform/paint/decode_ahead.h"
#include "platform/posix/resource_floor.h"
#include "platform/posix/wine_drive.h"
#include "platform/wayland/host.h"
#include "platform/x11/host.h"

namespace {

template <class Host>
int runOn(Host& host) {
  int exitCode = 0;
  platform::dispatch(host, [&] { exitCode = app::start(host); });
  return exitCode;
}

}  // namespace

int main() {
  // Before any library runs: below these floors they crash or abort without a word of why.
  if (auto reason = platform::posix::limitBelowFloor()) {
    std::fprintf(stderr, "loma: %s\n", reason->c_str());
    return EXIT_FAILURE;
  }
  platform::posix::settleWinePrefix();
  // The pictures are decoded on the second core while this one waits for the display.
  platform::paint::DecodeAhead pictures(platform::paint::DecodeAhead::embeddedJpegs());
  if (platform::wayland::Host::wanted()) {
    platform::desktop::HostLoop<platform::wayland::Host> host;
    if (host.open()) return runOn(host);
  }
  platform::desktop::HostLoop<platform::x11::Host> host;
  if (!host.open()) return EXIT_FAILURE;
  return runOn(host);
}
