// Linux drawing: implements the metafile player declared in metafile_player.h.
#include "platform/paint/metafile_player.h"

#include "platform/paint/gdi_object_table.h"

namespace platform::paint {
namespace {

enum Record : std::uint16_t {
  kEof = 0x0000,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kSetPolyFillMode = 0x0106,
  kCreatePenIndirect = 0x02FA,
  kCreateBrushIndirect = 0x02FC,
  kSelectObject = 0x012D,
  kDeleteObject = 0x01F0,
  kPolygon = 0x0324,
  kPolyPolygon = 0x0538,
};

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeader = 22, kMetafileHeader = 18, kRecordHeader = 6;
constexpr std::uint16_t kAlternate = 1;
constexpr std::uint16_t kSolidBrush = 0, kHatchedBrush = 2;

// The 16-bit parameters of one record; readers check size() before reading.
class Words {
 public:
  explicit Words(std::span<const std::uint8_t> b) : b_(b) {}
  [[nodiscard]] std::size_t size() const { return b_.size() / 2; }
  [[nodiscard]] std::uint16_t u16(std::size_t i) const {
    return static_cast<std::uint16_t>(b_[2 * i] | (b_[2 * i + 1] << 8));
  }
  [[nodiscard]] std::int16_t s16(std::size_t i) const { return static_cast<std::int16_t>(u16(i)); }
  [[nodiscard]] std::uint32_t u32(std::size_t i) const {
    return u16(i) | (std::uint32_t{u16(i + 1)} << 16);
  }

 private:
  std::span<const std::uint8_t> b_;
};

class Parser {
 public:
  Parser(std::size_t tableSize, LogicalPoint org, LogicalPoint ext)
      : table_(tableSize), org_(org), ext_(ext) {}

  // False when the record is too short for what it says: playback ends there.
  bool record(std::uint16_t function, const Words& p) {
    switch (function) {
      case kSetWindowOrg:
      case kSetWindowExt: {
        if (p.size() < 2) return false;
        LogicalPoint point{p.s16(1), p.s16(0)};  // y comes first
        (function == kSetWindowOrg ? org_ : ext_) = point;
        return true;
      }
      case kSetPolyFillMode:
        if (p.size() < 1) return false;
        evenOdd_ = p.u16(0) == kAlternate;
        return true;
      case kCreatePenIndirect:
        table_.create(GdiObjectTable::Kind::Pen);
        return true;
      case kCreateBrushIndirect: {
        if (p.size() < 3) return false;
        std::uint16_t style = p.u16(0);
        bool hollow = style != kSolidBrush && style != kHatchedBrush;
        table_.create(GdiObjectTable::Kind::Brush, {hollow, p.u32(1) & 0xFFFFFFu});
        return true;
      }
      case kSelectObject:
        if (p.size() < 1) return false;
        if (const MetafileBrush* brush = table_.brush(p.u16(0))) brush_ = *brush;
        return true;
      case kDeleteObject:
        if (p.size() < 1) return false;
        table_.remove(p.u16(0));
        return true;
      case kPolygon: {
        if (p.size() < 1) return false;
        std::size_t count = p.u16(0);
        if (p.size() < 1 + 2 * count) return false;
        addFill({points(p, 1, count)});
        return true;
      }
      case kPolyPolygon:
        return polyPolygon(p);
      default:
        return true;
    }
  }

  Metafile take() { return std::move(metafile_); }

 private:
  bool polyPolygon(const Words& p) {
    if (p.size() < 1) return false;
    std::size_t polygons = p.u16(0);
    if (p.size() < 1 + polygons) return false;
    std::size_t total = 0;
    for (std::size_t i = 0; i < polygons; ++i) total += p.u16(1 + i);
    if (p.size() < 1 + polygons + 2 * total) return false;
    std::vector<std::vector<LogicalPoint>> set;
    std::size_t at = 1 + polygons;
    for (std::size_t i = 0; i < polygons; ++i) {
      std::size_t count = p.u16(1 + i);
      set.push_back(points(p, at, count));
      at += 2 * count;
    }
    addFill(std::move(set));
    return true;
  }

  static std::vector<LogicalPoint> points(const Words& p, std::size_t at, std::size_t count) {
    std::vector<LogicalPoint> out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = {p.s16(at + 2 * i), p.s16(at + 2 * i + 1)};
    return out;
  }

  void addFill(std::vector<std::vector<LogicalPoint>> polygons) {
    if (brush_.hollow) return;
    metafile_.fills.push_back({brush_.colour, evenOdd_, org_, ext_, std::move(polygons)});
  }

  GdiObjectTable table_;
  LogicalPoint org_, ext_;
  bool evenOdd_ = true;
  MetafileBrush brush_;
  Metafile metafile_;
};

}  // namespace

std::optional<Metafile> parseMetafile(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kPlaceableHeader + kMetafileHeader) return {};
  Words placeable(bytes.first(kPlaceableHeader));
  if (placeable.u32(0) != kPlaceableKey) return {};
  // Until the records set a window, it is the header's bounding box.
  std::int16_t left = placeable.s16(3), top = placeable.s16(4);
  LogicalPoint org{left, top};
  LogicalPoint ext{static_cast<std::int16_t>(placeable.s16(5) - left),
                   static_cast<std::int16_t>(placeable.s16(6) - top)};

  Words header(bytes.subspan(kPlaceableHeader, kMetafileHeader));
  std::size_t headerBytes = 2 * std::size_t{header.u16(1)};
  if (headerBytes < kMetafileHeader || headerBytes > bytes.size() - kPlaceableHeader) return {};
  Parser parser(header.u16(5), org, ext);

  auto records = bytes.subspan(kPlaceableHeader + headerBytes);
  while (records.size() >= kRecordHeader) {
    Words head(records.first(kRecordHeader));
    std::size_t words = head.u32(0);
    std::uint16_t function = head.u16(2);
    if (words < kRecordHeader / 2 || words > records.size() / 2 || function == kEof) break;
    if (!parser.record(function, Words(records.subspan(kRecordHeader, 2 * words - kRecordHeader))))
      break;
    records = records.subspan(2 * words);
  }
  return parser.take();
}

void playMetafile(cairo_t* cr, const Metafile& metafile, const forms::PixelRect& rect) {
  // Outlines may reach beyond the logical window: like a raster, a metafile never paints
  // outside its rectangle.
  cairo_save(cr);
  cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
  cairo_clip(cr);
  for (const MetafileFill& fill : metafile.fills) {
    if (fill.windowExt.x == 0 || fill.windowExt.y == 0) continue;
    cairo_save(cr);
    cairo_translate(cr, rect.x, rect.y);
    cairo_scale(cr, double(rect.width) / fill.windowExt.x, double(rect.height) / fill.windowExt.y);
    cairo_translate(cr, -fill.windowOrg.x, -fill.windowOrg.y);
    for (const auto& polygon : fill.polygons) {
      if (polygon.empty()) continue;
      cairo_move_to(cr, polygon[0].x, polygon[0].y);
      for (std::size_t i = 1; i < polygon.size(); ++i)
        cairo_line_to(cr, polygon[i].x, polygon[i].y);
      cairo_close_path(cr);
    }
    cairo_set_fill_rule(cr, fill.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_set_source_rgb(cr, forms::red(fill.colour) / 255.0, forms::green(fill.colour) / 255.0,
                         forms::blue(fill.colour) / 255.0);
    cairo_fill(cr);
    cairo_restore(cr);
  }
  cairo_restore(cr);
}

}  // namespace platform::paint
