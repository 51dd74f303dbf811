// Win32 platform: the window icon resampled (see icon_scaling.h).
#include "platform/win32/icon_scaling.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace platform::win32 {
namespace {

// Premultiplied RGBA, one float per channel.
using Pixel = std::array<float, 4>;

// The pixels of an icon as premultiplied RGBA, from its colour bitmap and its mask.
std::vector<Pixel> iconPixels(HICON icon, int size) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  std::vector<Pixel> pixels;
  HDC dc = GetDC(nullptr);
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = size;
  bmi.bmiHeader.biHeight = -size;  // top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  auto count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
  std::vector<std::uint32_t> colour(count), mask(count);
  auto lines = static_cast<UINT>(size);
  if (info.hbmColor &&
      GetDIBits(dc, info.hbmColor, 0, lines, colour.data(), &bmi, DIB_RGB_COLORS) &&
      GetDIBits(dc, info.hbmMask, 0, lines, mask.data(), &bmi, DIB_RGB_COLORS)) {
    pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      // A set mask bit (white) is transparent.
      float a = (mask[i] & 0xFFFFFF) ? 0.0f : 1.0f;
      pixels[i] = {a * static_cast<float>((colour[i] >> 16) & 0xFF),
                   a * static_cast<float>((colour[i] >> 8) & 0xFF),
                   a * static_cast<float>(colour[i] & 0xFF), a * 255.0f};
    }
  }
  ReleaseDC(nullptr, dc);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return pixels;
}

// Bilinear resampling, the edge rows and columns extended outwards.
std::vector<Pixel> resample(const std::vector<Pixel>& from, int n, int size) {
  std::vector<Pixel> to(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  double scale = static_cast<double>(n) / size;
  auto at = [&](int x, int y) -> const Pixel& {
    x = std::clamp(x, 0, n - 1);
    y = std::clamp(y, 0, n - 1);
    return from[static_cast<std::size_t>(y) * static_cast<std::size_t>(n) +
                static_cast<std::size_t>(x)];
  };
  for (int y = 0; y < size; ++y) {
    double sy = (y + 0.5) * scale - 0.5;
    int y0 = static_cast<int>(std::floor(sy));
    auto fy = static_cast<float>(sy - y0);
    for (int x = 0; x < size; ++x) {
      double sx = (x + 0.5) * scale - 0.5;
      int x0 = static_cast<int>(std::floor(sx));
      auto fx = static_cast<float>(sx - x0);
      Pixel& p = to[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                    static_cast<std::size_t>(x)];
      for (std::size_t c = 0; c < 4; ++c) {
        float top = at(x0, y0)[c] * (1 - fx) + at(x0 + 1, y0)[c] * fx;
        float bottom = at(x0, y0 + 1)[c] * (1 - fx) + at(x0 + 1, y0 + 1)[c] * fx;
        p[c] = top * (1 - fy) + bottom * fy;
      }
    }
  }
  return to;
}

// A 32-bit icon with straight alpha, as CreateIconIndirect takes it.
HICON makeIcon(const std::vector<Pixel>& pixels, int size) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = size;
  header.bV5Height = -size;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC dc = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  ReleaseDC(nullptr, dc);
  if (!colour) return nullptr;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const Pixel& p = pixels[i];
    float a = p[3];
    auto channel = [&](float premultiplied) {
      return a > 0 ? static_cast<std::uint32_t>(
                         std::lround(std::min(255.0f, premultiplied * 255.0f / a)))
                   : 0u;
    };
    out[i] = (static_cast<std::uint32_t>(std::lround(a)) << 24) | (channel(p[0]) << 16) |
             (channel(p[1]) << 8) | channel(p[2]);
  }
  // The mask is not used with an alpha channel, but an icon must have one.
  std::vector<std::uint8_t> empty(static_cast<std::size_t>((size + 15) / 16 * 2 * size), 0);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, empty.data());
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

}  // namespace

HICON scaledIcon(HINSTANCE instance, int group, int size) {
  // The image at its own size (no size asked, no LR_DEFAULTSIZE), and its side.
  auto natural = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(group), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
  if (!natural) return nullptr;
  ICONINFO info{};
  int n = 0;
  if (GetIconInfo(natural, &info)) {
    BITMAP bitmap{};
    if (GetObjectW(info.hbmMask, sizeof bitmap, &bitmap)) n = bitmap.bmWidth;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  if (n <= 0 || n == size) return n == size ? natural : (DestroyIcon(natural), nullptr);
  std::vector<Pixel> pixels = iconPixels(natural, n);
  DestroyIcon(natural);
  if (pixels.empty()) return nullptr;
  return makeIcon(resample(pixels, n, size), size);
}

}  // namespace platform::win32
