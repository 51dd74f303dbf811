// UTF-16 to UTF-8 and back; a malformed unit or sequence reads as U+FFFD.
#include "forms/units.h"

#include <cstdint>

namespace forms {

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

}  // namespace forms
