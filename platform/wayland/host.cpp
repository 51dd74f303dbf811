// Wayland platform: implements host.h.
#include "platform/wayland/host.h"

#include <linux/input-event-codes.h>
#include <poll.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/api.h"
#include "platform/wayland/client_library.h"
#include "platform/wayland/listeners.h"
#include "platform/wayland/shm_buffers.h"
#include "platform/wayland/x11_message.h"

namespace platform::wayland {
namespace {

// Damage in buffer pixels (version 4) keeps the updates exact at any scale.
constexpr std::uint32_t kCompositorVersion = 4;

}  // namespace

Host::Host() = default;

Host::~Host() {
  buffers_.reset();
  if (!display_) return;
  if (layer_) zwlr_layer_surface_v1_destroy(layer_);
  if (surface_) wl_surface_destroy(surface_);
  if (pointer_) wl_pointer_destroy(pointer_);
  if (xdgOutput_) zxdg_output_v1_destroy(xdgOutput_);
  if (xdgOutputs_) zxdg_output_manager_v1_destroy(xdgOutputs_);
  if (layerShell_) zwlr_layer_shell_v1_destroy(layerShell_);
  if (output_) wl_output_destroy(output_);
  if (seat_) wl_seat_destroy(seat_);
  if (shm_) wl_shm_destroy(shm_);
  if (compositor_) wl_compositor_destroy(compositor_);
  if (registry_) wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
}

bool Host::wanted() {
  const char* choice = std::getenv("LOMA_WAYLAND");
  return !(choice && std::strcmp(choice, "0") == 0);
}

bool Host::open() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (!name || !*name || !openClientLibrary()) return false;
  display_ = wl_display_connect(nullptr);
  if (!display_) return false;
  registry_ = wl_display_get_registry(display_);
  listen(registry_, *this);
  if (wl_display_roundtrip(display_) < 0) return false;
  if (!compositor_ || !shm_ || !output_ || !layerShell_) return false;
  listen(output_, *this);
  if (seat_) listen(seat_, *this);
  if (xdgOutputs_) {
    xdgOutput_ = zxdg_output_manager_v1_get_xdg_output(xdgOutputs_, output_);
    listen(xdgOutput_, *this);
  }
  if (wl_display_roundtrip(display_) < 0 || outputWidth_ <= 0) return false;
  buffers_ = std::make_unique<ShmBuffers>(shm_);
  return true;
}

forms::Twips Host::screenWidth() const {
  return screenWidthTwips(logicalWidth_, outputWidth_, scale_);
}

std::int32_t Host::setWindowPos(std::intptr_t hWnd, std::intptr_t, std::uint32_t flags) {
  if (!surface_ || hWnd != handle()) return 0;
  // The overlay layer lies above every window already: topmost asks for nothing more.
  if (flags & kSwpShowWindow) map();
  return 1;
}

std::intptr_t Host::handle() const {
  return surface_
             ? static_cast<std::intptr_t>(wl_proxy_get_id(reinterpret_cast<wl_proxy*>(surface_)))
             : 0;
}

void Host::attach(forms::Form& form) {
  form_ = &form;
  surface_ = wl_compositor_create_surface(compositor_);
  placed_ = placeLayer(form.left(), form.top(), form.width(), form.height(), scale_);
  wl_display_flush(display_);
}

// The form's pixels are ignored: a layer surface is placed by margins in the output's logical
// pixels, which come from the twips themselves.
bool Host::applyBounds(const forms::PixelRect&) {
  LayerPlacement placed =
      placeLayer(form_->left(), form_->top(), form_->width(), form_->height(), scale_);
  if (placed == placed_) return false;
  bool resized = placed.drawnWidth != placed_.drawnWidth ||
                 placed.drawnHeight != placed_.drawnHeight ||
                 placed.bufferWidth != placed_.bufferWidth;
  placed_ = placed;
  place();
  // New margins take effect with the next commit, which a frame brings.
  unshown_ = {0, 0, placed_.drawnWidth, placed_.drawnHeight};
  return resized;
}

void Host::applyVisible(bool visible) {
  if (visible)
    map();
  else
    unmap();
}

void Host::notShown(const forms::PixelRect& clientPixels) {
  unshown_ = unshown_.empty() ? clientPixels : forms::unite(unshown_, clientPixels);
}

