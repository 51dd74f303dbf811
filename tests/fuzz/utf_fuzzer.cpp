// Fuzzes the UTF-8 and UTF-16 conversions against Unicode's table of well-formed UTF-8. The
// bytes are read once as UTF-8 and once as UTF-16 units:
// - UTF-8 in: the result is well-formed UTF-16; a well-formed input gives exactly its
//   characters back (and encodes back to the same bytes); at the first ill-formed byte the
//   result holds U+FFFD after the characters before it; no ASCII byte is ever swallowed.
// - UTF-16 in: the result is well-formed UTF-8, and reads back as the input with each lone
//   surrogate replaced by U+FFFD.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/units.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/utf8_table.h"

namespace {

using fuzz::require;
using fuzz::wellFormedAt;
using fuzz::wellFormedPrefix;

// The UTF-16 form of well-formed UTF-8, decoded by the table's own arithmetic.
std::u16string expectedUtf16(std::string_view s) {
  std::u16string out;
  for (std::size_t at = 0; at < s.size();) {
    std::size_t n = wellFormedAt(s.substr(at));
    auto lead = static_cast<std::uint32_t>(static_cast<unsigned char>(s[at]));
    std::uint32_t c = n == 1 ? lead : lead & (0x7Fu >> n);
    for (std::size_t i = 1; i < n; ++i)
      c = c << 6 | (static_cast<unsigned char>(s[at + i]) & 0x3Fu);
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    at += n;
  }
  return out;
}

bool isHigh(char16_t c) {
  return c >= 0xD800 && c < 0xDC00;
}
bool isLow(char16_t c) {
  return c >= 0xDC00 && c < 0xE000;
}

// The units with each surrogate that has no partner replaced by U+FFFD.
std::u16string pairedOnly(std::u16string_view units) {
  std::u16string out(units);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (isHigh(out[i]) && i + 1 < out.size() && isLow(out[i + 1])) {
      ++i;
    } else if (isHigh(out[i]) || isLow(out[i])) {
      out[i] = 0xFFFD;
    }
  }
  return out;
}

std::size_t asciiCount(auto text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](auto c) { return (c & ~0x7F) == 0; }));
}

void fromUtf8Rules(std::string_view bytes) {
  std::u16string units = forms::fromUtf8(bytes);
  require(pairedOnly(units) == units, "UTF-8 is read as well-formed UTF-16");
  require(asciiCount(units) == asciiCount(bytes), "every ASCII byte is read as itself");
  std::string_view good = wellFormedPrefix(bytes);
  std::u16string expected = expectedUtf16(good);
  require(units.starts_with(expected), "well-formed UTF-8 is read as its characters");
  if (good.size() == bytes.size()) {
    require(units.size() == expected.size(), "well-formed UTF-8 gives nothing more");
    require(forms::toUtf8(units) == bytes, "well-formed UTF-8 is written back as it was");
  } else {
    require(units.size() > expected.size() && units[expected.size()] == 0xFFFD,
            "an ill-formed sequence is read as U+FFFD");
  }
}

void toUtf8Rules(std::u16string_view units) {
  std::string bytes = forms::toUtf8(units);
  require(wellFormedPrefix(bytes).size() == bytes.size(), "UTF-16 is written as well-formed UTF-8");
  require(forms::fromUtf8(bytes) == pairedOnly(units),
          "UTF-16 reads back, a lone surrogate as U+FFFD");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fromUtf8Rules({reinterpret_cast<const char*>(data), size});
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  toUtf8Rules(units);
  return 0;
}
