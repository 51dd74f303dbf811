#include "platform/x11/presenter.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>

#include <bit>
#include <cstring>

#include "platform/x11/error_trap.h"

namespace platform::x11 {

static constexpr int kNativeByteOrder =
    std::endian::native == std::endian::little ? LSBFirst : MSBFirst;

Presenter::Presenter(Display* display, Window window)
    : display_(display), window_(window), gc_(XCreateGC(display, window, 0, nullptr)) {
  // The server converts byte order for XPutImage but not for shared memory.
  if (XShmQueryExtension(display_) && ImageByteOrder(display_) == kNativeByteOrder)
    completionType_ = XShmGetEventBase(display_) + ShmCompletion;
}

Presenter::~Presenter() {
  detachShared();
  XFreeGC(display_, gc_);
}

bool Presenter::attachShared(int width, int height) {
  Visual* visual = DefaultVisual(display_, DefaultScreen(display_));
  shared_ = XShmCreateImage(display_, visual, 24, ZPixmap, nullptr, &segment_,
                            static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (!shared_) return false;
  segment_.shmid =
      shmget(IPC_PRIVATE, static_cast<size_t>(shared_->bytes_per_line) * height, IPC_CREAT | 0600);
  if (segment_.shmid < 0) {
    XDestroyImage(shared_);
    shared_ = nullptr;
    return false;
  }
  void* memory = shmat(segment_.shmid, nullptr, 0);
  if (memory == MAP_FAILED) {  // shmat fails with (void*)-1, the same value
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    XDestroyImage(shared_);
    shared_ = nullptr;
    return false;
  }
  segment_.shmaddr = shared_->data = static_cast<char*>(memory);
  segment_.readOnly = True;
  ErrorTrap trap(display_);  // a remote server cannot attach our memory
  XShmAttach(display_, &segment_);
  bool attached = trap.ok();
  // Marked for removal now, so the segment goes with the last process that detaches it.
  shmctl(segment_.shmid, IPC_RMID, nullptr);
  if (!attached) {
    shmdt(segment_.shmaddr);
    XDestroyImage(shared_);
    shared_ = nullptr;
  }
  return attached;
}

void Presenter::detachShared() {
  if (!shared_) return;
  waitUntilRead();
  XShmDetach(display_, &segment_);
  XDestroyImage(shared_);  // frees the XImage only; the memory is shared
  shmdt(segment_.shmaddr);
  shared_ = nullptr;
}

void Presenter::waitUntilRead() {
  if (!reading_) return;
  XEvent event;
  XIfEvent(
      display_, &event,
      [](Display*, XEvent* e, XPointer type) {
        return e->type == *reinterpret_cast<int*>(type) ? True : False;
      },
      reinterpret_cast<XPointer>(&completionType_));
  reading_ = false;
}

bool Presenter::handled(const XEvent& event) {
  if (completionType_ < 0 || event.type != completionType_) return false;
  reading_ = false;
  return true;
}

void Presenter::show(cairo_surface_t* surface, const forms::PixelRect& rect) {
  cairo_surface_flush(surface);
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  auto* pixels = reinterpret_cast<char*>(cairo_image_surface_get_data(surface));
  forms::PixelRect area = forms::intersect(rect, {0, 0, width, height});
  if (area.empty()) return;

  if (completionType_ >= 0) {
    if (shared_ && (shared_->width != width || shared_->height != height)) detachShared();
    if (!shared_ && !attachShared(width, height)) completionType_ = -1;
  }
  if (shared_ && shared_->bytes_per_line == stride) {
    waitUntilRead();
    for (int y = area.y; y < area.y + area.height; ++y) {
      std::size_t offset =
          static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(area.x) * 4;
      std::memcpy(shared_->data + offset, pixels + offset,
                  static_cast<std::size_t>(area.width) * 4);
    }
    XShmPutImage(display_, window_, gc_, shared_, area.x, area.y, area.x, area.y,
                 static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), True);
    reading_ = true;
    return;
  }

  // Cairo's RGB24 is a native-endian 0x00RRGGBB word per pixel: a 24-bit ZPixmap in our order.
  Visual* visual = DefaultVisual(display_, DefaultScreen(display_));
  XImage* image =
      XCreateImage(display_, visual, 24, ZPixmap, 0, pixels, static_cast<unsigned>(width),
                   static_cast<unsigned>(height), 32, stride);
  if (!image) return;
  image->byte_order = kNativeByteOrder;
  XPutImage(display_, window_, gc_, image, area.x, area.y, area.x, area.y,
            static_cast<unsigned>(area.width), static_cast<unsigned>(area.height));
  image->data = nullptr;  // the surface's memory stays the painter's
  XDestroyImage(image);
}

}  // namespace platform::x11
