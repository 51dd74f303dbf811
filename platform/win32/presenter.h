// Win32 platform: the back buffer of one paint.
//
// The form is painted into a bitmap the size of the client area, clipped to the part that needs
// it (on a tick that is the number, not the whole window), and that part is copied to the window
// in one BitBlt: no half-drawn frame is ever seen. The GDI painter draws into buffer().
#pragma once

#include "platform/win32/win32_api.h"

namespace platform::win32 {

class Presenter {
 public:
  // `screen` is the window's paint DC, `dirty` the part to paint, in client pixels.
  Presenter(HDC screen, int width, int height, const RECT& dirty);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  [[nodiscard]] HDC buffer() const { return buffer_; }
  // The dirty part of the buffer, onto the window.
  void show() const;

 private:
  HDC screen_;
  RECT dirty_;
  HDC buffer_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

}  // namespace platform::win32
