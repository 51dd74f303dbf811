// Win32 platform: the forms runtime's painter over a GDI device context.
//
// Implements: forms::Painter. Fills and frames with solid brushes; pictures (JPEG bitmaps,
// placeable metafiles, icons) decoded once each by OleLoadPicture and drawn with
// IPicture::Render; text with DrawTextW, transparent, in fonts made from the layout's
// description at the form's density (CreateFontIndirectW with the em height in pixels
// there). Measures text in a memory DC of the screen when no target is set, so auto-sized
// labels can fit their captions before the first paint.
#pragma once

#include "platform/win32/win32_api.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "forms/painter.h"
#include "platform/win32/fonts.h"

namespace platform::win32 {

class GdiPainter final : public forms::Painter {
 public:
  GdiPainter();
  ~GdiPainter() override;
  GdiPainter(const GdiPainter&) = delete;
  GdiPainter& operator=(const GdiPainter&) = delete;

  // Draws into dc from now on; nullptr goes back to measuring only.
  void target(HDC dc) { dc_ = dc ? dc : screen_; }

  void fill(const forms::PixelRect& rect, forms::Colour colour) override;
  void frame(const forms::PixelRect& rect, forms::Colour colour) override;
  void drawPicture(const forms::Picture& picture, const forms::PixelRect& rect) override;
  void drawText(std::u16string_view text, const forms::Font& font, forms::Colour colour,
                const forms::PixelRect& rect, forms::Alignment alignment, bool wrap) override;
  forms::PixelSize measureText(std::u16string_view text, const forms::Font& font) override;

 private:
  // Whether any of the rectangle lies inside the target's clip; drawing wholly outside is skipped.
  [[nodiscard]] bool visible(const forms::PixelRect& rect) const;
  HFONT fontFor(const forms::Font& font);
  IPicture* pictureFor(const forms::Picture& picture);
  // A bitmap picture resampled once to a size, so that a repaint of part of it copies the same
  // pixels as a whole paint: resampling within a clip leaves seams where the parts meet.
  HBITMAP stretchedBitmap(const forms::Picture& picture, IPicture* p, int width, int height);

  HDC screen_;
  HDC dc_;
  Typefaces typefaces_;
  struct MadeFont {
    forms::Font font;
    int pixels;  // the em height it was made at
    HFONT handle;
  };
  std::vector<MadeFont> fonts_;
  // Keyed by the embedded bytes: pictures are immutable, and shared ones share their bytes.
  std::map<const std::uint8_t*, IPicture*> pictures_;
  std::map<std::tuple<const std::uint8_t*, int, int>, HBITMAP> stretched_;
};

}  // namespace platform::win32
