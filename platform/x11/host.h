// X11 platform: the window host, on Xlib without a toolkit.
//
// Implements what X11 does differently for the Linux host loop (platform/linux/host_loop.h):
// the launcher's one window (no decorations, above other windows, never taking the focus, its
// names and icon for the window manager), its geometry in pixels from the form's twips on the
// primary monitor at the screen's density (Xft.dpi, followed when it changes), the screen width
// of that monitor, SetWindowPos as _NET_WM_STATE_ABOVE plus a map that does not activate, the
// display's events (exposure, mouse buttons, the window manager's close, a new density), the
// window's parts to show again, and the unhandled-error message window.
//
// No Xlib header here: its macros (None, Bool, Status) would collide with the forms runtime's
// names in files that include both.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "forms/form.h"
#include "forms/painter.h"

// Xlib's own names for Display and XEvent: this header needs no Xlib.
struct _XDisplay;  // NOLINT(bugprone-reserved-identifier)
union _XEvent;     // NOLINT(bugprone-reserved-identifier)

namespace platform::x11 {

class Presenter;
struct Atoms;

class Host {
 public:
  Host();
  ~Host();

  // Connects to the display; on failure prints one line naming it and returns false.
  bool open();
  [[nodiscard]] int dpi() const { return dpi_; }
  [[nodiscard]] forms::Twips screenWidth() const;

  // The window: created for the form, placed on the primary monitor, kept above.
  void attach(forms::Form& form);
  [[nodiscard]] std::intptr_t handle() const { return static_cast<std::intptr_t>(window_); }
  std::int32_t setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter, std::uint32_t flags);
  [[nodiscard]] forms::PixelSize drawnSize() const { return {bounds_.width, bounds_.height}; }
  bool applyBounds(const forms::PixelRect& screenPixels);
  void applyVisible(bool visible);
  [[nodiscard]] forms::PixelRect screenOrigin() const { return monitor_; }

  // The connection: its events handled by onEvent, the wait on its descriptor.
  void dispatch();
  bool readyToWait();
  [[nodiscard]] int descriptor() const;
  void afterWait(short) {}
  [[noreturn]] void endProgram();

  // What the window does not show yet: parts exposed, or changed since.
  void notShown(const forms::PixelRect& clientPixels);
  void show(cairo_surface_t* surface);
  [[nodiscard]] bool allShown() const { return exposed_ && unshown_.empty(); }
  void showMessage(std::u16string_view text);

 private:
  // One handler per kind of event.
  void onEvent(const _XEvent& event);
  void onExpose(const _XEvent& event);
  void onButton(const _XEvent& event);
  void onClientMessage(const _XEvent& event);
  void onVisibility(const _XEvent& event);
  void onProperty(const _XEvent& event);
  void setIcons();
  void map();
  [[nodiscard]] forms::PixelRect onMonitor(forms::PixelRect screenPixels) const;

  _XDisplay* display_ = nullptr;
  std::unique_ptr<Atoms> atoms_;
  unsigned long window_ = 0;
  forms::PixelRect monitor_;
  int dpi_ = forms::kDesignDpi;
  forms::PixelRect bounds_;  // on the screen, in pixels
  bool mapped_ = false;
  bool above_ = false;
  forms::Form* form_ = nullptr;

  std::unique_ptr<Presenter> presenter_;
  bool exposed_ = false;
  forms::PixelRect unshown_;  // the window does not show the painter's surface here yet
};

}  // namespace platform::x11
