// X11 platform: replies read from the display's XCB connection, owned and freed as XCB wants.
#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform::x11 {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <class Reply>
using Owned = std::unique_ptr<Reply, FreeReply>;

// The reply to a request sent before; none when the server answered with an error, which is
// dropped: the request counts as unanswered.
template <class Reply, class Cookie>
Owned<Reply> replyTo(Cookie cookie, xcb_connection_t* connection,
                     Reply* (*wait)(xcb_connection_t*, Cookie, xcb_generic_error_t**)) {
  xcb_generic_error_t* error = nullptr;
  Owned<Reply> reply(wait(connection, cookie, &error));
  std::free(error);
  return reply;
}

}  // namespace platform::x11
