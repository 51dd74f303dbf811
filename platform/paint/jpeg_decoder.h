// Linux drawing: JPEG pictures, decoded with libjpeg-turbo.
#pragma once

#include <cstdint>
#include <span>

#include "platform/paint/surface.h"

namespace platform::paint {

// An opaque RGB24 surface of the picture's natural size, or none when the bytes hold no JPEG
// that libjpeg-turbo can decode or one larger than forms::kMaxPicturePixels either way. The
// accurate integer transform keeps the result the same on every machine, whatever SIMD the
// processor offers.
Surface decodeJpeg(std::span<const std::uint8_t> bytes);

// The picture's width times its height, read from its header alone; 0 when the bytes hold no
// JPEG header that libjpeg-turbo can read.
std::int64_t jpegPixelCount(std::span<const std::uint8_t> bytes);

}  // namespace platform::paint
