// Upper case as Windows and Wine compare file names.
#include "forms/units.h"

#include <algorithm>
#include <iterator>

namespace forms {

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

}  // namespace

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
