// Fuzzes the resolution of one path element on a Wine drive: a folder listing (stored name
// bytes, kind, user.DOSATTRIB bytes) and a wanted name go in, the entry it stands for comes out.
//
// Input, line by line ('\n' ends each line, so names hold any byte but that):
//   line 1: one byte (bit 0: a folder on the way; bits 1, 2, 4: the hidden, system and folder
//           bits of the attribute mask), then the wanted name as UTF-8
//   line 2 and on: one byte for the kind (its value modulo 3: file, folder, other), the stored
//           name, and optionally a tab and the DOSATTRIB bytes
// Rules checked, each against the listing itself rather than the code's own steps:
// - the chosen entry is one of the listing, admitted on its own, and the same name but for case;
// - the exact name wins when admitted; otherwise the admitted variant first in byte order;
// - the order of the listing does not matter (a folder is read in no particular order);
// - a wider attribute mask never loses an entry; other kinds are never admitted;
// - a name that is not well-formed UTF-8 never stands for a wanted name without U+FFFD;
// - letter case folds by the file-name table: unit for unit, an ASCII letter stands only for
//   itself in either case (never for a dotless i, a long s or the Kelvin sign), and folding
//   twice folds no further;
// - the hidden and system bits of a mark are those of its last hex digit, whatever its length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "forms/units.h"
#include "platform/api.h"
#include "platform/posix/name_resolution.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/utf8_table.h"

namespace {

using fuzz::require;
using platform::posix::EntryKind;
using platform::posix::ListedEntry;
using platform::posix::WantedName;

constexpr int kMaskBits = platform::vbHidden | platform::vbSystem | platform::vbDirectory;
constexpr std::size_t kMaxEntries = 32;

struct Case {
  std::u16string wanted;
  bool folderOnTheWay = false;
  int attributes = 0;
  std::vector<ListedEntry> listing;  // names unique, as in a real folder
};

std::optional<Case> readCase(std::string_view input) {
  std::vector<std::string_view> lines;
  while (!input.empty()) {
    std::size_t end = input.find('\n');
    lines.push_back(input.substr(0, end));
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  }
  if (lines.empty() || lines[0].empty()) return std::nullopt;
  Case c;
  auto flags = static_cast<unsigned char>(lines[0][0]);
  c.folderOnTheWay = (flags & 1) != 0;
  c.attributes = flags & kMaskBits;
  c.wanted = forms::fromUtf8(lines[0].substr(1));
  std::set<std::string_view> names;
  for (std::size_t i = 1; i < lines.size() && c.listing.size() < kMaxEntries; ++i) {
    std::string_view line = lines[i];
    if (line.empty()) continue;
    auto kind = static_cast<EntryKind>(static_cast<unsigned char>(line[0]) % 3);
    line.remove_prefix(1);
    std::size_t tab = line.find('\t');
    std::string_view name = line.substr(0, tab);
    if (!names.insert(name).second) continue;
    std::optional<std::string> mark;
    if (tab != std::string_view::npos) mark = std::string(line.substr(tab + 1));
    c.listing.push_back({std::string(name), kind, mark});
  }
  return c;
}

std::optional<std::string> resolve(const std::vector<ListedEntry>& listing, const Case& c,
                                   int attributes) {
  WantedName wanted{c.wanted, c.folderOnTheWay, attributes};
  auto index = platform::posix::resolveName(listing, wanted);
  if (!index) return std::nullopt;
  require(*index < listing.size(), "the chosen entry is one of the listing");
  return listing[*index].name;
}

bool admittedAlone(const ListedEntry& entry, const Case& c, int attributes) {
  return resolve({entry}, c, attributes).has_value();
}

bool wellFormed(std::string_view s) {
  return fuzz::wellFormedPrefix(s).size() == s.size();
}

bool isAsciiLetter(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z');
}

// The chosen name against the wanted one, unit by unit, by what the table must be rather than
// by the code that folds.
void caseRules(std::u16string_view stored, std::u16string_view wanted) {
  require(stored.size() == wanted.size(), "folding keeps every UTF-16 unit in its place");
  for (std::size_t i = 0; i < stored.size(); ++i) {
    char16_t s = stored[i], w = wanted[i];
    if (isAsciiLetter(s) || isAsciiLetter(w)) {
      require((s | 0x20) == (w | 0x20) && isAsciiLetter(s) && isAsciiLetter(w),
              "an ASCII letter stands only for itself in either case");
    }
    if (s >= 0xD800 && s <= 0xDFFF) require(s == w, "a surrogate stands only for itself");
    require(forms::upperUnit(s) == forms::upperUnit(w), "each unit folds to the same letter");
    require(forms::upperUnit(forms::upperUnit(w)) == forms::upperUnit(w),
            "an upper-case letter folds no further");
  }
}

void resolutionRules(const Case& c) {
  const std::string exact = forms::toUtf8(c.wanted);
  // What the rule says, from each entry judged on its own.
  std::optional<std::string> expected;
  bool exactAdmitted = false;
  for (const ListedEntry& entry : c.listing) {
    bool admitted = admittedAlone(entry, c, c.attributes);
    if (entry.kind == EntryKind::Other) require(!admitted, "a FIFO, socket or device is no entry");
    if (c.folderOnTheWay && entry.kind == EntryKind::File)
      require(!admitted, "only a folder is entered on the way");
    require(!admitted || admittedAlone(entry, c, c.attributes | kMaskBits),
            "a wider mask admits what a narrower one admits");
    if (!admitted) continue;
    require(platform::posix::sameName(entry.name, c.wanted),
            "an entry stands only for its own name but for case");
    caseRules(forms::fromUtf8(entry.name), c.wanted);
    if (entry.name == exact) {
      expected = entry.name;
      exactAdmitted = true;
    } else if (!exactAdmitted && (!expected || entry.name < *expected)) {
      expected = entry.name;
    }
  }

  std::optional<std::string> chosen = resolve(c.listing, c, c.attributes);
  require(chosen == expected, "the exact name when admitted, else the first admitted variant");
  if (chosen && !wellFormed(*chosen)) {
    require(c.wanted.find(u'\uFFFD') != std::u16string::npos,
            "a name that is not UTF-8 never equals a real one");
  }

  std::vector<ListedEntry> reversed(c.listing.rbegin(), c.listing.rend());
  require(resolve(reversed, c, c.attributes) == chosen, "the listing's order does not matter");
  if (chosen) {
    require(resolve(c.listing, c, c.attributes | kMaskBits).has_value(),
            "a wider mask still finds an entry");
  }
}

void markRules(std::string_view mark) {
  int bits = platform::posix::dosAttribBits(mark);
  require((bits & ~(platform::vbHidden | platform::vbSystem)) == 0,
          "a mark gives only the hidden and system bits");
  std::string_view text = mark.substr(0, mark.find('\0'));
  bool hex =
      text.size() > 2 && text.starts_with("0x") &&
      std::all_of(text.begin() + 2, text.end(), [](char ch) {
        return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
      });
  if (!hex) {
    require(bits == 0, "a mark that is not 0x<hex> gives no bits");
    return;
  }
  char last = text.back();
  int digit = last <= '9' ? last - '0' : (last | 0x20) - 'a' + 10;
  require(bits == (digit & (platform::vbHidden | platform::vbSystem)),
          "the bits of a mark are those of its value, however long it is");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto c = readCase({reinterpret_cast<const char*>(data), size});
  if (!c) return 0;
  for (const ListedEntry& entry : c->listing) {
    if (entry.dosAttrib) markRules(*entry.dosAttrib);
  }
  resolutionRules(*c);
  return 0;
}
