// Wayland platform: the compositor's events, each handed to a named handler of the host.
//
// Every listener of the launcher is here, as the X11 host's event cases are in its onEvent: the
// registry's globals, the seat's capabilities, the output's mode and scale, xdg-output's logical
// size, the pointer's position and buttons, the layer surface's configure and close, and the
// release of a frame's buffer.
#pragma once

struct wl_registry;
struct wl_seat;
struct wl_output;
struct wl_pointer;
struct wl_buffer;
struct zxdg_output_v1;
struct zwlr_layer_surface_v1;

namespace platform::wayland {

class Host;

void listen(wl_registry* registry, Host& host);
void listen(wl_seat* seat, Host& host);
void listen(wl_output* output, Host& host);
void listen(zxdg_output_v1* output, Host& host);
void listen(wl_pointer* pointer, Host& host);
void listen(zwlr_layer_surface_v1* layer, Host& host);
// `busy` turns false when the compositor releases the buffer.
void listen(wl_buffer* buffer, bool& busy);

}  // namespace platform::wayland
