// The pictures a paint of a form would draw, and the rectangles they would fill, found by painting
// it into nothing. A host that gets pictures ready ahead of the paint (every size stretched, and
// what no frame needs dropped) asks this first.
#pragma once

#include <vector>

#include "forms/picture.h"
#include "forms/units.h"

namespace forms {

class Form;

struct PictureUse {
  const Picture* picture;
  PixelRect rect;
};

// In the order the paint draws them; only those that reach into the clip.
std::vector<PictureUse> picturesToPaint(const Form& form, const PixelRect& clip);

}  // namespace forms
