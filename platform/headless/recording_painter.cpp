#include "platform/headless/recording_painter.h"

#include <algorithm>

namespace platform::headless {

forms::PixelSize RecordingPainter::measureText(std::u16string_view text, const forms::Font& font) {
  int em = font.pixelSize(dpi());
  int widest = 0, line = 0, lines = 1;
  for (char16_t c : text) {
    if (c == u'\n') {
      ++lines;
      line = 0;
      continue;
    }
    line += c < 0x80 ? em / 2 : em;
    widest = std::max(widest, line);
  }
  return {widest, lines * em};
}

void RecordingPainter::fill(const forms::PixelRect& rect, forms::Colour colour) {
  ops.push_back({PaintOp::Kind::Fill, rect, colour});
}

void RecordingPainter::frame(const forms::PixelRect& rect, forms::Colour colour) {
  ops.push_back({PaintOp::Kind::Frame, rect, colour});
}

void RecordingPainter::drawPicture(const forms::Picture& picture, const forms::PixelRect& rect) {
  ops.push_back({PaintOp::Kind::Picture, rect, 0, &picture});
}

void RecordingPainter::drawText(std::u16string_view text, const forms::Font& font,
                                forms::Colour colour, const forms::PixelRect& rect,
                                forms::Alignment alignment, bool wrap) {
  ops.push_back(
      {PaintOp::Kind::Text, rect, colour, nullptr, std::u16string(text), font, alignment, wrap});
}

}  // namespace platform::headless
