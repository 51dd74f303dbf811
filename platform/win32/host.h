// Win32 platform: the window host of the one form.
//
// Implements: platform::Host and the form's forms::NativeWindow over one borderless popup
// window. One window class, one window procedure, one small handler per message (the classic
// scratch program). The GDI painter draws into the presenter's back buffer, shown in one copy.
// Mouse presses of any button are captured to the window and routed through the forms runtime;
// a capture the system takes away (WM_CAPTURECHANGED, WM_CANCELMODE) ends the press. The form's
// timer ticks on its absolute schedule from a waitable timer that the message loop waits on.
// The form's density is the monitor's (WM_DPICHANGED lays the window out again from its twips
// and gives it icons of the new size). Also SetWindowPos, the screen's width, Terminate as
// ExitProcess and the unhandled-error message box. Exceptions are caught at one level, main's
// dispatch, as on Linux: the window procedure only carries them past user32. File lookup and
// program start live in file_lookup.cpp and process_start.cpp.
#pragma once

#include "platform/win32/win32_api.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "forms/tick_schedule.h"
#include "platform/win32/gdi_painter.h"
#include "platform/win32/msaa.h"

namespace platform::win32 {

class Host : public platform::Host, private forms::NativeWindow {
 public:
  explicit Host(HINSTANCE instance);
  ~Host() override;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // platform::Services
  forms::Twips screenWidth() override;
  std::int32_t setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter, std::int32_t x,
                            std::int32_t y, std::int32_t cx, std::int32_t cy,
                            std::uint32_t flags) override;
  std::u16string dir(std::u16string_view path, int attributes) override;
  double shell(std::u16string_view path, int windowStyle) override;
  [[noreturn]] void terminate() override;

  // platform::Host
  void attach(forms::Form& form) override;
  int run() override;
  [[noreturn]] void reportUnhandled(const forms::RuntimeError& error) override;

 private:
  // forms::NativeWindow
  void applyBounds(const forms::PixelRect& screenPixels) override;
  void applyVisible(bool visible) override;
  void invalidate(const forms::PixelRect& clientPixels) override;
  [[nodiscard]] std::intptr_t handle() const override {
    return reinterpret_cast<std::intptr_t>(hwnd_);
  }
  forms::TextMeasurer& measurer() override { return painter_; }
  void workPosted() override;

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void rethrowEscaped();

  // One handler per message.
  void onPaint();
  void onLButtonDown(WPARAM wParam, LPARAM lParam);
  void onRButtonDown(WPARAM wParam, LPARAM lParam);
  void onMButtonDown(WPARAM wParam, LPARAM lParam);
  void onLButtonUp(WPARAM wParam, LPARAM lParam);
  void onRButtonUp(WPARAM wParam, LPARAM lParam);
  void onMButtonUp(WPARAM wParam, LPARAM lParam);
  void onCaptureChanged(HWND gainedBy);
  void onCancelMode();
  void onTimer(UINT_PTR id);
  void onPowerBroadcast(WPARAM event);
  void onClose();
  void onDestroy();
  LRESULT onGetObject(WPARAM wParam, LPARAM lParam);
  void onDpiChanged(WPARAM wParam);
  void setIcons(int dpi);
  void buttonDown(forms::MouseButton button, WPARAM wParam, LPARAM lParam);
  void buttonUp(forms::MouseButton button, WPARAM wParam, LPARAM lParam);

  void deliverDueTicks();
  void armTimer();

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  forms::Form* form_ = nullptr;
  forms::Timer* formTimer_ = nullptr;
  std::optional<forms::TickSchedule> schedule_;
  HANDLE tickTimer_;
  bool reporting_ = false;      // the error box is up: nothing reaches the forms runtime any more
  std::exception_ptr escaped_;  // raised inside the window procedure, not yet thrown on
  bool givingBack_ = false;     // our own ReleaseCapture: the press ends with its release
  GdiPainter painter_;
  bool shown_ = false;
  std::unique_ptr<AccessibilityServer> a11y_;  // from the first screen reader's question
};

}  // namespace platform::win32
