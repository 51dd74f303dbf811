// The screen's density as the desktop sets it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/api.h"
#include "platform/x11/density.h"

// After the test framework: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xresource.h>

namespace {

using platform::x11::dpiFromResources;

TEST(ScreenDensity, ComesFromXftDpiInTheResourceDatabase) {
  EXPECT_EQ(dpiFromResources(nullptr), 96);
  EXPECT_EQ(dpiFromResources(""), 96);
  EXPECT_EQ(dpiFromResources("Xcursor.size:\t24\n"), 96);
  EXPECT_EQ(dpiFromResources("Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 144);
  EXPECT_EQ(dpiFromResources("Xft.dpi: 192\n"), 192);
  EXPECT_EQ(dpiFromResources("Xft.dpi:\t120.4\n"), 120);  // a fractional scale
  EXPECT_EQ(dpiFromResources("*dpi: 144\n"), 144);        // a wildcard matches too
}

TEST(ScreenDensity, OutlandishValuesAreClampedOrIgnored) {
  EXPECT_EQ(dpiFromResources("Xft.dpi: 20\n"), 72);
  EXPECT_EQ(dpiFromResources("Xft.dpi: 100000\n"), 480);
  EXPECT_EQ(dpiFromResources("Xft.dpi: 1e300\n"), 480);
  EXPECT_EQ(dpiFromResources("Xft.dpi: -144\n"), 96);
  EXPECT_EQ(dpiFromResources("Xft.dpi: large\n"), 96);
  EXPECT_EQ(dpiFromResources("Xft.dpi: nan\n"), 96);
}

// Xlib's resource manager, which the launcher no longer runs at start: the reference.
int xlibDpi(const char* resources) {
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  int dpi = 96;
  char* type = nullptr;
  XrmValue value{};
  if (database && XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
    char* end = nullptr;
    double parsed = std::strtod(value.addr, &end);
    if (end != value.addr && std::isfinite(parsed) && parsed > 0)
      dpi = std::clamp(static_cast<int>(std::lround(std::fmin(parsed, 1e6))), 72, 480);
  }
  if (database) XrmDestroyDatabase(database);
  return dpi;
}

TEST(ScreenDensity, IsWhatXlibsResourceManagerFindsInAnyOrderOfEntries) {
  // Entries that match Xft.dpi more or less closely, and some that do not match it at all.
  const std::vector<std::string> entries{
      "Xft.dpi:\t144",  "*dpi: 120",         "Xft*dpi: 168",       "*Xft.dpi: 192",
      "Xft.Dpi: 216",   "?.dpi: 240",        "*Dpi: 264",          "*?: 288",
      "Xft.?: 312",     "dpi: 336",          "xft.dpi: 360",       "Xft.dpi.x: 384",
      "! Xft.dpi: 408", "Xft.dpi:\\\n  432", "  Xft.dpi  :  456 ", "Xft.antialias: 1",
      "Xft*?: 132",     "*Xft*dpi: 156"};
  int compared = 0;
  // Every pair in both orders, and every entry alone.
  for (std::size_t i = 0; i < entries.size(); ++i)
    for (std::size_t j = 0; j < entries.size(); ++j) {
      std::string text = entries[i] + "\n" + (i == j ? "" : entries[j] + "\n");
      EXPECT_EQ(dpiFromResources(text.c_str()), xlibDpi(text.c_str())) << text;
      ++compared;
    }
  EXPECT_EQ(compared, 18 * 18);
}

}  // namespace
