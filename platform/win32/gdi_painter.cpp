// Win32 platform: GDI painter (see gdi_painter.h).
#include "platform/win32/gdi_painter.h"

#include <cstring>
#include <string>

#include "platform/win32/text.h"

namespace platform::win32 {
namespace {

COLORREF rgb(forms::Colour colour) {
  if (forms::isSystemColour(colour)) return GetSysColor(static_cast<int>(colour & 0xFFu));
  return RGB(forms::red(colour), forms::green(colour), forms::blue(colour));
}

RECT win32Rect(const forms::PixelRect& r) {
  return {r.x, r.y, r.x + r.width, r.y + r.height};
}

// OleLoadPicture reads from a stream; the stream owns a copy of the bytes.
IPicture* loadPicture(std::span<const std::uint8_t> bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return nullptr;
  if (void* p = GlobalLock(memory)) {
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(memory);
  }
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, /*fDeleteOnRelease=*/TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  IPicture* picture = nullptr;
  if (FAILED(OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(&picture))))
    picture = nullptr;
  stream->Release();
  return picture;
}

}  // namespace

GdiPainter::GdiPainter() : screen_(CreateCompatibleDC(nullptr)), dc_(screen_) {}

GdiPainter::~GdiPainter() {
  for (auto& [key, picture] : pictures_) {
    if (picture) picture->Release();
  }
  for (auto& made : fonts_) DeleteObject(made.handle);
  for (auto& [key, bitmap] : stretched_) DeleteObject(bitmap);
  DeleteDC(screen_);
}

void GdiPainter::fill(const forms::PixelRect& rect, forms::Colour colour) {
  RECT r = win32Rect(rect);
  SetDCBrushColor(dc_, rgb(colour));
  FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

bool GdiPainter::visible(const forms::PixelRect& rect) const {
  RECT r = win32Rect(rect);
  return RectVisible(dc_, &r) != FALSE;
}

void GdiPainter::frame(const forms::PixelRect& rect, forms::Colour colour) {
  if (!visible(rect)) return;
  RECT r = win32Rect(rect);
  SetDCBrushColor(dc_, rgb(colour));
  FrameRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void GdiPainter::drawPicture(const forms::Picture& picture, const forms::PixelRect& rect) {
  if (!visible(rect)) return;
  IPicture* p = pictureFor(picture);
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  if (!p || FAILED(p->get_Width(&width)) || FAILED(p->get_Height(&height))) return;
  SHORT type = PICTYPE_UNINITIALIZED;
  if (picture.kind() == forms::PictureKind::Bitmap && SUCCEEDED(p->get_Type(&type)) &&
      type == PICTYPE_BITMAP) {
    if (HBITMAP bitmap = stretchedBitmap(picture, p, rect.width, rect.height)) {
      HDC source = CreateCompatibleDC(dc_);
      HGDIOBJ previous = SelectObject(source, bitmap);
      BitBlt(dc_, rect.x, rect.y, rect.width, rect.height, source, 0, 0, SRCCOPY);
      SelectObject(source, previous);
      DeleteDC(source);
      return;
    }
  }
  // Render changes the mapping mode for a metafile; the DC is given back as it was.
  int saved = SaveDC(dc_);
  SetStretchBltMode(dc_, HALFTONE);  // a resampled bitmap, not dropped rows and columns
  SetBrushOrgEx(dc_, 0, 0, nullptr);
  // Source in HIMETRIC, bottom-up: the whole picture into the rectangle.
  p->Render(dc_, rect.x, rect.y, rect.width, rect.height, 0, height, width, -height, nullptr);
  RestoreDC(dc_, saved);
}

void GdiPainter::drawText(std::u16string_view text, const forms::Font& font, forms::Colour colour,
                          const forms::PixelRect& rect, forms::Alignment alignment, bool wrap) {
  if (!visible(rect)) return;
  std::wstring s = wide(text);
  RECT r = win32Rect(rect);
  UINT format = DT_TOP | DT_NOPREFIX | (wrap ? DT_WORDBREAK : 0u);
  switch (alignment) {
    case forms::Alignment::Left:
      format |= DT_LEFT;
      break;
    case forms::Alignment::Right:
      format |= DT_RIGHT;
      break;
    case forms::Alignment::Center:
      format |= DT_CENTER;
      break;
  }
  HGDIOBJ previous = SelectObject(dc_, fontFor(font));
  SetTextColor(dc_, rgb(colour));
  SetBkMode(dc_, TRANSPARENT);
  DrawTextW(dc_, s.data(), static_cast<int>(s.size()), &r, format);
  SelectObject(dc_, previous);
}

forms::PixelSize GdiPainter::measureText(std::u16string_view text, const forms::Font& font) {
  std::wstring s = wide(text);
  RECT r{0, 0, 0, 0};
  HGDIOBJ previous = SelectObject(screen_, fontFor(font));
  DrawTextW(screen_, s.data(), static_cast<int>(s.size()), &r, DT_CALCRECT | DT_NOPREFIX);
  SelectObject(screen_, previous);
  return {r.right - r.left, r.bottom - r.top};
}

HFONT GdiPainter::fontFor(const forms::Font& font) {
  // The em height in pixels at the form's density: 13 px for 9.75 pt at 96 dpi, 20 at 144.
  int pixels = font.pixelSize(dpi());
  for (const auto& made : fonts_) {
    if (made.font == font && made.pixels == pixels) return made.handle;
  }
  Typeface typeface = typefaces_.resolve(screen_, font.name, font.charset);
  LOGFONTW lf{};
  lf.lfHeight = -pixels;
  lf.lfWeight = font.weight;
  lf.lfItalic = font.italic;
  lf.lfUnderline = font.underline;
  lf.lfStrikeOut = font.strikethrough;
  lf.lfCharSet = typeface.charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  typeface.face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  HFONT handle = CreateFontIndirectW(&lf);
  fonts_.push_back({font, pixels, handle});
  return handle;
}

HBITMAP GdiPainter::stretchedBitmap(const forms::Picture& picture, IPicture* p, int width,
                                    int height) {
  auto [it, added] = stretched_.try_emplace({picture.bytes().data(), width, height}, nullptr);
  if (!added) return it->second;
  OLE_XSIZE_HIMETRIC w = 0;
  OLE_YSIZE_HIMETRIC h = 0;
  p->get_Width(&w);
  p->get_Height(&h);
  HBITMAP bitmap = CreateCompatibleBitmap(dc_, width, height);
  if (!bitmap) return nullptr;
  HDC target = CreateCompatibleDC(dc_);
  HGDIOBJ previous = SelectObject(target, bitmap);
  SetStretchBltMode(target, HALFTONE);  // a resampled bitmap, not dropped rows and columns
  SetBrushOrgEx(target, 0, 0, nullptr);
  p->Render(target, 0, 0, width, height, 0, h, w, -h, nullptr);
  SelectObject(target, previous);
  DeleteDC(target);
  it->second = bitmap;
  return bitmap;
}

IPicture* GdiPainter::pictureFor(const forms::Picture& picture) {
  auto [it, added] = pictures_.try_emplace(picture.bytes().data(), nullptr);
  if (added) it->second = loadPicture(picture.bytes());
  return it->second;
}

}  // namespace platform::win32
