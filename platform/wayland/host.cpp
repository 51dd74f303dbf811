// Wayland platform: implements host.h.
#include "platform/wayland/host.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/a11y_status.h"
#include "platform/linux/atk_bridge.h"
#include "platform/linux/loop_wait.h"
#include "platform/paint/cairo_painter.h"
#include "platform/posix/file_lookup.h"
#include "platform/posix/process_start.h"
#include "platform/wayland/client_library.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/pointer_input.h"
#include "platform/wayland/shm_buffers.h"
#include "platform/wayland/x11_message.h"

namespace platform::wayland {
namespace {

void onConfigure(void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t,
                 std::uint32_t) {
  static_cast<Host*>(data)->configured(serial);
}
void onClosed(void* data, zwlr_layer_surface_v1*) {
  static_cast<Host*>(data)->closed();
}
const zwlr_layer_surface_v1_listener kLayerListener{onConfigure, onClosed};

}  // namespace

Host::Host() = default;
Host::~Host() = default;

bool Host::wanted() {
  const char* choice = std::getenv("LOMA_WAYLAND");
  return !(choice && std::strcmp(choice, "0") == 0);
}

bool Host::open() {
  wl_ = Connection::open();
  if (!wl_) return false;
  scale_ = wl_->output.scale;
  pointer_ = std::make_unique<PointerInput>(
      wl_->seat, [this](bool pressed, forms::MouseButton button, double x, double y) {
        onButton(pressed, button, x, y);
      });
  pointer_->capabilities(wl_->seatCapabilities);
  wl_->seatChanged = [this](std::uint32_t capabilities) { pointer_->capabilities(capabilities); };
  buffers_ = std::make_unique<ShmBuffers>(wl_->shm);
  return true;
}

forms::Twips Host::screenWidth() {
  return screenWidthTwips(wl_->output.logicalWidth, wl_->output.width, scale_);
}

std::int32_t Host::setWindowPos(std::intptr_t hWnd, std::intptr_t, std::int32_t, std::int32_t,
                                std::int32_t, std::int32_t, std::uint32_t flags) {
  if (!surface_ || hWnd != handle()) return 0;
  // The overlay layer lies above every window already: topmost asks for nothing more. The move
  // to twip values and the zero size are not replayed; the caller writes its geometry back.
  if (flags & kSwpShowWindow) map();
  return 1;
}

std::u16string Host::dir(std::u16string_view path, int attributes) {
  return posix::dir(path, attributes);
}

double Host::shell(std::u16string_view path, int windowStyle) {
  return posix::shell(path, windowStyle);
}

void Host::terminate() {
  if (wl_) wl_display_flush(wl_->display);
  std::fflush(nullptr);
  std::exit(0);
}

void Host::attach(forms::Form& form) {
  form_ = &form;
  timer_ = form.timer();
  form.setDpi(dpiForScale(scale_));
  surface_ = wl_compositor_create_surface(wl_->compositor);
  placed_ = placeLayer(form.left(), form.top(), form.width(), form.height(), scale_);
  painter_ = std::make_unique<paint::CairoPainter>(1, 1);
  stale_ = {0, 0, placed_.drawnWidth, placed_.drawnHeight};
  wl_display_flush(wl_->display);
  if (timer_) ticks_.emplace(*timer_);
  form.attach(this);
}

std::intptr_t Host::handle() const {
  return surface_
             ? static_cast<std::intptr_t>(wl_proxy_get_id(reinterpret_cast<wl_proxy*>(surface_)))
             : 0;
}

forms::TextMeasurer& Host::measurer() {
  return *painter_;
}

// The form's pixels are ignored: a layer surface is placed by margins in the output's logical
// pixels, which come from the twips themselves.
void Host::applyBounds(const forms::PixelRect&) {
  LayerPlacement placed =
      placeLayer(form_->left(), form_->top(), form_->width(), form_->height(), scale_);
  if (placed == placed_) return;
  bool resized = placed.drawnWidth != placed_.drawnWidth ||
                 placed.drawnHeight != placed_.drawnHeight ||
                 placed.bufferWidth != placed_.bufferWidth;
  placed_ = placed;
  place();
  if (resized) stale_ = {0, 0, placed_.drawnWidth, placed_.drawnHeight};
  // New margins take effect with the next commit, which a frame brings.
  unshown_ = {0, 0, placed_.drawnWidth, placed_.drawnHeight};
}

void Host::applyVisible(bool visible) {
  if (visible)
    map();
  else
    unmap();
}

void Host::invalidate(const forms::PixelRect& clientPixels) {
  stale_ = stale_.empty() ? clientPixels : forms::unite(stale_, clientPixels);
  unshown_ = unshown_.empty() ? clientPixels : forms::unite(unshown_, clientPixels);
}

void Host::map() {
  if (layer_) return;
  layer_ = zwlr_layer_shell_v1_get_layer_surface(wl_->layerShell, surface_, wl_->output.output,
                                                 ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "loma");
  zwlr_layer_surface_v1_add_listener(layer_, &kLayerListener, this);
  zwlr_layer_surface_v1_set_anchor(
      layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
  zwlr_layer_surface_v1_set_keyboard_interactivity(layer_, 0);
  zwlr_layer_surface_v1_set_exclusive_zone(layer_, 0);
  place();
  // The first commit carries no buffer: the compositor answers it with a configure.
  wl_surface_commit(surface_);
  wl_display_flush(wl_->display);
}

void Host::unmap() {
  if (!layer_) return;
  zwlr_layer_surface_v1_destroy(layer_);
  layer_ = nullptr;
  configured_ = false;
  wl_surface_attach(surface_, nullptr, 0, 0);
  wl_surface_commit(surface_);
  wl_display_flush(wl_->display);
}

void Host::place() {
  if (!layer_) return;
  zwlr_layer_surface_v1_set_size(layer_, static_cast<std::uint32_t>(placed_.width),
                                 static_cast<std::uint32_t>(placed_.height));
  zwlr_layer_surface_v1_set_margin(layer_, placed_.marginTop, 0, 0, placed_.marginLeft);
}

void Host::configured(std::uint32_t serial) {
  zwlr_layer_surface_v1_ack_configure(layer_, serial);
  configured_ = true;
  unshown_ = {0, 0, placed_.drawnWidth, placed_.drawnHeight};
}

void Host::closed() {
  // The compositor took the surface away for good (its output went): as when a window manager
  // closes the only window, the program ends and no handler of ours runs.
  terminate();
}

// The output's scale changed: the form lays itself out again at the new density from its
// unchanged twips, as the X11 host does on a new Xft.dpi.
void Host::followScale() {
  if (wl_->output.scale == scale_) return;
  scale_ = wl_->output.scale;
  form_->setDpi(dpiForScale(scale_));
  applyBounds({});
  stale_ = {0, 0, placed_.drawnWidth, placed_.drawnHeight};
  unshown_ = stale_;
}

void Host::onButton(bool pressed, forms::MouseButton button, double x, double y) {
  if (!form_) return;
  // Surface-local coordinates are logical pixels; the form counts at its own density.
  int dpi = form_->dpi();
  forms::Twips tx = forms::pointerToTwips(static_cast<int>(std::floor(x * scale_)), dpi);
  forms::Twips ty = forms::pointerToTwips(static_cast<int>(std::floor(y * scale_)), dpi);
  if (pressed)
    form_->mouseDown(button, 0, tx, ty);
  else
    form_->mouseUp(button, 0, tx, ty);
}

int Host::run() {
  for (;;) {
    if (wl_display_dispatch_pending(wl_->display) < 0) lost();
    followScale();
    if (ticks_ && ticks_->deliverDue()) counting_ = true;
    // What a screen reader's call posted (a click that may end the program) waits until GLib
    // has sent the call's reply.
    if (!a11y_ || a11y_->idle()) form_->runPosted();
    if (a11y_) a11y_->reportNameChanges();
    paint();
    if (configured_ && unshown_.empty()) counting_ = true;
    if (!a11yAsked_ && configured_ && unshown_.empty()) offerToScreenReaders();
    waitForEvents();
  }
}

// The compositor hung up or refused a request: the window is gone with the connection.
void Host::lost() {
  std::fprintf(stderr, "loma: the connection to the Wayland compositor ended (error %d)\n",
               wl_display_get_error(wl_->display));
  std::exit(EXIT_FAILURE);
}

void Host::paint() {
  if (!stale_.empty()) {
    if (painter_->width() != placed_.drawnWidth || painter_->height() != placed_.drawnHeight)
      painter_->resize(placed_.drawnWidth, placed_.drawnHeight);
    painter_->paint(*form_, stale_);
    stale_ = {};
  }
  if (!configured_ || unshown_.empty()) return;
  wl_buffer* frame =
      buffers_->frame(painter_->surface(), placed_.bufferWidth, placed_.bufferHeight);
  if (!frame) return;  // both held by the compositor: again once one is released
  wl_surface_set_buffer_scale(surface_, scale_);
  wl_surface_attach(surface_, frame, 0, 0);
  wl_surface_damage_buffer(surface_, unshown_.x, unshown_.y, unshown_.width, unshown_.height);
  wl_surface_commit(surface_);
  unshown_ = {};
}

void Host::waitForEvents() {
  // The protocol's way to wait on its socket alongside other descriptors: announce the read,
  // send what is queued, wait, then read or cancel.
  while (wl_display_prepare_read(wl_->display) != 0) wl_display_dispatch_pending(wl_->display);
  wl_display_flush(wl_->display);
  short events =
      desktop::waitInLoop(wait_, wl_display_get_fd(wl_->display), ticks_, a11y_.get(), counting_);
  if (events & POLLIN) {
    if (wl_display_read_events(wl_->display) < 0) lost();
  } else {
    wl_display_cancel_read(wl_->display);
  }
  if (events & (POLLHUP | POLLERR)) lost();
  desktop::reportLaterStartFailure(counting_, *this);
}

// Once the first frame is committed: when the session's accessibility is on, the window is
// offered to screen readers. A layer surface has no place on a global screen that clients can
// learn, so the extents are the form's own, from the output's corner.
void Host::offerToScreenReaders() {
  a11yAsked_ = true;
  if (!desktop::sessionWantsAccessibility()) return;
  a11y_ = desktop::AccessibilityBridge::start(*form_, 0, 0);
  if (a11y_ && form_->visible()) a11y_->announce();
}

void Host::reportUnhandled(const forms::RuntimeError& error) {
  unmap();
  std::u16string text = unhandledErrorText(error);
  std::string utf8 = forms::toUtf8(text);
  std::fprintf(stderr, "%s\n", utf8.c_str());
  std::fflush(stderr);
  // Its own loop: no tick, press or click of the launcher is handled meanwhile.
  showX11Message(u"LOMA", text);
  std::exit(kUnhandledErrorExitCode);
}

}  // namespace platform::wayland
