// What the forms runtime asks of a platform's drawing: fills, pictures and text, in pixels.
#pragma once

#include <string>
#include <string_view>

#include "forms/picture.h"
#include "forms/units.h"

namespace forms {

struct Font {
  std::u16string name;
  float size = 8.25f;  // points
  int weight = 400;
  bool italic = false, underline = false, strikethrough = false;
  int charset = 0;
  // The em height in pixels, round(points * dpi / 72) with ties to even: 9.75 pt is 13 px at
  // 96 dpi and 20 px at 144 dpi, 36 pt is 48 px and 72 px.
  [[nodiscard]] int pixelSize(int dpi) const;
  bool operator==(const Font&) const = default;
};

enum class Alignment { Left, Right, Center };

struct PixelSize {
  int width = 0, height = 0;
  bool operator==(const PixelSize&) const = default;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // The extent of a caption on one line per line feed, without wrapping.
  virtual PixelSize measureText(std::u16string_view text, const Font& font) = 0;
  // The density that fonts are sized for; the form sets its own before it measures or paints.
  [[nodiscard]] int dpi() const { return dpi_; }
  void setDpi(int dpi) { dpi_ = dpi; }

 private:
  int dpi_ = kDesignDpi;
};

class Painter : public TextMeasurer {
 public:
  virtual void fill(const PixelRect& rect, Colour colour) = 0;
  // A one-pixel outline just inside the rectangle.
  virtual void frame(const PixelRect& rect, Colour colour) = 0;
  // The picture scaled to fill the rectangle (at natural size, a rectangle of its own size).
  virtual void drawPicture(const Picture& picture, const PixelRect& rect) = 0;
  // Text from the rectangle's top edge, aligned within it; line feeds start new lines, and with
  // wrap on a line wider than the rectangle breaks between words. Only the glyphs are drawn.
  virtual void drawText(std::u16string_view text, const Font& font, Colour colour,
                        const PixelRect& rect, Alignment alignment, bool wrap) = 0;
};

}  // namespace forms
