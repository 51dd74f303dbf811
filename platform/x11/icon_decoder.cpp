// X11 backend: implements decoding of palette icons with their AND mask.
#include "platform/x11/icon_decoder.h"

namespace platform::x11 {
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

}  // namespace platform::x11
