// Wayland platform: where the launcher's layer surface lies on its output, and its buffer's size.
//
// Surface-local coordinates are the output's logical pixels, 15 twips each, whatever its scale:
// the margins from the output's top-left corner come from the form's Left and Top as the X11
// host places it at 96 dpi, and the form is drawn at 96 x scale dpi into a buffer of
// scale x the surface's size, so at scale 2 it has twice the pixels, sharp.
#pragma once

#include "forms/units.h"

namespace platform::wayland {

struct LayerPlacement {
  int marginLeft = 0, marginTop = 0;      // surface-local, from the anchors at the top-left corner
  int width = 0, height = 0;              // surface-local
  int drawnWidth = 0, drawnHeight = 0;    // the form's pixels at the output's density
  int bufferWidth = 0, bufferHeight = 0;  // scale x the surface's size: the drawing, padded
  bool operator==(const LayerPlacement&) const = default;
};

// The density the form is drawn at on an output of an integer scale.
int dpiForScale(int scale);
// The output's width as the form's screen width in twips: its logical width where the
// compositor tells it, else its mode's width in its own pixels divided by its integer scale.
forms::Twips screenWidthTwips(int logicalPixels, int outputPixels, int scale);
LayerPlacement placeLayer(forms::Twips left, forms::Twips top, forms::Twips width,
                          forms::Twips height, int scale);

}  // namespace platform::wayland
