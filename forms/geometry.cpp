// Pixel rectangles and the twip/pixel rule at a density.
#include "forms/units.h"

#include <algorithm>
#include <cmath>

namespace forms {

PixelRect unite(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  int x1 = std::max(a.x + a.width, b.x + b.width), y1 = std::max(a.y + a.height, b.y + b.height);
  return {x0, y0, x1 - x0, y1 - y0};
}

PixelRect intersect(const PixelRect& a, const PixelRect& b) {
  int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
  int x1 = std::min(a.x + a.width, b.x + b.width), y1 = std::min(a.y + a.height, b.y + b.height);
  if (x1 <= x0 || y1 <= y0) return {};
  return {x0, y0, x1 - x0, y1 - y0};
}

int clampDpi(int dpi) {
  return std::clamp(dpi, kMinDpi, kMaxDpi);
}

int toPixels(Twips twips, int dpi) {
  // std::nearbyint rounds ties to even in the default rounding mode. twips * dpi is exact in a
  // double, so at 96 dpi the quotient is the same double as twips / 15.
  return static_cast<int>(std::nearbyint(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

Twips pointerToTwips(int pixels, int dpi) {
  return static_cast<Twips>(static_cast<double>(pixels) * kTwipsPerInch / dpi);
}

}  // namespace forms
