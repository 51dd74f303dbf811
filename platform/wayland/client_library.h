// Wayland platform: libwayland-client, opened only when the Wayland host is tried.
//
// The one way the Wayland host's files include the client API. Nothing of the library is
// linked: a start on X11, the common case, maps neither it nor libffi. The core protocol's
// interfaces are compiled in from wayland.xml (hidden, like the other protocols'), and every
// function of the library the host calls goes through a pointer looked up when it opens. The
// names are redirected before the protocol headers, so that their inline requests call through
// the pointers too; a function not redirected here is an undefined symbol and fails the link.
#pragma once

#include <wayland-client-core.h>

namespace platform::wayland {

struct ClientLibrary {
  decltype(&::wl_display_connect) displayConnect = nullptr;
  decltype(&::wl_display_disconnect) displayDisconnect = nullptr;
  decltype(&::wl_display_roundtrip) displayRoundtrip = nullptr;
  decltype(&::wl_display_dispatch_pending) displayDispatchPending = nullptr;
  decltype(&::wl_display_flush) displayFlush = nullptr;
  decltype(&::wl_display_get_fd) displayGetFd = nullptr;
  decltype(&::wl_display_get_error) displayGetError = nullptr;
  decltype(&::wl_display_prepare_read) displayPrepareRead = nullptr;
  decltype(&::wl_display_read_events) displayReadEvents = nullptr;
  decltype(&::wl_display_cancel_read) displayCancelRead = nullptr;
  decltype(&::wl_proxy_marshal_flags) proxyMarshalFlags = nullptr;
  decltype(&::wl_proxy_add_listener) proxyAddListener = nullptr;
  decltype(&::wl_proxy_get_version) proxyGetVersion = nullptr;
  decltype(&::wl_proxy_get_id) proxyGetId = nullptr;
  decltype(&::wl_proxy_destroy) proxyDestroy = nullptr;
};

// Set by openClientLibrary, all or nothing.
extern ClientLibrary clientLibrary;

// Opens the library and looks up every function above; false, having said nothing, when the
// library or one of its functions is missing: the caller then starts the X11 host.
bool openClientLibrary(const char* file = "libwayland-client.so.0");

}  // namespace platform::wayland

#define wl_display_connect (::platform::wayland::clientLibrary.displayConnect)
#define wl_display_disconnect (::platform::wayland::clientLibrary.displayDisconnect)
#define wl_display_roundtrip (::platform::wayland::clientLibrary.displayRoundtrip)
#define wl_display_dispatch_pending (::platform::wayland::clientLibrary.displayDispatchPending)
#define wl_display_flush (::platform::wayland::clientLibrary.displayFlush)
#define wl_display_get_fd (::platform::wayland::clientLibrary.displayGetFd)
#define wl_display_get_error (::platform::wayland::clientLibrary.displayGetError)
#define wl_display_prepare_read (::platform::wayland::clientLibrary.displayPrepareRead)
#define wl_display_read_events (::platform::wayland::clientLibrary.displayReadEvents)
#define wl_display_cancel_read (::platform::wayland::clientLibrary.displayCancelRead)
#define wl_proxy_marshal_flags (::platform::wayland::clientLibrary.proxyMarshalFlags)
#define wl_proxy_add_listener (::platform::wayland::clientLibrary.proxyAddListener)
#define wl_proxy_get_version (::platform::wayland::clientLibrary.proxyGetVersion)
#define wl_proxy_get_id (::platform::wayland::clientLibrary.proxyGetId)
#define wl_proxy_destroy (::platform::wayland::clientLibrary.proxyDestroy)

// After the redirections, for the inline requests.
#include <wayland-client-protocol.h>
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
