// Fuzzes the icon decoder: any bytes give an image or none, and an image has the size its
// header allows, one pixel for each place, each either opaque or fully clear.
#include <cstddef>
#include <cstdint>

#include "platform/paint/icon_decoder.h"
#include "tests/fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto icon = platform::paint::decodeIcon({data, size});
  if (!icon) return 0;
  fuzz::require(icon->width >= 1 && icon->width <= 256 && icon->height >= 1 && icon->height <= 256,
                "an icon is 1 to 256 pixels each way");
  fuzz::require(icon->pixels.size() ==
                    static_cast<std::size_t>(icon->width) * static_cast<std::size_t>(icon->height),
                "an icon has one pixel per place");
  for (std::uint32_t pixel : icon->pixels) {
    fuzz::require(pixel == 0 || (pixel >> 24) == 0xFF, "a pixel is opaque or fully clear");
  }
  return 0;
}
