#include "platform/posix/name_resolution.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/api.h"

namespace {

using platform::posix::EntryKind;
using platform::posix::ListedEntry;
using platform::posix::resolveName;
using platform::posix::WantedName;

constexpr std::u16string_view kName = u"LOMADiag.exe";
const std::string kHidden = "0x2", kSystem = "0x4";

ListedEntry file(std::string name, std::optional<std::string> mark = std::nullopt) {
  return {std::move(name), EntryKind::File, std::move(mark)};
}
ListedEntry folder(std::string name) {
  return {std::move(name), EntryKind::Folder, std::nullopt};
}
ListedEntry other(std::string name) {
  return {std::move(name), EntryKind::Other, std::nullopt};
}

// The stored name the wanted element resolves to, or "" when none is admitted.
std::string resolved(const std::vector<ListedEntry>& listing, WantedName wanted) {
  auto index = resolveName(listing, wanted);
  return index ? listing[*index].name : std::string();
}

TEST(NameResolution, ExactNameWinsOnlyWhenAdmitted) {
  std::vector<ListedEntry> listing = {file("lomadiag.exe"), file("LOMADiag.exe"),
                                      file("LOMADIAG.EXE")};
  EXPECT_EQ(resolved(listing, {kName}), "LOMADiag.exe");
  // Hidden: the first visible variant in byte order ("LOMADIAG.EXE" < "lomadiag.exe").
  listing[1].dosAttrib = kHidden;
  EXPECT_EQ(resolved(listing, {kName}), "LOMADIAG.EXE");
  EXPECT_EQ(resolved(listing, {kName, false, platform::vbHidden}), "LOMADiag.exe");
  // A folder with the exact name is passed over by a file lookup and taken by a folder one.
  listing[1] = folder("LOMADiag.exe");
  EXPECT_EQ(resolved(listing, {kName}), "LOMADIAG.EXE");
  EXPECT_EQ(resolved(listing, {kName, false, platform::vbDirectory}), "LOMADiag.exe");
  EXPECT_EQ(resolved(listing, {kName, true}), "LOMADiag.exe");
}

TEST(NameResolution, ByteOrderNotListingOrderPicksAmongVariants) {
  std::vector<ListedEntry> listing = {file("lomadiag.exe"), file("LomaDiag.exe"),
                                      file("LOMADIAG.EXE")};
  EXPECT_EQ(resolved(listing, {kName}), "LOMADIAG.EXE");
  std::swap(listing[0], listing[2]);
  EXPECT_EQ(resolved(listing, {kName}), "LOMADIAG.EXE");
  // Bytes compare unsigned: a name with a letter beyond ASCII sorts after every ASCII one.
  std::vector<ListedEntry> wide = {file("\xC3\xA4.exe"), file("\xC3\x84.exe")};
  EXPECT_EQ(resolved(wide, {u"\u00C4.EXE"}), "\xC3\x84.exe");
}

// Wine's own lookup on the same folders: a dotless i (U+0131) or a long s (U+017F) is no i or s,
// since their upper-case forms lower to other letters; real case pairs of any script match.
TEST(NameResolution, LetterCaseFoldsByTheFileNameTable) {
  EXPECT_EQ(resolved({folder("ZAVRO_F\xC4\xB1")}, {u"ZAVRO_Fi", true}), "");
  EXPECT_EQ(resolved({folder("ZAVRO_FI")}, {u"ZAVRO_F\u0131", true}), "");
  EXPECT_EQ(resolved({file("LOMADiag.exe")}, {u"LOMAD\u0131ag.exe"}), "");
  EXPECT_EQ(resolved({file("LOMADiag.\xC5\xBFxe")}, {u"LOMADiag.exe"}), "");
  EXPECT_EQ(resolved({file("\xE2\x84\xAA.exe")}, {u"k.exe"}), "");  // the Kelvin sign
  // A dotless-i name beside the real one no longer hides it, whichever sorts first.
  EXPECT_EQ(resolved({file("LOMAD\xC4\xB1"
                           "ag.exe"),
                      file("lomadiag.exe")},
                     {kName}),
            "lomadiag.exe");
  EXPECT_EQ(resolved({folder("ZAVRO_F\xC4\xB1"), folder("zavro_fi")}, {u"ZAVRO_Fi", true}),
            "zavro_fi");
  // Greek, Cyrillic, Armenian and full-width letters fold as they do on Windows.
  EXPECT_EQ(resolved({file("\xCF\x89\xD0\xB6\xD5\xA1\xEF\xBD\x81.exe")},
                     {u"\u03a9\u0416\u0531\uff21.EXE"}),
            "\xCF\x89\xD0\xB6\xD5\xA1\xEF\xBD\x81.exe");
  EXPECT_TRUE(platform::posix::sameName("\xC3\xBF", u"\u0178"));  // y with diaeresis
  EXPECT_FALSE(platform::posix::sameName("\xC4\xB1", u"I"));
}

TEST(NameResolution, OnlyRegularFilesAndFoldersCanBeNamed) {
  // A FIFO, socket, device or dangling link is no entry, whatever the mask.
  std::vector<ListedEntry> listing = {other("LOMADiag.exe")};
  EXPECT_EQ(resolved(listing, {kName}), "");
  EXPECT_EQ(resolved(listing, {kName, false,
                               platform::vbHidden | platform::vbSystem | platform::vbDirectory}),
            "");
  EXPECT_EQ(resolved(listing, {kName, true}), "");
  listing.push_back(file("lomadiag.exe"));
  EXPECT_EQ(resolved(listing, {kName}), "lomadiag.exe");
  // A folder on the way may be hidden or a system folder; a file never stands in for it.
  std::vector<ListedEntry> path = {file("ZAVRO_Fi"), {"zavro_fi", EntryKind::Folder, kSystem}};
  EXPECT_EQ(resolved(path, {u"ZAVRO_Fi", true}), "zavro_fi");
  EXPECT_EQ(resolved(path, {u"ZAVRO_Fi", false, platform::vbDirectory}), "ZAVRO_Fi");
}

TEST(NameResolution, MalformedUtf8NeverEqualsALetter) {
  // "e" written overlong in two bytes, a surrogate and a value past U+10FFFF.
  std::vector<ListedEntry> listing = {file("LOMADiag.ex\xC1\xA5"), file("LOMADiag.ex\xED\xA0\x80"),
                                      file("LOMADiag.ex\xF4\x90\x80\x80")};
  EXPECT_EQ(resolved(listing, {kName}), "");
  EXPECT_EQ(resolved({folder("ZAVRO\xC1\x9F\x46i")}, {u"ZAVRO_Fi", true}), "");  // "_" overlong
}

TEST(NameResolution, DotAndDotDotAreNeverNames) {
  EXPECT_EQ(resolved({folder("."), folder("..")}, {u".", true}), "");
  EXPECT_EQ(resolved({folder("."), folder("..")}, {u"..", true}), "");
}

TEST(NameResolution, MarksAndDotFilesGiveHiddenAndSystem) {
  using platform::posix::wineAttributes;
  EXPECT_EQ(wineAttributes(file("a", "0x6")), platform::vbHidden | platform::vbSystem);
  EXPECT_EQ(wineAttributes(file(".a")), platform::vbHidden);
  EXPECT_EQ(wineAttributes(file(".a", "0x20")), 0);  // Wine's own mark overrides the dot
  EXPECT_EQ(wineAttributes({".a", EntryKind::Folder, std::nullopt}),
            platform::vbHidden | platform::vbDirectory);
  // A mark of any length counts, not only one that fits a small buffer.
  std::string longMark = "0x" + std::string(200, '0') + "2";
  EXPECT_EQ(wineAttributes(file("a", longMark)), platform::vbHidden);
  EXPECT_EQ(resolved({file("LOMADiag.exe", longMark)}, {kName}), "");
}

TEST(NameResolution, ReadsDosAttribTextAsWine8Does) {
  using platform::posix::dosAttribBits;
  EXPECT_EQ(dosAttribBits("0x2"), 2);
  EXPECT_EQ(dosAttribBits("0x26"), 6);
  EXPECT_EQ(dosAttribBits("0x7fffffffffffffffffff4"), 4);  // wider than any integer
  EXPECT_EQ(dosAttribBits(std::string_view("0x4\0", 4)), 4);
  EXPECT_EQ(dosAttribBits("0x"), 0);
  EXPECT_EQ(dosAttribBits("0x2z"), 0);
  EXPECT_EQ(dosAttribBits("2"), 0);
  EXPECT_EQ(dosAttribBits(std::string_view("\x03\x00\x03\x00\x06\x00\x00\x00", 8)), 0);
}

}  // namespace
