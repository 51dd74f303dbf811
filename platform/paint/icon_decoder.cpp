// Linux drawing: implements decoding of palette icons with their AND mask.
#include "platform/paint/icon_decoder.h"

#include <cairo.h>

#include <algorithm>

#include "platform/paint/surface.h"

namespace platform::paint {
namespace {

std::uint32_t le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
  return le16(b, at) | (le16(b, at + 2) << 16);
}

constexpr std::size_t kDirectoryHeader = 6, kDirectoryEntry = 16, kBitmapHeader = 40;

}  // namespace

std::optional<ArgbImage> decodeIcon(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kDirectoryHeader + kDirectoryEntry || le16(bytes, 0) != 0 ||
      le16(bytes, 2) != 1 || le16(bytes, 4) == 0)
    return {};
  std::size_t imageSize = le32(bytes, kDirectoryHeader + 8);
  std::size_t imageAt = le32(bytes, kDirectoryHeader + 12);
  if (imageAt > bytes.size() || imageSize > bytes.size() - imageAt) return {};
  auto image = bytes.subspan(imageAt, imageSize);

  // A bitmap header whose height counts the colour rows and the mask rows together.
  if (image.size() < kBitmapHeader || le32(image, 0) != kBitmapHeader) return {};
  auto width = static_cast<std::int32_t>(le32(image, 4));
  auto doubleHeight = static_cast<std::int32_t>(le32(image, 8));
  std::uint32_t bitCount = le16(image, 14), compression = le32(image, 16);
  std::uint32_t coloursUsed = le32(image, 32);
  if (width <= 0 || width > 256 || doubleHeight <= 0 || doubleHeight > 512 ||
      doubleHeight % 2 != 0 || bitCount != 8 || compression != 0 || coloursUsed > 256)
    return {};
  int height = doubleHeight / 2;
  std::size_t paletteSize = coloursUsed ? coloursUsed : 256;
  auto w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  std::size_t colourStride = (w + 3) / 4 * 4, maskStride = (w + 31) / 32 * 4;
  std::size_t paletteAt = kBitmapHeader, colourAt = paletteAt + 4 * paletteSize;
  std::size_t maskAt = colourAt + colourStride * h;
  if (maskAt + maskStride * h > image.size()) return {};

  ArgbImage out{width, height, std::vector<std::uint32_t>(w * h)};
  for (std::size_t y = 0; y < h; ++y) {
    std::size_t row = h - 1 - y;  // bottom-up
    for (std::size_t x = 0; x < w; ++x) {
      bool transparent = (image[maskAt + row * maskStride + x / 8] >> (7 - x % 8)) & 1;
      std::size_t index = image[colourAt + row * colourStride + x];
      if (transparent || index >= paletteSize) continue;  // no colour: left clear
      std::uint32_t bgr = le32(image, paletteAt + 4 * index) & 0xFFFFFFu;
      out.pixels[y * w + x] = 0xFF000000u | bgr;  // palette entries are B, G, R, reserved
    }
  }
  return out;
}

}  // namespace platform::paint

namespace platform::paint {

std::optional<ArgbImage> resampleIcon(const ArgbImage& icon, int width, int height) {
  // Cairo works in premultiplied ARGB; a decoded icon is opaque or fully clear, so its pixels
  // are premultiplied already.
  Surface source = createSurface(CAIRO_FORMAT_ARGB32, icon.width, icon.height);
  Surface target = createSurface(CAIRO_FORMAT_ARGB32, width, height);
  if (!source || !target) return {};
  auto pixelsOf = [](cairo_surface_t* s, int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) +
                                            static_cast<std::size_t>(y) *
                                                cairo_image_surface_get_stride(s));
  };
  cairo_surface_flush(source.get());
  for (int y = 0; y < icon.height; ++y) {
    std::uint32_t* row = pixelsOf(source.get(), y);
    for (int x = 0; x < icon.width; ++x)
      row[x] = icon.pixels[static_cast<std::size_t>(y) * icon.width + x];
  }
  cairo_surface_mark_dirty(source.get());
  cairo_t* cr = cairo_create(target.get());
  cairo_scale(cr, double(width) / icon.width, double(height) / icon.height);
  cairo_set_source_surface(cr, source.get(), 0, 0);
  // The outer rows and columns keep their opacity rather than fading at the square's edge.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(target.get());

  ArgbImage out{width, height, {}};
  out.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = pixelsOf(target.get(), y);
    for (int x = 0; x < width; ++x) {
      // Back to straight alpha, as the window manager reads it.
      std::uint32_t p = row[x], a = p >> 24;
      auto straight = [&](int shift) {
        std::uint32_t c = (p >> shift) & 0xFF;
        return a ? std::min<std::uint32_t>(255, (c * 255 + a / 2) / a) << shift : 0;
      };
      out.pixels.push_back(a ? (a << 24) | straight(16) | straight(8) | straight(0) : 0);
    }
  }
  return out;
}

}  // namespace platform::paint