void Host::map() {
  if (layer_) return;
  layer_ = zwlr_layer_shell_v1_get_layer_surface(layerShell_, surface_, output_,
                                                 ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "loma");
  listen(layer_, *this);
  zwlr_layer_surface_v1_set_anchor(
      layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
  zwlr_layer_surface_v1_set_keyboard_interactivity(layer_, 0);
  zwlr_layer_surface_v1_set_exclusive_zone(layer_, 0);
  place();
  // The first commit carries no buffer: the compositor answers it with a configure.
  wl_surface_commit(surface_);
  wl_display_flush(display_);
}

void Host::unmap() {
  if (!layer_) return;
  zwlr_layer_surface_v1_destroy(layer_);
  layer_ = nullptr;
  configured_ = false;
  wl_surface_attach(surface_, nullptr, 0, 0);
  wl_surface_commit(surface_);
  wl_display_flush(display_);
}

void Host::place() {
  if (!layer_) return;
  zwlr_layer_surface_v1_set_size(layer_, static_cast<std::uint32_t>(placed_.width),
                                 static_cast<std::uint32_t>(placed_.height));
  zwlr_layer_surface_v1_set_margin(layer_, placed_.marginTop, 0, 0, placed_.marginLeft);
}

void Host::dispatch() {
  if (wl_display_dispatch_pending(display_) < 0) lost();
}

void Host::show(cairo_surface_t* surface) {
  if (!configured_ || unshown_.empty()) return;
  wl_buffer* frame = buffers_->frame(surface, placed_.bufferWidth, placed_.bufferHeight);
  if (!frame) return;  // both held by the compositor: again once one is released
  wl_surface_set_buffer_scale(surface_, scale_);
  wl_surface_attach(surface_, frame, 0, 0);
  wl_surface_damage_buffer(surface_, unshown_.x, unshown_.y, unshown_.width, unshown_.height);
  wl_surface_commit(surface_);
  unshown_ = {};
}

// The protocol's way to wait on its socket alongside other descriptors: announce the read and
// send what is queued; the events already read are handled first.
bool Host::readyToWait() {
  if (wl_display_prepare_read(display_) != 0) return false;
  wl_display_flush(display_);
  return true;
}

int Host::descriptor() const {
  return wl_display_get_fd(display_);
}

// After the wait: read, or cancel the read announced.
void Host::afterWait(short events) {
  if (events & POLLIN) {
    if (wl_display_read_events(display_) < 0) lost();
  } else {
    wl_display_cancel_read(display_);
  }
  if (events & (POLLHUP | POLLERR)) lost();
}

// The compositor hung up or refused a request: the window is gone with the connection.
void Host::lost() {
  std::fprintf(stderr, "loma: the connection to the Wayland compositor ended (error %d)\n",
               wl_display_get_error(display_));
  std::exit(EXIT_FAILURE);
}

// std::exit flushes the C streams too.
void Host::endProgram() {
  if (display_) wl_display_flush(display_);
  std::exit(0);
}

void Host::showMessage(std::u16string_view text) {
  showX11Message(u"LOMA", text);
}

void Host::onGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                    std::uint32_t version) {
  auto bind = [&](const wl_interface* type, std::uint32_t wanted) {
    return wl_registry_bind(registry, name, type, std::min(version, wanted));
  };
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !compositor_ &&
      version >= kCompositorVersion)
    compositor_ = static_cast<wl_compositor*>(bind(&wl_compositor_interface, kCompositorVersion));
  else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !shm_)
    shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat_)
    seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 1));
  // The first output named: the protocol has no primary one.
  else if (std::strcmp(interface, wl_output_interface.name) == 0 && !output_)
    output_ = static_cast<wl_output*>(bind(&wl_output_interface, 2));
  else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && !layerShell_)
    layerShell_ = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 1));
  else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && !xdgOutputs_)
    xdgOutputs_ = static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 1));
}

// The seat's capabilities arrive once at binding and again when devices come and go: a pointer
// is got or let go. The keyboard is never asked for.
void Host::onSeatCapabilities(std::uint32_t capabilities) {
  bool has = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (has && !pointer_) {
    pointer_ = wl_seat_get_pointer(seat_);
    listen(pointer_, *this);
  } else if (!has && pointer_) {
    wl_pointer_destroy(pointer_);
    pointer_ = nullptr;
  }
}

void Host::onOutputMode(std::uint32_t flags, int width) {
  if (flags & WL_OUTPUT_MODE_CURRENT) outputWidth_ = width;
}

// The output's scale changed: the form lays itself out again at the new density from its
// unchanged twips, as the X11 host does on a new Xft.dpi. Its new placement and pixels follow
// through the host loop's bounds and repaint.
void Host::onOutputScale(int factor) {
  int scale = std::max(1, factor);
  if (scale == scale_) return;
  scale_ = scale;
  if (form_) form_->setDpi(dpiForScale(scale_));
}

void Host::onLogicalWidth(int width) {
  logicalWidth_ = width;
}

void Host::onPointerAt(double x, double y) {
  pointerX_ = x;
  pointerY_ = y;
}

void Host::onPointerButton(std::uint32_t button, std::uint32_t state) {
  // The evdev codes run left, right, middle; extra buttons have no events here, as on X11.
  constexpr forms::MouseButton kButtons[] = {forms::MouseButton::Left, forms::MouseButton::Right,
                                             forms::MouseButton::Middle};
  if (button < BTN_LEFT || button > BTN_MIDDLE) return;
  forms::MouseButton which = kButtons[button - BTN_LEFT];
  if (!form_) return;
  // Surface-local coordinates are logical pixels; the form counts at its own density.
  int dpi = form_->dpi();
  forms::Twips x = forms::pointerToTwips(static_cast<int>(std::floor(pointerX_ * scale_)), dpi);
  forms::Twips y = forms::pointerToTwips(static_cast<int>(std::floor(pointerY_ * scale_)), dpi);
  if (state == WL_POINTER_BUTTON_STATE_PRESSED)
    form_->mouseDown(which, 0, x, y);
  else
    form_->mouseUp(which, 0, x, y);
}

void Host::onConfigure(std::uint32_t serial) {
  zwlr_layer_surface_v1_ack_configure(layer_, serial);
  configured_ = true;
  unshown_ = {0, 0, placed_.drawnWidth, placed_.drawnHeight};
}

// The compositor took the surface away for good (its output went): as when a window manager
// closes the only window, the program ends and no handler of ours runs.
void Host::onClosed() {
  endProgram();
}

}  // namespace platform::wayland
