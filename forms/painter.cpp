#include "forms/painter.h"

#include <cmath>

namespace forms {

int Font::pixelSize() const {
  return static_cast<int>(std::nearbyint(size * 96.0 / 72.0));
}

}  // namespace forms
