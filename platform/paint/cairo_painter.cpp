// Linux drawing: implements the forms Painter declared in cairo_painter.h.
#include "platform/paint/cairo_painter.h"

#include <algorithm>
#include <vector>

#include "forms/form.h"
#include "platform/paint/box_stretch.h"
#include "platform/paint/decode_ahead.h"
#include "platform/paint/glyph_painter.h"
#include "platform/paint/icon_decoder.h"
#include "platform/paint/jpeg_decoder.h"

namespace platform::paint {
namespace {

// A colour as the opaque 0xRRGGBB it stands for, system colours as their defaults.
std::uint32_t opaqueRgb(forms::Colour colour) {
  if (forms::isSystemColour(colour)) colour = forms::defaultSystemColour(colour);
  return std::uint32_t{forms::red(colour)} << 16 | std::uint32_t{forms::green(colour)} << 8 |
         forms::blue(colour);
}

Surface iconSurface(std::span<const std::uint8_t> bytes) {
  auto icon = decodeIcon(bytes);
  if (!icon) return {};
  Surface surface = createSurface(CAIRO_FORMAT_ARGB32, icon->width, icon->height);
  if (!surface) return {};
  cairo_surface_flush(surface.get());
  auto* data = cairo_image_surface_get_data(surface.get());
  auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface.get()));
  auto w = static_cast<std::size_t>(icon->width);
  for (std::size_t y = 0; y < static_cast<std::size_t>(icon->height); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (std::size_t x = 0; x < w; ++x) row[x] = icon->pixels[y * w + x];
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

}  // namespace

CairoPainter::CairoPainter(int width, int height) {
  resize(width, height);
}

CairoPainter::~CairoPainter() {
  cairo_destroy(cr_);
}

void CairoPainter::resize(int width, int height) {
  if (cr_) cairo_destroy(cr_);
  surface_ = createSurface(CAIRO_FORMAT_RGB24, width, height);
  // Failing that, Cairo's own allocation, or its error surface on which drawing does nothing.
  if (!surface_) surface_.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  cr_ = cairo_create(surface_.get());
}

void CairoPainter::setClip(const forms::PixelRect& rect) {
  clip_ = rect;
  cairo_reset_clip(cr_);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_clip(cr_);
}

void CairoPainter::clearClip() {
  clip_.reset();
  cairo_reset_clip(cr_);
}

bool CairoPainter::outsideClip(const forms::PixelRect& rect) const {
  return rect.empty() || (clip_ && forms::intersect(rect, *clip_).empty());
}

void CairoPainter::setColour(forms::Colour colour) {
  std::uint32_t rgb = opaqueRgb(colour);
  cairo_set_source_rgb(cr_, (rgb >> 16) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

void CairoPainter::fill(const forms::PixelRect& rect, forms::Colour colour) {
  if (outsideClip(rect)) return;
  setColour(colour);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_fill(cr_);
}

void CairoPainter::frame(const forms::PixelRect& rect, forms::Colour colour) {
  if (outsideClip(rect)) return;
  setColour(colour);
  // The outer one-pixel ring of the rectangle, with no half-covered pixels.
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_rectangle(cr_, rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 2);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill(cr_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
}

namespace {

Surface decodeBitmap(std::span<const std::uint8_t> bytes) {
  if (Surface ahead = DecodeAhead::take(bytes)) return ahead;
  return decodeJpeg(bytes);
}

}  // namespace

CairoPainter::Decoded& CairoPainter::decoded(const forms::Picture& picture) {
  Decoded& entry = pictures_[&picture];
  if (entry.encoded.data() == picture.bytes().data() && entry.encoded.data()) return entry;
  entry = Decoded{picture.bytes(), std::monostate{}, {}, false};
  switch (picture.kind()) {
    case forms::PictureKind::Bitmap:
      if (Surface s = decodeBitmap(picture.bytes())) entry.content = std::move(s);
      break;
    case forms::PictureKind::Icon:
      if (Surface s = iconSurface(picture.bytes())) entry.content = std::move(s);
      break;
    case forms::PictureKind::Metafile:
      if (auto m = parseMetafile(picture.bytes())) entry.content = std::move(*m);
      break;
  }
  return entry;
}

cairo_surface_t* CairoPainter::naturalRaster(Decoded& picture) {
  if (picture.givenUp) {
    picture.givenUp = false;
    if (Surface s = decodeBitmap(picture.encoded)) picture.content = std::move(s);
  }
  auto* raster = std::get_if<Surface>(&picture.content);
  return raster ? raster->get() : nullptr;
}

void CairoPainter::drawPicture(const forms::Picture& picture, const forms::PixelRect& rect) {
  if (outsideClip(rect)) return;
  Decoded& d = decoded(picture);
  if (std::holds_alternative<Surface>(d.content) || d.givenUp) {
    if (cairo_surface_t* raster = rasterAt(d, rect.width, rect.height)) copyRaster(raster, rect);
  }
  if (const auto* metafile = std::get_if<Metafile>(&d.content)) playMetafile(cr_, *metafile, rect);
}

void CairoPainter::paint(const forms::Form& form, const forms::PixelRect& clip) {
  setClip(clip);
  prepare(forms::picturesToPaint(form, clip));
  form.paint(*this);
  clearClip();
}

namespace {

// Whether a raster picture is drawn pixel for pixel, read from its header's size.
bool atNaturalSize(const forms::PictureUse& use) {
  return use.rect.width * forms::kTwipsPerPixel == static_cast<int>(use.picture->width()) &&
         use.rect.height * forms::kTwipsPerPixel == static_cast<int>(use.picture->height());
}

}  // namespace

void CairoPainter::prepare(const std::vector<forms::PictureUse>& uses) {
  std::vector<const forms::Picture*> keptWhole;  // drawn at natural size by this paint
  for (const forms::PictureUse& use : uses)
    if (atNaturalSize(use)) keptWhole.push_back(use.picture);
  std::vector<Decoded*> stretchedOnly;
  for (const forms::PictureUse& use : uses) {
    if (use.picture->kind() != forms::PictureKind::Bitmap || atNaturalSize(use)) continue;
    Decoded& d = decoded(*use.picture);
    rasterAt(d, use.rect.width, use.rect.height);
    if (std::ranges::find(keptWhole, use.picture) == keptWhole.end()) stretchedOnly.push_back(&d);
  }
  // Every size this paint wants is made: the natural-size rasters that it does not draw go.
  for (Decoded* d : stretchedOnly) {
    if (!std::holds_alternative<Surface>(d->content)) continue;
    d->content = std::monostate{};
    d->givenUp = true;
  }
}

cairo_surface_t* CairoPainter::rasterAt(Decoded& picture, int width, int height) {
  auto made = picture.stretched.find({width, height});
  if (made != picture.stretched.end()) return made->second.get();
  cairo_surface_t* raster = naturalRaster(picture);
  if (!raster) return nullptr;
  if (cairo_image_surface_get_width(raster) == width &&
      cairo_image_surface_get_height(raster) == height)
    return raster;
  Surface stretched = createSurface(cairo_image_surface_get_format(raster), width, height);
  if (!stretched) return nullptr;
  if (!boxStretch(raster, stretched.get())) cairoStretch(raster, stretched.get());
  return (picture.stretched[{width, height}] = std::move(stretched)).get();
}

void CairoPainter::copyRaster(cairo_surface_t* raster, const forms::PixelRect& rect) {
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_clip(cr_);
  cairo_set_source_surface(cr_, raster, rect.x, rect.y);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

forms::PixelSize CairoPainter::measureText(std::u16string_view text, const forms::Font& font) {
  return layOutText(text, font.name, font.pixelSize(dpi()), std::nullopt).extent;
}

void CairoPainter::drawLine(const TextLine& line, int pixelSize, int x, int y, std::uint32_t rgb,
                            const forms::PixelRect& clip) {
  std::vector<PlacedGlyph> glyphs;
  for (const GlyphRun& run : line.runs) {
    glyphs.clear();
    for (std::size_t i = 0; i < run.glyphs.size(); ++i)
      glyphs.push_back({run.glyphs[i], x + run.x[i], y});
    drawGlyphs(surface_.get(), *run.font, pixelSize, glyphs, rgb, clip);
  }
}

void CairoPainter::drawText(std::u16string_view text, const forms::Font& font, forms::Colour colour,
                            const forms::PixelRect& rect, forms::Alignment alignment, bool wrap) {
  if (outsideClip(rect)) return;
  int pixelSize = font.pixelSize(dpi());
  TextLayout layout =
      layOutText(text, font.name, pixelSize, wrap ? std::optional(rect.width) : std::nullopt);
  // With wrap, each line is placed within the rectangle's width; without, the lines are aligned
  // among themselves and the block is placed in whole pixels.
  int x = rect.x, space = rect.width;
  if (!wrap) {
    space = layout.extent.width;
    if (alignment == forms::Alignment::Center) x += (rect.width - space) / 2;
    if (alignment == forms::Alignment::Right) x += rect.width - space;
  }
  // A label's caption is clipped to the label (see drawGlyphs for Cairo's one exception).
  forms::PixelRect clip = clip_ ? forms::intersect(rect, *clip_) : rect;
  for (const TextLine& line : layout.lines)
    drawLine(line, pixelSize, x + alignedOffset(space, line.width, alignment),
             rect.y + baselinePixels(line), opaqueRgb(colour), clip);
}

}  // namespace platform::paint
