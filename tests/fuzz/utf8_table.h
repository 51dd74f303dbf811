// Unicode's table of well-formed UTF-8 byte sequences, written out as the standard gives it: the
// harnesses' own reference for what is and is not UTF-8.
#pragma once

#include <cstddef>
#include <string_view>

namespace fuzz {

// Length of the well-formed UTF-8 sequence that starts `s`, or 0 when none does: Unicode's
// table of well-formed byte sequences, row by row.
inline std::size_t wellFormedAt(std::string_view s) {
  struct Row {
    unsigned leadFrom, leadTo, secondFrom, secondTo;
    std::size_t length;
  };
  static constexpr Row kRows[] = {
      {0x00, 0x7F, 0x00, 0x00, 1}, {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
      {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3},
      {0xF0, 0xF0, 0x90, 0xBF, 4}, {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4}};
  if (s.empty()) return 0;
  auto byte = [&](std::size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(s[i]));
  };
  for (const Row& row : kRows) {
    if (byte(0) < row.leadFrom || byte(0) > row.leadTo) continue;
    if (row.length == 1) return 1;
    if (s.size() < row.length || byte(1) < row.secondFrom || byte(1) > row.secondTo) return 0;
    for (std::size_t i = 2; i < row.length; ++i) {
      if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return row.length;
  }
  return 0;
}

// The longest well-formed start of `s`.
inline std::string_view wellFormedPrefix(std::string_view s) {
  std::size_t at = 0;
  while (std::size_t n = wellFormedAt(s.substr(at))) at += n;
  return s.substr(0, at);
}

}  // namespace fuzz
