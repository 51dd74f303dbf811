// An immutable picture, shared by every control that holds it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "forms/units.h"

namespace forms {

enum class PictureKind { Bitmap, Metafile, Icon };

// No picture wider or taller than this many pixels is accepted or decoded: a header that claims
// more is refused before anything is allocated for it.
constexpr int kMaxPicturePixels = 4096;

class Picture {
 public:
  // Reads the natural size from the encoded bytes, which must outlive the picture (the
  // program's pictures are embedded). Raises Invalid picture (481) when they hold none, or one
  // larger than kMaxPicturePixels either way.
  static std::shared_ptr<const Picture> fromBytes(PictureKind kind,
                                                  std::span<const std::uint8_t> bytes);

  [[nodiscard]] PictureKind kind() const { return kind_; }
  // Natural size: pixels at 15 twips each for bitmaps and icons, the placeable header's
  // inches for a metafile.
  [[nodiscard]] Twips width() const { return width_; }
  [[nodiscard]] Twips height() const { return height_; }
  [[nodiscard]] std::span<const std::uint8_t> bytes() const { return bytes_; }

 private:
  Picture(PictureKind kind, std::span<const std::uint8_t> bytes, Twips width, Twips height)
      : kind_(kind), bytes_(bytes), width_(width), height_(height) {}
  PictureKind kind_;
  std::span<const std::uint8_t> bytes_;
  Twips width_, height_;
};

using PictureRef = std::shared_ptr<const Picture>;

}  // namespace forms
