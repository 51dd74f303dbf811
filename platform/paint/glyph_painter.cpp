// Linux drawing: implements the glyph painter declared in glyph_painter.h.
//
// Cairo's image surfaces draw a run of glyphs in these steps, each followed here:
// - glyphs whose origin lies more than ten times the font size outside the clip are dropped;
// - each glyph's box is its em-size ink box scaled to the size in 24.8 fixed point, placed at
//   the origin (a whole pixel here; image surfaces draw glyphs at whole pixels); the run's box is
//   their union rounded outwards to whole pixels, and the run overlaps when a glyph's box meets
//   the union of those before it;
// - nothing is drawn outside the run's box within the clip, "the bounds";
// - an overlapping run adds the glyphs' coverage into a mask the size of the bounds, with
//   saturation, and lays the colour over the target through it;
// - any other run lays the colour over the target through each glyph in turn, clipped to the
//   bounds only when the run's box does not fit in them, else only to the target: a glyph's
//   bitmap, hinted, may reach a pixel beyond its box.
// The compositing is pixman's own, as it is Cairo's. tests/paint/glyph_painter_test.cpp compares
// the two on random runs, byte for byte.
#include "platform/paint/glyph_painter.h"

#include <pixman.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace platform::paint {
namespace {

using Fixed = std::int64_t;  // 24.8, as Cairo's

// Cairo's conversion: to the nearest 1/256, ties to even.
Fixed fixedFromDouble(double v) {
  return static_cast<Fixed>(std::nearbyint(v * 256.0));
}

// Rounded outwards to whole pixels.
forms::PixelRect roundedOut(Fixed x1, Fixed y1, Fixed x2, Fixed y2) {
  auto floor = [](Fixed v) { return static_cast<int>(v >> 8); };
  auto ceil = [](Fixed v) { return static_cast<int>(-((-v) >> 8)); };
  return {floor(x1), floor(y1), ceil(x2) - floor(x1), ceil(y2) - floor(y1)};
}

// A glyph's box from its origin in 24.8 at a pixel size: Cairo's metrics taken back to the em
// and scaled to the size, corner by corner.
struct FixedBox {
  Fixed x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
FixedBox scaledBox(const GlyphBox& box, int unitsPerEm, int pixelSize) {
  double factor = 1.0 / unitsPerEm, size = pixelSize;
  double bearingX = (static_cast<double>(box.bearingX) / 64.0) * factor;
  double bearingY = (static_cast<double>(-box.bearingY) / 64.0) * factor;
  double width = (static_cast<double>(box.width) / 64.0) * factor;
  double height = (static_cast<double>(box.height) / 64.0) * factor;
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  bool first = true;
  for (double hm = 0.0; hm <= 1.0; hm += 1.0)
    for (double wm = 0.0; wm <= 1.0; wm += 1.0) {
      double x = bearingX + width * wm, y = bearingY + height * hm;
      double dx = size * x + 0.0 * y, dy = 0.0 * x + size * y;
      minX = first ? dx : std::min(minX, dx);
      maxX = first ? dx : std::max(maxX, dx);
      minY = first ? dy : std::min(minY, dy);
      maxY = first ? dy : std::max(maxY, dy);
      first = false;
    }
  return {fixedFromDouble(minX), fixedFromDouble(minY), fixedFromDouble(maxX),
          fixedFromDouble(maxY)};
}

}  // namespace

void drawGlyphs(cairo_surface_t* target, const Font& font, int pixelSize,
                std::span<const PlacedGlyph> glyphs, std::uint32_t rgb,
                const forms::PixelRect& clip) {
  forms::PixelRect visible = forms::intersect(
      clip, {0, 0, cairo_image_surface_get_width(target), cairo_image_surface_get_height(target)});
  if (visible.empty()) return;
  int margin = 10 * pixelSize;
  std::span<const GlyphBox> boxes = font.emBoxes();
  int unitsPerEm = font.metrics().unitsPerEm;

  std::vector<const PlacedGlyph*> kept;
  FixedBox run{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  bool overlap = false;
  for (const PlacedGlyph& glyph : glyphs) {
    if (glyph.x < visible.x - margin || glyph.x > visible.x + visible.width + margin ||
        glyph.y < visible.y - margin || glyph.y > visible.y + visible.height + margin)
      continue;
    FixedBox box;
    if (glyph.glyph < boxes.size()) box = scaledBox(boxes[glyph.glyph], unitsPerEm, pixelSize);
    Fixed x = Fixed{glyph.x} * 256, y = Fixed{glyph.y} * 256;
    box = {x + box.x1, y + box.y1, x + box.x2, y + box.y2};
    if (!overlap && box.x1 != box.x2 && box.y1 != box.y2)
      overlap = box.x2 > run.x1 && box.x1 < run.x2 && box.y2 > run.y1 && box.y1 < run.y2;
    run = {std::min(run.x1, box.x1), std::min(run.y1, box.y1), std::max(run.x2, box.x2),
           std::max(run.y2, box.y2)};
    kept.push_back(&glyph);
  }
  if (kept.empty()) return;
  // A single glyph's box is rounded even when it is empty; a longer run needs some width.
  if (kept.size() == 1) overlap = false;
  forms::PixelRect runBox = kept.size() == 1 || run.x1 < run.x2
                                ? roundedOut(run.x1, run.y1, run.x2, run.y2)
                                : forms::PixelRect{};
  forms::PixelRect bounds = forms::intersect(runBox, visible);
  if (bounds.empty()) return;

  cairo_surface_flush(target);
  PixmanImage canvas{pixman_image_create_bits(
      PIXMAN_x8r8g8b8, cairo_image_surface_get_width(target),
      cairo_image_surface_get_height(target),
      reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(target)),
      cairo_image_surface_get_stride(target))};
  // Cairo's solid colour: each 8-bit channel widened to 16 bits.
  auto wide = [](std::uint32_t channel) {
    return static_cast<std::uint16_t>((channel & 0xFF) * 257);
  };
  pixman_color_t colour{wide(rgb >> 16), wide(rgb >> 8), wide(rgb), 0xFFFF};
  PixmanImage source{pixman_image_create_solid_fill(&colour)};
  if (!canvas || !source) return;

  // Where each glyph's coverage lies on the target.
  auto placed = [](const PlacedGlyph& glyph, const GlyphBitmap& b) {
    return forms::PixelRect{glyph.x + b.left, glyph.y - b.top, b.width, b.height};
  };
  if (overlap) {
    PixmanImage mask{pixman_image_create_bits(PIXMAN_a8, bounds.width, bounds.height, nullptr, 0)};
    if (!mask) return;
    for (const PlacedGlyph* glyph : kept) {
      const GlyphBitmap& b = font.bitmap(pixelSize, glyph->glyph);
      if (!b.image) continue;
      forms::PixelRect at = placed(*glyph, b);
      pixman_image_composite32(PIXMAN_OP_ADD, b.image.get(), nullptr, mask.get(), 0, 0, 0, 0,
                               at.x - bounds.x, at.y - bounds.y, at.width, at.height);
    }
    pixman_image_composite32(PIXMAN_OP_OVER, source.get(), mask.get(), canvas.get(), 0, 0, 0, 0,
                             bounds.x, bounds.y, bounds.width, bounds.height);
  } else {
    bool clipped = runBox.width > bounds.width || runBox.height > bounds.height;
    forms::PixelRect limit = clipped ? bounds
                                     : forms::PixelRect{0, 0, cairo_image_surface_get_width(target),
                                                        cairo_image_surface_get_height(target)};
    for (const PlacedGlyph* glyph : kept) {
      const GlyphBitmap& b = font.bitmap(pixelSize, glyph->glyph);
      if (!b.image) continue;
      forms::PixelRect at = placed(*glyph, b);
      forms::PixelRect part = forms::intersect(at, limit);
      if (part.empty()) continue;
      pixman_image_composite32(PIXMAN_OP_OVER, source.get(), b.image.get(), canvas.get(), 0, 0,
                               part.x - at.x, part.y - at.y, part.x, part.y, part.width,
                               part.height);
    }
  }
  cairo_surface_mark_dirty(target);
}

}  // namespace platform::paint
