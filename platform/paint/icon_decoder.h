// Linux drawing: the window icon, decoded from its icon file for _NET_WM_ICON and for drawing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::paint {

struct ArgbImage {
  int width = 0, height = 0;
  // Row by row from the top, 0xAARRGGBB; a masked pixel is 0 (so also valid premultiplied).
  std::vector<std::uint32_t> pixels;
};

// The first image of an icon file: 8 bits per pixel with a palette and a one-bit
// transparency mask. None when the bytes are malformed or hold another format.
std::optional<ArgbImage> decodeIcon(std::span<const std::uint8_t> bytes);
// The icon resampled to another size with a good filter (edges blend into transparency), for a
// denser screen; none when there is no memory for it.
std::optional<ArgbImage> resampleIcon(const ArgbImage& icon, int width, int height);

}  // namespace platform::paint
