// Twips, pixels, colours and the classic value conversions the handlers rely on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace forms {

using Twips = float;  // single precision, as the layout stores it
constexpr int kTwipsPerInch = 1440;
// The density the layout and the artwork were designed at: a pixel there is 15 twips.
constexpr int kDesignDpi = 96;
constexpr int kTwipsPerPixel = kTwipsPerInch / kDesignDpi;
// The densities a host accepts from its system; anything outside is taken as the nearest.
constexpr int kMinDpi = 72, kMaxDpi = 480;
int clampDpi(int dpi);

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  [[nodiscard]] bool empty() const { return width <= 0 || height <= 0; }
  [[nodiscard]] bool contains(int px, int py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
  bool operator==(const PixelRect&) const = default;
};

PixelRect unite(const PixelRect& a, const PixelRect& b);
PixelRect intersect(const PixelRect& a, const PixelRect& b);

// Positions and sizes at a density of dpi dots per inch: round(twips * dpi / 1440), ties to
// even. At 96 dpi that is twips/15.
int toPixels(Twips twips, int dpi);
// A pointer at pixel x lies at x * 1440 / dpi twips; a screen x pixels wide is as many twips.
Twips pointerToTwips(int pixels, int dpi);

// 0x00BBGGRR, or 0x80000000 + n for system colour n, which the platform resolves.
using Colour = std::uint32_t;
constexpr Colour systemColour(int n) {
  return 0x80000000u + static_cast<Colour>(n);
}
constexpr bool isSystemColour(Colour c) {
  return (c & 0x80000000u) != 0;
}
constexpr Colour kButtonFace = systemColour(15);
constexpr Colour kWindowBackground = systemColour(5);
constexpr Colour kWindowText = systemColour(8);
// The defaults of a current Windows desktop, for platforms without system colours.
Colour defaultSystemColour(Colour c);
constexpr std::uint8_t red(Colour c) {
  return c & 0xFF;
}
constexpr std::uint8_t green(Colour c) {
  return (c >> 8) & 0xFF;
}
constexpr std::uint8_t blue(Colour c) {
  return (c >> 16) & 0xFF;
}

// CLng: nearest 32-bit integer, ties to even; Overflow outside the range.
std::int32_t clng(double value);
// 16-bit Integer arithmetic; Overflow when the result leaves -32768..32767.
std::int16_t addInteger(std::int16_t a, std::int16_t b);
std::int16_t subtractInteger(std::int16_t a, std::int16_t b);

// The text form of a Single (seven significant digits, "1545", "1545.5", "1E+20").
std::u16string singleToText(float value);
// A text read back as a Single; Type mismatch when it holds no number.
float textToSingle(std::u16string_view text);
// Decimal text of an Integer: digits, and a leading minus for negative values.
std::u16string integerToText(std::int16_t value);

std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);
// Upper case as Windows and Wine compare file names, one UTF-16 unit at a time (a surrogate
// stays as it is): the launcher's name compare and the Linux lookup fold by this one rule.
char16_t upperUnit(char16_t unit);
std::u16string toUpper(std::u16string_view text);

}  // namespace forms
