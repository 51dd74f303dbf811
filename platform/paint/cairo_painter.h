// Linux drawing: the forms Painter over a Cairo image surface.
//
// Implements: fills and frames, pictures (JPEG bitmaps decoded once and resampled with a good
// filter when stretched, pixel for pixel at natural size; the metafile replayed as outlines;
// icons with their mask), and text drawn glyph by glyph from our embedded fonts with fixed
// hinting and antialiasing (glyph_painter.h), so the pixels depend on nothing in the desktop.
// Works without a display: the window host copies the surface to its window, the snapshot tool
// writes it to PNG.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "forms/painter.h"
#include "forms/picture_survey.h"
#include "platform/paint/metafile_player.h"
#include "platform/paint/surface.h"
#include "platform/paint/text_layout.h"

namespace platform::paint {

class CairoPainter : public forms::Painter {
 public:
  // An RGB24 surface, the pixel layout of a 24-bit TrueColor X visual.
  CairoPainter(int width, int height);
  ~CairoPainter() override;
  CairoPainter(const CairoPainter&) = delete;
  CairoPainter& operator=(const CairoPainter&) = delete;

  // A new surface of the given size; its content is undefined until painted.
  void resize(int width, int height);
  cairo_surface_t* surface() const { return surface_.get(); }
  int width() const { return cairo_image_surface_get_width(surface_.get()); }
  int height() const { return cairo_image_surface_get_height(surface_.get()); }

  // Limits painting to a rectangle, for repainting only what changed. Whatever lies wholly
  // outside it is skipped before any work: text is not laid out, metafiles are not replayed.
  void setClip(const forms::PixelRect& rect);
  void clearClip();

  // Paints the form within the clip, as the window hosts do: the pictures first (see prepare).
  void paint(const forms::Form& form, const forms::PixelRect& clip);

  // Gets the pictures of the coming paint ready: each stretched to every size it is drawn at;
  // then a bitmap drawn only stretched gives up its natural-size raster (see Decoded).
  void prepare(const std::vector<forms::PictureUse>& uses);

  // forms::Painter
  forms::PixelSize measureText(std::u16string_view text, const forms::Font& font) override;
  void fill(const forms::PixelRect& rect, forms::Colour colour) override;
  void frame(const forms::PixelRect& rect, forms::Colour colour) override;
  void drawPicture(const forms::Picture& picture, const forms::PixelRect& rect) override;
  void drawText(std::u16string_view text, const forms::Font& font, forms::Colour colour,
                const forms::PixelRect& rect, forms::Alignment alignment, bool wrap) override;

 private:
  // A picture decoded once: a raster (bitmap, icon), a parsed metafile, or nothing; and the
  // raster resampled once for each size it is stretched to, so a repaint only copies pixels. A
  // bitmap that a paint draws only stretched gives its natural-size raster up once stretched,
  // and is decoded again should another size be wanted: no frame needs it kept.
  struct Decoded {
    std::span<const std::uint8_t> encoded;  // tells a picture from a later one at its address
    std::variant<std::monostate, Surface, Metafile> content;
    std::map<std::pair<int, int>, Surface> stretched;
    bool givenUp = false;  // the raster was dropped after stretching, not missing
  };
  Decoded& decoded(const forms::Picture& picture);
  cairo_surface_t* rasterAt(Decoded& picture, int width, int height);
  // The natural-size raster, decoded again if it was given up; null when there is none.
  cairo_surface_t* naturalRaster(Decoded& picture);
  void copyRaster(cairo_surface_t* raster, const forms::PixelRect& rect);
  void drawLine(const TextLine& line, int pixelSize, int x, int y, std::uint32_t rgb,
                const forms::PixelRect& clip);
  void setColour(forms::Colour colour);
  bool outsideClip(const forms::PixelRect& rect) const;

  Surface surface_;
  cairo_t* cr_ = nullptr;
  std::optional<forms::PixelRect> clip_;
  std::unordered_map<const forms::Picture*, Decoded> pictures_;
};

}  // namespace platform::paint
