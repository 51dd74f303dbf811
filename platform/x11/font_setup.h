// X11 backend: the fonts of the program, and nothing but them.
//
// Implements the mapping of the layout's face names onto the two fonts embedded in the
// program: "新細明體" and "PMingLiU" become "LOMA Ming", "Arial Black" becomes "LOMA Black",
// and every other name falls back to "LOMA Ming". fontconfig is given an in-memory
// configuration with no font folder and no cache folder, and reads each font through
// /proc/self/fd of an anonymous memory file: no file is written, no system font is read, and
// text looks the same on every machine.
#pragma once

#include <pango/pango.h>

namespace platform::x11 {

// Installs the configuration as fontconfig's current one on the first call (before Pango
// makes any font map, so that Pango never loads the system's) and returns the Pango font map
// over it. Later calls return the same map. Never null; if a font cannot be loaded, text
// falls back to the other one.
PangoFontMap* embeddedFontMap();

}  // namespace platform::x11
