// X11 platform: the screen's density (see density.h).
#include "platform/x11/density.h"

#include <X11/Xatom.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "forms/units.h"

namespace platform::x11 {

namespace {

// How well a resource line's name matches Xft.dpi (class Xft.Dpi), compared as Xlib's resource
// manager compares entries, level by level: a component beats a level skipped by "*", a name
// beats a class, which beats "?", and a tight binding beats a loose one. Zero: no match.
int xftDpiRank(std::string_view name) {
  struct Part {
    bool loose;
    std::string_view component;
  };
  std::vector<Part> parts;
  bool loose = false;
  std::size_t at = 0;
  while (at < name.size()) {
    if (name[at] == '.' || name[at] == '*') {
      loose = loose || name[at] == '*';
      ++at;
      continue;
    }
    std::size_t end = name.find_first_of(".*", at);
    if (end == std::string_view::npos) end = name.size();
    parts.push_back({loose, name.substr(at, end - at)});
    loose = false;
    at = end;
  }
  // "?" stands for any one level but the last: the resource itself is always named.
  auto kind = [](std::string_view c, std::string_view wanted, std::string_view cls, bool last) {
    return c == wanted ? 3 : c == cls ? 2 : c == "?" && !last ? 1 : 0;
  };
  if (parts.size() == 1 && parts[0].loose) {  // "*dpi": the first level skipped
    int second = kind(parts[0].component, "dpi", "Dpi", true);
    return second ? second * 2 : 0;
  }
  if (parts.size() != 2) return 0;
  int first = kind(parts[0].component, "Xft", "Xft", false);
  int second = kind(parts[1].component, "dpi", "Dpi", true);
  if (!first || !second) return 0;
  return 100 * (first * 2 + (parts[0].loose ? 0 : 1)) + second * 2 + (parts[1].loose ? 0 : 1);
}

std::string_view trimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

// The resource manager's own parser opens the locale's tables first (reading locale.alias and
// locale.dir, 3.3 M instructions at every start on a desktop that sets Xft.dpi): this reads the
// text as it does for the one resource wanted. Lines joined by a backslash before the newline
// count as one; "!" begins a comment; of two equally good matches the later one holds.
int dpiFromResources(const char* resources) {
  if (!resources) return forms::kDesignDpi;
  std::string text;
  for (const char* c = resources; *c; ++c) {
    if (c[0] == '\\' && c[1] == '\n') {
      ++c;
      continue;
    }
    text += *c;
  }
  int bestRank = 0;
  std::string value;
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    line = trimmed(line);
    std::size_t colon = line.find(':');
    if (line.empty() || line[0] == '!' || line[0] == '#' || colon == std::string_view::npos)
      continue;
    int rank = xftDpiRank(trimmed(line.substr(0, colon)));
    if (rank == 0 || rank < bestRank) continue;
    bestRank = rank;
    value = std::string(trimmed(line.substr(colon + 1)));
  }
  if (bestRank == 0) return forms::kDesignDpi;
  char* parsedEnd = nullptr;
  double parsed = std::strtod(value.c_str(), &parsedEnd);
  // A fractional density (a 1.25 scale of 96 written as 120.0) is taken to the nearest dot.
  if (parsedEnd == value.c_str() || !std::isfinite(parsed) || parsed <= 0) return forms::kDesignDpi;
  return forms::clampDpi(static_cast<int>(std::lround(std::fmin(parsed, 1e6))));
}

int screenDpi(Display* display) {
  // The text the server held when we connected: the desktop sets it before it starts programs.
  return dpiFromResources(XResourceManagerString(display));
}

int currentScreenDpi(Display* display) {
  // Xlib keeps the text it read at the connection: the property itself is read again.
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* text = nullptr;
  constexpr long kMostWords = 1L << 22;  // 16 MB: far more than any resource database
  if (XGetWindowProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, 0, kMostWords,
                         False, XA_STRING, &type, &format, &items, &after, &text) != Success)
    return forms::kDesignDpi;
  int dpi = type == XA_STRING && format == 8 && text
                ? dpiFromResources(reinterpret_cast<const char*>(text))
                : forms::kDesignDpi;
  if (text) XFree(text);
  return dpi;
}

}  // namespace platform::x11
