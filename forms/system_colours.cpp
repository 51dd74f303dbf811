// System colours where the platform has none of its own.
#include "forms/units.h"

namespace forms {

Colour defaultSystemColour(Colour c) {
  switch (c & 0xFFu) {
    case 5:
      return 0xFFFFFF;  // window background
    case 8:
      return 0x000000;  // window text
    case 15:
      return 0xF0F0F0;  // button face
    default:
      return 0x000000;
  }
}

}  // namespace forms
