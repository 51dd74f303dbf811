// Linux drawing: a small player for placeable Windows metafiles of filled outlines.
//
// Implements only what our countdown notice uses: SetWindowOrg, SetWindowExt, SetPolyFillMode,
// CreatePenIndirect, CreateBrushIndirect, SelectObject, DeleteObject, Polygon, PolyPolygon and
// EOF. Other records are skipped, SetMapMode too: an image control always stretches the
// picture's logical window onto its rectangle. Outlines are filled with the selected brush and
// never stroked (the notice selects a null pen). Every length and count is checked against the
// bytes; playback stops at the first record that does not fit.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "forms/units.h"

namespace platform::paint {

struct LogicalPoint {
  std::int16_t x = 0, y = 0;
};

// One filled polygon set, with the logical window in force when it was drawn.
struct MetafileFill {
  forms::Colour colour = 0;
  bool evenOdd = true;
  LogicalPoint windowOrg, windowExt;
  std::vector<std::vector<LogicalPoint>> polygons;
};

struct Metafile {
  std::vector<MetafileFill> fills;
};

// Reads the records once; none when there is no placeable header and metafile header.
std::optional<Metafile> parseMetafile(std::span<const std::uint8_t> bytes);

// Fills the outlines with the logical window mapped onto the rectangle, width and height
// independently; nothing else is painted, so what lies behind shows through, and nothing at all
// outside the rectangle, wherever the outlines reach.
void playMetafile(cairo_t* cr, const Metafile& metafile, const forms::PixelRect& rect);

}  // namespace platform::paint
