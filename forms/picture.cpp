#include "forms/picture.h"

#include <optional>

#include "forms/errors.h"

namespace forms {
namespace {

struct Size {
  Twips width, height;
};

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::optional<Size> jpegSize(std::span<const std::uint8_t> b) {
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return {};
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    if (b[at] != 0xFF) return {};
    std::uint8_t marker = b[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    std::size_t length = (b[at + 2] << 8) | b[at + 3];
    bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > b.size() || length < 7) return {};
      int height = (b[at + 5] << 8) | b[at + 6];
      int width = (b[at + 7] << 8) | b[at + 8];
      if (width == 0 || height == 0) return {};
      return Size{pointerToTwips(width, kDesignDpi), pointerToTwips(height, kDesignDpi)};
    }
    if (length < 2) return {};
    at += 2 + length;
  }
  return {};
}

std::optional<Size> metafileSize(std::span<const std::uint8_t> b) {
  // Placeable header: key, handle, bounding box (four 16-bit values), units per inch.
  if (b.size() < 22 || le16(b, 0) != 0xCDD7 || le16(b, 2) != 0x9AC6) return {};
  auto box = [&](std::size_t at) { return static_cast<std::int16_t>(le16(b, at)); };
  int width = box(10) - box(6), height = box(12) - box(8);
  int perInch = le16(b, 14);
  if (width <= 0 || height <= 0 || perInch == 0) return {};
  return Size{static_cast<Twips>(width * 1440.0 / perInch),
              static_cast<Twips>(height * 1440.0 / perInch)};
}

std::optional<Size> iconSize(std::span<const std::uint8_t> b) {
  if (b.size() < 22 || le16(b, 0) != 0 || le16(b, 2) != 1 || le16(b, 4) == 0) return {};
  int width = b[6] ? b[6] : 256, height = b[7] ? b[7] : 256;
  return Size{pointerToTwips(width, kDesignDpi), pointerToTwips(height, kDesignDpi)};
}

}  // namespace

std::shared_ptr<const Picture> Picture::fromBytes(PictureKind kind,
                                                  std::span<const std::uint8_t> bytes) {
  std::optional<Size> size;
  switch (kind) {
    case PictureKind::Bitmap:
      size = jpegSize(bytes);
      break;
    case PictureKind::Metafile:
      size = metafileSize(bytes);
      break;
    case PictureKind::Icon:
      size = iconSize(bytes);
      break;
  }
  if (!size || size->width > pointerToTwips(kMaxPicturePixels, kDesignDpi) ||
      size->height > pointerToTwips(kMaxPicturePixels, kDesignDpi))
    throw err::invalidPicture();
  return std::shared_ptr<const Picture>(new Picture(kind, bytes, size->width, size->height));
}

}  // namespace forms
