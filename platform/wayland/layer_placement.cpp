// Wayland platform: implements layer_placement.h.
#include "platform/wayland/layer_placement.h"

#include <algorithm>

namespace platform::wayland {

int dpiForScale(int scale) {
  return forms::clampDpi(forms::kDesignDpi * std::max(1, scale));
}

forms::Twips screenWidthTwips(int logicalPixels, int outputPixels, int scale) {
  int logical = logicalPixels > 0 ? logicalPixels : outputPixels / std::max(1, scale);
  return forms::pointerToTwips(logical, forms::kDesignDpi);
}

LayerPlacement placeLayer(forms::Twips left, forms::Twips top, forms::Twips width,
                          forms::Twips height, int scale) {
  scale = std::max(1, scale);
  int dpi = dpiForScale(scale);
  LayerPlacement p;
  p.marginLeft = forms::toPixels(left, forms::kDesignDpi);
  p.marginTop = forms::toPixels(top, forms::kDesignDpi);
  p.drawnWidth = std::max(1, forms::toPixels(width, dpi));
  p.drawnHeight = std::max(1, forms::toPixels(height, dpi));
  // A buffer's size must be a whole multiple of its scale: an odd pixel count at scale 2 is
  // padded with transparent pixels rather than stretched.
  p.width = (p.drawnWidth + scale - 1) / scale;
  p.height = (p.drawnHeight + scale - 1) / scale;
  p.bufferWidth = p.width * scale;
  p.bufferHeight = p.height * scale;
  return p;
}

}  // namespace platform::wayland
