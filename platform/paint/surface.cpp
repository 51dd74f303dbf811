// Linux drawing: implements the surface creation declared in surface.h.
#include "platform/paint/surface.h"

#include <sys/mman.h>

#include <cstddef>

namespace platform::paint {
namespace {

struct Mapping {
  void* address;
  std::size_t size;
};

void unmap(void* data) {
  auto* mapping = static_cast<Mapping*>(data);
  munmap(mapping->address, mapping->size);
  delete mapping;
}

}  // namespace

Surface createSurface(cairo_format_t format, int width, int height) {
  int stride = cairo_format_stride_for_width(format, width);
  if (width <= 0 || height <= 0 || stride <= 0) return {};
  auto size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (address == MAP_FAILED) return {};
  auto* mapping = new Mapping{address, size};
  Surface surface(cairo_image_surface_create_for_data(static_cast<unsigned char*>(address), format,
                                                      width, height, stride));
  static const cairo_user_data_key_t key{};
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_set_user_data(surface.get(), &key, mapping, unmap) != CAIRO_STATUS_SUCCESS) {
    unmap(mapping);
    return {};
  }
  return surface;
}

}  // namespace platform::paint
