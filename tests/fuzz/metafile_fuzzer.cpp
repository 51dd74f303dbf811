// Fuzzes the metafile reader and player: any bytes parse or are refused, and what parses plays
// into its rectangle on a small canvas, touching no pixel outside it and leaving the drawing
// context usable.
#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/paint/metafile_player.h"
#include "tests/fuzz/check.h"

namespace {

constexpr int kWidth = 48, kHeight = 40;
constexpr forms::PixelRect kRect{6, 5, 36, 30};

// One small canvas for every input: a surface per input costs more than the playing.
struct Canvas {
  Canvas()
      : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight)),
        cr(cairo_create(surface)) {}
  cairo_surface_t* surface;
  cairo_t* cr;
};

// Left out of the coverage that guides the fuzzer: it is the check, not the code under test.
__attribute__((no_sanitize("coverage"))) bool clearOutsideRect(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < kHeight; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < kWidth; ++x) {
      if (row[x] != 0 && !kRect.contains(x, y)) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto metafile = platform::paint::parseMetafile({data, size});
  if (!metafile) return 0;

  static Canvas canvas;
  cairo_surface_flush(canvas.surface);
  std::memset(cairo_image_surface_get_data(canvas.surface), 0,
              static_cast<std::size_t>(cairo_image_surface_get_stride(canvas.surface)) * kHeight);
  cairo_surface_mark_dirty(canvas.surface);

  platform::paint::playMetafile(canvas.cr, *metafile, kRect);
  fuzz::require(cairo_status(canvas.cr) == CAIRO_STATUS_SUCCESS,
                "playing leaves the drawing context usable");
  fuzz::require(clearOutsideRect(canvas.surface), "nothing is drawn outside the rectangle");
  return 0;
}
