// loma-snapshot OUTDIR: writes the launcher window, rendered without a display, as one PNG per
// state (found, not_found, button_down, three_ticks) and found and not_found at 144 and 192 dpi
// (found_144 ...). These are the golden images' source.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/snapshot/snapshot.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: loma-snapshot OUTDIR\n");
    return 2;
  }
  std::vector<snapshot::StateName> all(snapshot::kStates.begin(), snapshot::kStates.end());
  all.insert(all.end(), snapshot::kDenseStates.begin(), snapshot::kDenseStates.end());
  for (const auto& [state, name, dpi] : all) {
    std::string path = std::string(argv[1]) + "/" + name + ".png";
    auto painter = snapshot::render(state, dpi);
    if (cairo_surface_write_to_png(painter->surface(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
      std::fprintf(stderr, "loma-snapshot: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
