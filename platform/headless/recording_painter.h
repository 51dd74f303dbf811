// A painter that records what it is asked to draw, and measures text by a fixed rule.
#pragma once

#include <string>
#include <vector>

#include "forms/painter.h"

namespace platform::headless {

struct PaintOp {
  enum class Kind { Fill, Frame, Picture, Text } kind;
  forms::PixelRect rect;
  forms::Colour colour = 0;
  const forms::Picture* picture = nullptr;
  // NOLINTNEXTLINE(readability-redundant-member-init): GCC warns of ops that leave it out
  std::u16string text{};
  forms::Font font{};
  forms::Alignment alignment = forms::Alignment::Left;
  bool wrap = false;
};

class RecordingPainter : public forms::Painter {
 public:
  std::vector<PaintOp> ops;

  // Half an em for each ASCII character, a whole em for any other; one em for each line.
  forms::PixelSize measureText(std::u16string_view text, const forms::Font& font) override;
  void fill(const forms::PixelRect& rect, forms::Colour colour) override;
  void frame(const forms::PixelRect& rect, forms::Colour colour) override;
  void drawPicture(const forms::Picture& picture, const forms::PixelRect& rect) override;
  void drawText(std::u16string_view text, const forms::Font& font, forms::Colour colour,
                const forms::PixelRect& rect, forms::Alignment alignment, bool wrap) override;
};

}  // namespace platform::headless
