#include "platform/paint/metafile_player.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <vector>

#include "platform/api.h"
#include "platform/paint/cairo_painter.h"
#include "platform/paint/gdi_object_table.h"
#include "platform/paint/surface.h"
#include "tests/paint/pixels.h"

namespace {

using platform::paint::Metafile;
using platform::paint::parseMetafile;
using platform::paint::playMetafile;

// A placeable metafile written record by record.
class Wmf {
 public:
  Wmf& record(std::uint16_t function, std::initializer_list<int> words) {
    put32(static_cast<std::uint32_t>(3 + words.size()));
    put16(function);
    for (int w : words) put16(static_cast<std::uint16_t>(w));
    return *this;
  }
  Wmf& window(int w, int h) { return record(0x020B, {0, 0}).record(0x020C, {h, w}); }
  Wmf& brush(std::uint32_t colour, int style = 0) {
    return record(0x02FC, {style, int(colour & 0xFFFF), int(colour >> 16), 0});
  }
  [[nodiscard]] std::vector<std::uint8_t> bytes(int objects = 4) const {
    std::vector<std::uint8_t> out;
    auto put = [&](std::uint32_t v, int n) {
      for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put(0x9AC6CDD7, 4);
    put(0, 2);
    for (int v : {0, 0, 1000, 100}) put(static_cast<std::uint16_t>(v), 2);
    put(1000, 2);
    put(0, 4);
    put(0, 2);  // checksum, not read
    put(1, 2);  // memory metafile
    put(9, 2);  // header words
    put(0x0300, 2);
    put(static_cast<std::uint32_t>(9 + records_.size() / 2 + 3), 4);
    put(static_cast<std::uint32_t>(objects), 2);
    put(0, 4);
    put(0, 2);
    out.insert(out.end(), records_.begin(), records_.end());
    put(3, 4);  // EOF
    put(0, 2);
    return out;
  }

 private:
  void put16(std::uint16_t v) {
    records_.push_back(static_cast<std::uint8_t>(v));
    records_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void put32(std::uint32_t v) {
    put16(static_cast<std::uint16_t>(v));
    put16(static_cast<std::uint16_t>(v >> 16));
  }
  std::vector<std::uint8_t> records_;
};

constexpr std::uint32_t kRed = 0x0000FF, kBlue = 0xFF0000;
constexpr std::uint32_t kGrey = 0x808080;

// A 100 x 100 logical square with a square hole from 25 to 75.
Wmf squareWithHole(int fillMode) {
  Wmf wmf;
  wmf.window(100, 100).record(0x0106, {fillMode}).record(0x02FA, {5, 0, 0, 0, 0});
  wmf.record(0x012D, {0}).brush(kRed).record(0x012D, {1});
  wmf.record(0x0538, {2, 4, 4, 0, 0, 100, 0, 100, 100, 0, 100,  //
                      25, 25, 75, 25, 75, 75, 25, 75});
  return wmf.record(0x01F0, {1});
}

platform::paint::Surface greySurface(int w, int h) {
  platform::paint::Surface s(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h));
  cairo_t* cr = cairo_create(s.get());
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
  cairo_paint(cr);
  cairo_destroy(cr);
  return s;
}

void play(cairo_surface_t* s, const Metafile& m, const forms::PixelRect& r) {
  cairo_t* cr = cairo_create(s);
  playMetafile(cr, m, r);
  cairo_destroy(cr);
}

TEST(MetafilePlayer, ReadsFillsWithTheirBrushWindowAndFillMode) {
  auto m = parseMetafile(squareWithHole(1).bytes());
  ASSERT_TRUE(m);
  ASSERT_EQ(m->fills.size(), 1u);
  const auto& fill = m->fills[0];
  EXPECT_EQ(fill.colour, kRed);
  EXPECT_TRUE(fill.evenOdd);
  EXPECT_EQ(fill.windowExt.x, 100);
  EXPECT_EQ(fill.windowExt.y, 100);
  ASSERT_EQ(fill.polygons.size(), 2u);
  EXPECT_EQ(fill.polygons[1][2].x, 75);
  EXPECT_EQ(fill.polygons[1][2].y, 75);
  auto winding = parseMetafile(squareWithHole(2).bytes());
  ASSERT_TRUE(winding);
  ASSERT_FALSE(winding->fills.empty());
  EXPECT_FALSE(winding->fills[0].evenOdd);
}

TEST(MetafilePlayer, MapsTheWindowOntoTheRectangleAndFillsEvenOdd) {
  auto s = greySurface(60, 40);
  auto m = parseMetafile(squareWithHole(1).bytes());
  ASSERT_TRUE(m);
  // 100 x 100 units onto 40 x 20 pixels at (10, 10): anisotropic.
  play(s.get(), *m, {10, 10, 40, 20});
  using painttest::pixel;
  EXPECT_EQ(pixel(s.get(), 10, 10), 0xFF0000u);  // the square's corner, red
  EXPECT_EQ(pixel(s.get(), 49, 29), 0xFF0000u);  // its far corner
  EXPECT_EQ(pixel(s.get(), 13, 20), 0xFF0000u);  // left of the hole
  EXPECT_EQ(pixel(s.get(), 30, 20), kGrey);      // the hole shows what lies behind
  EXPECT_EQ(pixel(s.get(), 9, 10), kGrey);       // nothing outside the rectangle
  EXPECT_EQ(pixel(s.get(), 50, 29), kGrey);
  EXPECT_EQ(pixel(s.get(), 49, 30), kGrey);
}

TEST(MetafilePlayer, WindingFillClosesTheHoleOfSameDirectionOutlines) {
  auto s = greySurface(60, 40);
  auto m = parseMetafile(squareWithHole(2).bytes());
  ASSERT_TRUE(m);
  play(s.get(), *m, {10, 10, 40, 20});
  EXPECT_EQ(painttest::pixel(s.get(), 30, 20), 0xFF0000u);
}

TEST(MetafilePlayer, ThePainterKeepsOutlinesBeyondTheWindowInsideTheRectangle) {
  // A 10 x 10 window with a red polygon twice as wide: a picture, like a raster, stays within
  // its control, so a repaint of the area beside it never needs to replay it.
  Wmf wmf;
  wmf.window(10, 10).brush(kRed).record(0x012D, {0}).record(0x0324, {3, 0, 0, 20, 0, 20, 10});
  auto bytes = wmf.bytes();  // the picture keeps a view of them
  auto picture = forms::Picture::fromBytes(forms::PictureKind::Metafile, bytes);
  platform::paint::CairoPainter p(60, 40);
  p.fill({0, 0, 60, 40}, kGrey);
  p.drawPicture(*picture, {10, 10, 20, 20});
  EXPECT_EQ(painttest::pixel(p.surface(), 29, 15), 0xFF0000u);
  EXPECT_EQ(painttest::pixel(p.surface(), 30, 15), 0x808080u);
}

TEST(MetafilePlayer, KeepsGdiObjectTableRules) {
  // One slot: the second brush finds no room and is never created; a deleted slot is reused;
  // a hollow brush fills nothing; selecting a missing object keeps the current brush.
  Wmf wmf;
  wmf.window(10, 10).brush(kRed).brush(kBlue).record(0x012D, {0});
  wmf.record(0x0324, {3, 0, 0, 10, 0, 10, 10});
  wmf.record(0x01F0, {0}).brush(0, 1).record(0x012D, {0}).record(0x0324, {3, 0, 0, 10, 0, 10, 10});
  wmf.record(0x01F0, {0}).brush(kBlue).record(0x012D, {0}).record(0x012D, {7});
  wmf.record(0x0324, {3, 0, 0, 10, 0, 10, 10});
  auto m = parseMetafile(wmf.bytes(1));
  ASSERT_TRUE(m);
  ASSERT_EQ(m->fills.size(), 2u);
  EXPECT_EQ(m->fills[0].colour, kRed);
  EXPECT_EQ(m->fills[1].colour, kBlue);
}

TEST(MetafilePlayer, WithoutWindowRecordsMapsTheBoundingBox) {
  Wmf wmf;
  wmf.brush(kRed).record(0x012D, {0}).record(0x0324, {3, 0, 0, 1000, 0, 1000, 100});
  auto m = parseMetafile(wmf.bytes());
  ASSERT_TRUE(m);
  EXPECT_EQ(m->fills[0].windowExt.x, 1000);
  EXPECT_EQ(m->fills[0].windowExt.y, 100);
}

TEST(MetafilePlayer, RejectsFilesWithoutHeaders) {
  auto bytes = squareWithHole(1).bytes();
  for (std::size_t n = 0; n < 40; ++n) {
    EXPECT_FALSE(parseMetafile(std::span(bytes).first(n))) << n;
  }
  bytes[0] ^= 1;
  EXPECT_FALSE(parseMetafile(bytes));
}

TEST(MetafilePlayer, TruncatedFilesPlayWhatFitsAndNeverReadBeyond) {
  auto full = squareWithHole(1).bytes();
  for (std::size_t n = 40; n < full.size(); ++n) {
    // A copy of exactly n bytes, so that the sanitizer sees any read past the end.
    std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
    auto m = parseMetafile(cut);
    ASSERT_TRUE(m) << n;
    EXPECT_LE(m->fills.size(), 1u);
  }
}

TEST(MetafilePlayer, LengthsAndCountsBeyondTheRecordStopPlayback) {
  auto check = [](const Wmf& wmf) {
    auto bytes = wmf.bytes();
    std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
    auto m = parseMetafile(exact);
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->fills.empty());
  };
  auto start = [] {
    Wmf w;
    w.brush(kRed).record(0x012D, {0});
    return w;
  };
  check(start().record(0x0324, {0x7FFF, 0, 0, 10, 0}));             // more points than held
  check(start().record(0x0324, {0xFFFF, 0, 0}));                    // count beyond 32767
  check(start().record(0x0538, {0xFFFF, 3}));                       // more polygons than held
  check(start().record(0x0538, {2, 3, 0x7FFF, 0, 0, 1, 1, 2, 2}));  // counts beyond the points
  check(start().record(0x0324, {}));                                // no count at all
  // A record whose size reaches past the file, or is too small to be a record.
  for (std::uint32_t size : {0u, 1u, 2u, 1000u, 0xFFFFFFFFu}) {
    auto bytes = start().record(0x0324, {3, 0, 0, 10, 0, 10, 10}).bytes();
    std::size_t at = bytes.size() - 6 - 20;  // the polygon record, before EOF
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(size >> (8 * i));
    auto m = parseMetafile(bytes);
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->fills.empty()) << size;
  }
  // A metafile header that claims to be longer than the file.
  auto bytes = squareWithHole(1).bytes();
  bytes[24] = 0xFF;
  bytes[25] = 0x7F;
  EXPECT_FALSE(parseMetafile(bytes));
}

