// X11 platform: implements monitor.h.
#include "platform/x11/monitor.h"

#include <X11/Xlib-xcb.h>
#include <xcb/randr.h>
#include <xcb/xinerama.h>

#include "platform/x11/primary_choice.h"
#include "platform/x11/xcb_reply.h"

namespace platform::x11 {
namespace {

bool present(xcb_connection_t* connection, xcb_extension_t* extension) {
  const xcb_query_extension_reply_t* data = xcb_get_extension_data(connection, extension);
  return data && data->present;
}

}  // namespace

// Asked through the display's XCB connection, so that the requests go out together: both
// extensions looked up in one round trip, then RandR's version and monitors and Xinerama's
// state and heads in a second. Xlib's own calls take eight (with the Generic Event Extension's
// look-up that libXrandr adds). RandR 1.5 lists the monitors with the primary marked; a server
// without it answers the monitors with an error, and the version says so as well.
forms::PixelRect primaryMonitor(Display* display) {
  MonitorLists lists;
  lists.screen = {0, 0, DisplayWidth(display, DefaultScreen(display)),
                  DisplayHeight(display, DefaultScreen(display))};
  xcb_connection_t* connection = XGetXCBConnection(display);
  xcb_prefetch_extension_data(connection, &xcb_randr_id);
  xcb_prefetch_extension_data(connection, &xcb_xinerama_id);
  bool randr = present(connection, &xcb_randr_id);
  bool xinerama = present(connection, &xcb_xinerama_id);

  xcb_randr_query_version_cookie_t version{};
  xcb_randr_get_monitors_cookie_t monitors{};
  if (randr) {
    version = xcb_randr_query_version(connection, 1, 5);
    // X resource ids are 29 bits: Xlib keeps them in a long, XCB in 32 bits.
    auto root = static_cast<xcb_window_t>(DefaultRootWindow(display));
    monitors = xcb_randr_get_monitors(connection, root, 1);
  }
  xcb_xinerama_is_active_cookie_t active{};
  xcb_xinerama_query_screens_cookie_t screens{};
  if (xinerama) {
    active = xcb_xinerama_is_active(connection);
    screens = xcb_xinerama_query_screens(connection);
  }

  if (randr) {
    auto v = replyTo(version, connection, xcb_randr_query_version_reply);
    auto m = replyTo(monitors, connection, xcb_randr_get_monitors_reply);
    if (v && v->major_version * 100 + v->minor_version >= 105 && m) {
      std::vector<RandrMonitor> list;
      for (auto it = xcb_randr_get_monitors_monitors_iterator(m.get()); it.rem;
           xcb_randr_monitor_info_next(&it))
        list.push_back(
            {{it.data->x, it.data->y, it.data->width, it.data->height}, it.data->primary != 0});
      lists.randr = std::move(list);
    }
  }
  if (xinerama) {
    auto a = replyTo(active, connection, xcb_xinerama_is_active_reply);
    auto s = replyTo(screens, connection, xcb_xinerama_query_screens_reply);
    // Xinerama's heads in its own order, head 0 first; none when it is not active.
    if (a && a->state && s) {
      const xcb_xinerama_screen_info_t* info = xcb_xinerama_query_screens_screen_info(s.get());
      int count = xcb_xinerama_query_screens_screen_info_length(s.get());
      for (int i = 0; i < count; ++i)
        lists.xinerama.push_back({info[i].x_org, info[i].y_org, info[i].width, info[i].height});
    }
  }
  return choosePrimary(lists);
}

}  // namespace platform::x11
