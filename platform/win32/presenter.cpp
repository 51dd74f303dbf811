// Win32 platform: the back buffer of one paint (see presenter.h).
#include "platform/win32/presenter.h"

namespace platform::win32 {

Presenter::Presenter(HDC screen, int width, int height, const RECT& dirty)
    : screen_(screen),
      dirty_(dirty),
      buffer_(CreateCompatibleDC(screen)),
      bitmap_(CreateCompatibleBitmap(screen, width, height)),
      previous_(SelectObject(buffer_, bitmap_)) {
  IntersectClipRect(buffer_, dirty.left, dirty.top, dirty.right, dirty.bottom);
}

Presenter::~Presenter() {
  SelectObject(buffer_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(buffer_);
}

void Presenter::show() const {
  BitBlt(screen_, dirty_.left, dirty_.top, dirty_.right - dirty_.left, dirty_.bottom - dirty_.top,
         buffer_, dirty_.left, dirty_.top, SRCCOPY);
}

}  // namespace platform::win32
