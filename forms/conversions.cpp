// The classic numeric conversions and their text forms, with their Overflow and Type mismatch.
#include "forms/units.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "forms/errors.h"

namespace forms {

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

}  // namespace forms
