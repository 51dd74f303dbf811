// Wayland platform: implements shm_buffers.h.
#include "platform/wayland/shm_buffers.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/wayland/client_library.h"
#include "platform/wayland/listeners.h"

namespace platform::wayland {

struct ShmBuffers::Buffer {
  wl_buffer* buffer = nullptr;
  std::uint32_t* pixels = nullptr;
  std::size_t bytes = 0;
  int width = 0, height = 0;
  bool busy = false;

  ~Buffer() {
    if (buffer) wl_buffer_destroy(buffer);
    if (pixels) munmap(pixels, bytes);
  }
};

namespace {

std::unique_ptr<ShmBuffers::Buffer> create(wl_shm* shm, int width, int height) {
  auto b = std::make_unique<ShmBuffers::Buffer>();
  b->width = width;
  b->height = height;
  b->bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  // Memory with no name in any file system: the program writes no files.
  int fd = memfd_create("loma-frame", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  if (ftruncate(fd, static_cast<off_t>(b->bytes)) != 0) {
    close(fd);
    return nullptr;
  }
  void* map = mmap(nullptr, b->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (map == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  b->pixels = static_cast<std::uint32_t*>(map);
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(b->bytes));
  b->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_ARGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  listen(b->buffer, b->busy);
  return b;
}

}  // namespace

ShmBuffers::ShmBuffers(wl_shm* shm) : shm_(shm) {}
ShmBuffers::~ShmBuffers() = default;

wl_buffer* ShmBuffers::frame(cairo_surface_t* surface, int width, int height) {
  Buffer* target = nullptr;
  for (auto& b : buffers_) {
    if (b && b->busy) continue;
    if (!b || b->width != width || b->height != height) b = create(shm_, width, height);
    target = b.get();
    break;
  }
  if (!target) return nullptr;

  cairo_surface_flush(surface);
  const auto* source = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  int copyWidth = std::min(width, cairo_image_surface_get_width(surface));
  int copyHeight = std::min(height, cairo_image_surface_get_height(surface));
  std::memset(target->pixels, 0, target->bytes);  // the padding: transparent
  for (int y = 0; y < copyHeight; ++y) {
    const auto* from =
        reinterpret_cast<const std::uint32_t*>(source + static_cast<std::ptrdiff_t>(y) * stride);
    std::uint32_t* to = target->pixels + static_cast<std::ptrdiff_t>(y) * width;
    // RGB24 leaves the top byte undefined; ARGB8888 reads it as alpha.
    for (int x = 0; x < copyWidth; ++x) to[x] = from[x] | 0xFF000000u;
  }
  target->busy = true;
  return target->buffer;
}

}  // namespace platform::wayland
