/* A pointer device for a headless compositor, which has none: while it exists the seat has a
 * pointer, so clients get one, and `swaymsg seat - cursor ...` moves and clicks it as a mouse
 * would. Prints "ready" once the compositor has it; lives N seconds (default 60) or until killed. */
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wayland-client.h>

#include "virtual-pointer-client-protocol.h"

static struct wl_seat* seat;
static struct zwlr_virtual_pointer_manager_v1* manager;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
    seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
  else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}
static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}
static const struct wl_registry_listener listener = {global, global_remove};

int main(int argc, char** argv) {
  int seconds = argc > 1 ? atoi(argv[1]) : 60;
  struct wl_display* display = wl_display_connect(NULL);
  if (!display) return 1;
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  if (!manager) {
    fprintf(stderr, "virtual_pointer: the compositor has no virtual pointers\n");
    return 1;
  }
  zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  wl_display_roundtrip(display);
  puts("ready");
  fflush(stdout);
  poll(NULL, 0, seconds * 1000);
  wl_display_disconnect(display);
  return 0;
}
