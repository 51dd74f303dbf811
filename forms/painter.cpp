#include "forms/painter.h"

#include <cmath>

namespace forms {

int Font::pixelSize(int dpi) const {
  return static_cast<int>(std::nearbyint(static_cast<double>(size) * dpi / 72.0));
}

}  // namespace forms
