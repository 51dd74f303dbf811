#include "forms/units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>

#include "forms/errors.h"

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

Colour defaultSystemColour(Colour c) {
  switch (c & 0xFFu) {
    case 5:
      return 0xFFFFFF;  // window background
    case 8:
      return 0x000000;  // window text
    case 15:
      return 0xF0F0F0;  // button face
    default:
      return 0x000000;
  }
}

std::int32_t clng(double value) {
  double r = std::nearbyint(value);
  if (!(r >= std::numeric_limits<std::int32_t>::min() &&
        r <= std::numeric_limits<std::int32_t>::max()))
    throw err::overflow();
  return static_cast<std::int32_t>(r);
}

static std::int16_t checkedInteger(int value) {
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max())
    throw err::overflow();
  return static_cast<std::int16_t>(value);
}

std::int16_t addInteger(std::int16_t a, std::int16_t b) {
  return checkedInteger(a + b);
}
std::int16_t subtractInteger(std::int16_t a, std::int16_t b) {
  return checkedInteger(a - b);
}

static std::u16string widen(std::string_view ascii) {
  return {ascii.begin(), ascii.end()};
}

std::u16string singleToText(float value) {
  if (std::isnan(value) || std::isinf(value)) throw err::overflow();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(value));
  // %G drops trailing zeros and writes the exponent with two digits at least: the classic
  // "1E+20" and "1.5E-05".
  return widen(buf);
}

float textToSingle(std::u16string_view text) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) throw err::typeMismatch();
    ascii.push_back(static_cast<char>(c));
  }
  auto first = ascii.find_first_not_of(" \t");
  auto last = ascii.find_last_not_of(" \t");
  if (first == std::string::npos) throw err::typeMismatch();
  ascii = ascii.substr(first, last - first + 1);
  if (ascii.find_first_not_of("0123456789.+-eE") != std::string::npos) throw err::typeMismatch();
  char* end = nullptr;
  double value = std::strtod(ascii.c_str(), &end);
  if (end != ascii.c_str() + ascii.size()) throw err::typeMismatch();
  if (std::fabs(value) > std::numeric_limits<float>::max()) throw err::overflow();
  return static_cast<float>(value);
}

std::u16string integerToText(std::int16_t value) {
  return widen(std::to_string(value));
}

std::string toUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // a lone surrogate
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

namespace {

// The upper-case table Windows and Wine compare file names by: a letter's simple upper-case
// mapping where it goes back to that letter, so dotless i, long s and the Kelvin sign stay apart
// from I, S and K. Generated from the Unicode data by tools/unicode/make_upcase.py.
struct CasePair {
  char16_t unit, upper;
};
constexpr CasePair kUpperCase[] = {
#include "forms/upcase_table.inc"
};

// How many continuation bytes follow a lead byte, and the range its first one must lie in so that
// the sequence is neither overlong, nor a surrogate, nor above U+10FFFF. extra < 0: no lead byte.
struct Lead {
  int extra;
  unsigned char low = 0x80, high = 0xBF;
};

Lead leadOf(unsigned char b) {
  if (b < 0x80) return {0};
  if (b >= 0xC2 && b <= 0xDF) return {1};
  if (b == 0xE0) return {2, 0xA0, 0xBF};
  if (b == 0xED) return {2, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {2};
  if (b == 0xF0) return {3, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {3};
  if (b == 0xF4) return {3, 0x80, 0x8F};
  return {-1};  // a continuation byte, C0, C1 (only ever overlong) or F5 and above
}

}  // namespace

std::u16string fromUtf8(std::string_view text) {
  // Each malformed sequence (the longest start of a valid one, or a single byte) reads as one
  // U+FFFD, as the Unicode standard recommends.
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    auto b = static_cast<unsigned char>(text[i]);
    const Lead lead = leadOf(b);
    if (lead.extra < 0) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    std::uint32_t c = lead.extra == 0 ? b : b & (0x3F >> lead.extra);
    std::size_t next = i + 1;
    bool bad = false;
    for (int k = 1; k <= lead.extra; ++k, ++next) {
      auto cont = next < text.size() ? static_cast<unsigned char>(text[next]) : 0;
      unsigned char low = k == 1 ? lead.low : 0x80, high = k == 1 ? lead.high : 0xBF;
      if (next >= text.size() || cont < low || cont > high) {
        bad = true;
        break;
      }
      c = (c << 6) | (cont & 0x3F);
    }
    i = next;
    if (bad) {
      out.push_back(0xFFFD);
    } else if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

char16_t upperUnit(char16_t unit) {
  if (unit < 0x80) return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
  const auto* end = std::end(kUpperCase);
  const auto* pair = std::lower_bound(std::begin(kUpperCase), end, unit,
                                      [](const CasePair& p, char16_t u) { return p.unit < u; });
  return pair != end && pair->unit == unit ? pair->upper : unit;
}

std::u16string toUpper(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out) c = upperUnit(c);
  return out;
}

}  // namespace forms
