// Wayland platform: the frames the compositor shows, in shared memory.
//
// Implements: two ARGB buffers of one size, each reused once the compositor has released it,
// and the copy of the painter's RGB24 surface into one (opaque), its padding left transparent.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>

struct wl_shm;
struct wl_buffer;

namespace platform::wayland {

class ShmBuffers {
 public:
  explicit ShmBuffers(wl_shm* shm);
  ~ShmBuffers();
  ShmBuffers(const ShmBuffers&) = delete;
  ShmBuffers& operator=(const ShmBuffers&) = delete;

  // A buffer of that size holding the whole surface, drawn at its top-left corner, or null
  // while the compositor still holds both (or the memory could not be had). The buffer is busy
  // from now until the compositor releases it.
  wl_buffer* frame(cairo_surface_t* surface, int width, int height);

  struct Buffer;

 private:
  wl_shm* shm_;
  std::unique_ptr<Buffer> buffers_[2];
};

}  // namespace platform::wayland