TEST(MetafilePlayer, RandomCorruptionNeverPaintsOutsideTheRectangle) {
  // Played into the middle of a larger grey surface: whatever the bytes say, every pixel
  // outside the rectangle stays grey.
  auto original = squareWithHole(1).bytes();
  std::mt19937 random(1234);
  const forms::PixelRect rect{10, 10, 20, 20};
  int played = 0;
  for (int round = 0; round < 3000; ++round) {
    auto bytes = original;
    for (int flips = 0; flips < 4; ++flips) {
      bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    }
    bytes.resize(40 + random() % (bytes.size() - 39));
    auto m = parseMetafile(bytes);
    if (!m) continue;
    auto s = greySurface(40, 40);
    play(s.get(), *m, rect);
    ++played;
    cairo_surface_flush(s.get());
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        if (rect.contains(x, y)) continue;
        ASSERT_EQ(painttest::pixel(s.get(), x, y), kGrey)
            << "round " << round << " at " << x << "," << y;
      }
    }
  }
  EXPECT_GT(played, 1000);  // most corrupted files still parse and play
}

TEST(GdiObjectTable, NeverGrowsAndFillsTheLowestFreeSlot) {
  using Kind = platform::paint::GdiObjectTable::Kind;
  platform::paint::GdiObjectTable table(3);
  EXPECT_EQ(table.create(Kind::Pen), 0u);
  EXPECT_EQ(table.create(Kind::Brush, {false, kRed}), 1u);
  EXPECT_EQ(table.create(Kind::Brush, {false, kBlue}), 2u);
  // Full: the new object is not made, and nothing is overwritten.
  EXPECT_EQ(table.create(Kind::Brush, {false, kGrey}), std::nullopt);
  EXPECT_EQ(table.size(), 3u);
  EXPECT_EQ(table.brush(1)->colour, kRed);
  EXPECT_EQ(table.brush(2)->colour, kBlue);
  EXPECT_EQ(table.brush(0), nullptr);  // a pen
  // Freed slots are taken lowest first, whatever order they were freed in.
  table.remove(2);
  table.remove(0);
  table.remove(7);  // beyond the table: ignored
  EXPECT_EQ(table.create(Kind::Brush, {false, kGrey}), 0u);
  EXPECT_EQ(table.create(Kind::Pen), 2u);
  EXPECT_EQ(table.brush(2), nullptr);
  // Random use never takes more slots than there are.
  std::mt19937 random(99);
  for (int i = 0; i < 10000; ++i) {
    if (random() % 2)
      table.create(Kind::Brush);
    else
      table.remove(random() % 5);
    ASSERT_LE(table.used(), 3u);
    ASSERT_EQ(table.size(), 3u);
  }
}

TEST(MetafilePlayer, CountdownNoticeIsShadowThenYellowOnItsLogicalWindow) {
  auto m = parseMetafile(platform::embedded(platform::Asset::CountdownNotice));
  ASSERT_TRUE(m);
  ASSERT_FALSE(m->fills.empty());
  ASSERT_EQ(m->fills.size() % 2, 0u);
  for (std::size_t i = 0; i < m->fills.size(); ++i) {
    const auto& fill = m->fills[i];
    EXPECT_EQ(fill.windowExt.x, 16000);
    EXPECT_EQ(fill.windowExt.y, 1289);
    EXPECT_TRUE(fill.evenOdd);
    // 0x00BBGGRR: RGB 18, 20, 21 for the shadow, 241, 237, 59 for the glyphs.
    EXPECT_EQ(fill.colour, i < m->fills.size() / 2 ? 0x151412u : 0x3BEDF1u) << i;
  }
}

}  // namespace
