// Wayland platform: implements client_library.h.
#include "platform/wayland/client_library.h"

#include <dlfcn.h>

namespace platform::wayland {

ClientLibrary clientLibrary;

namespace {

template <class F>
bool find(void* library, F& f, const char* name) {
  f = reinterpret_cast<F>(dlsym(library, name));
  return f != nullptr;
}

}  // namespace

bool openClientLibrary(const char* file) {
  void* library = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (!library) return false;
  ClientLibrary l;
  if (find(library, l.displayConnect, "wl_display_connect") &&
      find(library, l.displayDisconnect, "wl_display_disconnect") &&
      find(library, l.displayRoundtrip, "wl_display_roundtrip") &&
      find(library, l.displayDispatchPending, "wl_display_dispatch_pending") &&
      find(library, l.displayFlush, "wl_display_flush") &&
      find(library, l.displayGetFd, "wl_display_get_fd") &&
      find(library, l.displayGetError, "wl_display_get_error") &&
      find(library, l.displayPrepareRead, "wl_display_prepare_read") &&
      find(library, l.displayReadEvents, "wl_display_read_events") &&
      find(library, l.displayCancelRead, "wl_display_cancel_read") &&
      find(library, l.proxyMarshalFlags, "wl_proxy_marshal_flags") &&
      find(library, l.proxyAddListener, "wl_proxy_add_listener") &&
      find(library, l.proxyGetVersion, "wl_proxy_get_version") &&
      find(library, l.proxyGetId, "wl_proxy_get_id") &&
      find(library, l.proxyDestroy, "wl_proxy_destroy")) {
    clientLibrary = l;
    return true;
  }
  dlclose(library);
  return false;
}

}  // namespace platform::wayland
