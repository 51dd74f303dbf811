// Linux desktop: implements a11y_status.h.
#include "platform/linux/a11y_status.h"

#include <dbus/dbus.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace platform::desktop {
namespace {

// The few libdbus entry points the question needs, looked up in a library loaded for it.
struct DBus {
  void* library = nullptr;
  decltype(&dbus_error_init) errorInit = nullptr;
  decltype(&dbus_error_free) errorFree = nullptr;
  decltype(&dbus_bus_get_private) busGetPrivate = nullptr;
  decltype(&dbus_connection_set_exit_on_disconnect) setExitOnDisconnect = nullptr;
  decltype(&dbus_connection_close) close = nullptr;
  decltype(&dbus_connection_unref) unref = nullptr;
  decltype(&dbus_message_new_method_call) newMethodCall = nullptr;
  decltype(&dbus_message_append_args) appendArgs = nullptr;
  decltype(&dbus_message_set_auto_start) setAutoStart = nullptr;
  decltype(&dbus_connection_send_with_reply_and_block) call = nullptr;
  decltype(&dbus_message_iter_init) iterInit = nullptr;
  decltype(&dbus_message_iter_get_arg_type) argType = nullptr;
  decltype(&dbus_message_iter_recurse) recurse = nullptr;
  decltype(&dbus_message_iter_get_basic) basic = nullptr;
  decltype(&dbus_message_unref) messageUnref = nullptr;

  template <class F>
  bool find(F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(library, name));
    return f != nullptr;
  }
  bool load() {
    library = dlopen("libdbus-1.so.3", RTLD_LAZY | RTLD_LOCAL);
    return library && find(errorInit, "dbus_error_init") && find(errorFree, "dbus_error_free") &&
           find(busGetPrivate, "dbus_bus_get_private") &&
           find(setExitOnDisconnect, "dbus_connection_set_exit_on_disconnect") &&
           find(close, "dbus_connection_close") && find(unref, "dbus_connection_unref") &&
           find(newMethodCall, "dbus_message_new_method_call") &&
           find(appendArgs, "dbus_message_append_args") &&
           find(setAutoStart, "dbus_message_set_auto_start") &&
           find(call, "dbus_connection_send_with_reply_and_block") &&
           find(iterInit, "dbus_message_iter_init") &&
           find(argType, "dbus_message_iter_get_arg_type") &&
           find(recurse, "dbus_message_iter_recurse") &&
           find(basic, "dbus_message_iter_get_basic") && find(messageUnref, "dbus_message_unref");
  }
};

bool askStatus(DBus& d) {
  DBusError error;
  d.errorInit(&error);
  DBusConnection* bus = d.busGetPrivate(DBUS_BUS_SESSION, &error);
  if (!bus) {
    d.errorFree(&error);
    return false;
  }
  d.setExitOnDisconnect(bus, 0);
  bool enabled = false;
  const char* interface = "org.a11y.Status";
  const char* property = "IsEnabled";
  DBusMessage* request =
      d.newMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Get");
  if (request && d.appendArgs(request, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property,
                              DBUS_TYPE_INVALID)) {
    d.setAutoStart(request, 0);  // not running: the answer is no, and nothing is started
    if (DBusMessage* reply = d.call(bus, request, 1000, &error)) {
      DBusMessageIter it, value;
      if (d.iterInit(reply, &it) && d.argType(&it) == DBUS_TYPE_VARIANT) {
        d.recurse(&it, &value);
        if (d.argType(&value) == DBUS_TYPE_BOOLEAN) {
          dbus_bool_t on = 0;
          d.basic(&value, &on);
          enabled = on != 0;
        }
      }
      d.messageUnref(reply);
    }
  }
  if (request) d.messageUnref(request);
  d.errorFree(&error);
  d.close(bus);
  d.unref(bus);
  return enabled;
}

}  // namespace

bool sessionWantsAccessibility() {
  const char* off = std::getenv("NO_AT_BRIDGE");
  if (off && std::strcmp(off, "1") == 0) return false;
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!bus || !*bus) return false;
  DBus d;
  bool enabled = d.load() && askStatus(d);
  // Kept when the bridge follows, which needs it again; let go otherwise.
  if (d.library && !enabled) dlclose(d.library);
  return enabled;
}

}  // namespace platform::desktop
