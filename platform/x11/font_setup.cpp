// X11 backend: implements the in-memory fontconfig set-up declared in font_setup.h.
#include "platform/x11/font_setup.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "platform/api.h"

namespace platform::x11 {
namespace {

// No <dir>, no <cachedir>, no <include>: only our names. "sans-serif" is what fontconfig adds
// to every request, so it leads to our font when a name is unknown.
constexpr char kConfiguration[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <alias binding="same"><family>新細明體</family><accept><family>LOMA Ming</family></accept></alias>
  <alias binding="same"><family>PMingLiU</family><accept><family>LOMA Ming</family></accept></alias>
  <alias binding="same"><family>Arial Black</family><accept><family>LOMA Black</family></accept></alias>
  <alias><family>sans-serif</family><prefer><family>LOMA Ming</family></prefer></alias>
  <alias><family>serif</family><prefer><family>LOMA Ming</family></prefer></alias>
  <alias><family>monospace</family><prefer><family>LOMA Ming</family></prefer></alias>
  <config><rescan><int>0</int></rescan></config>
</fontconfig>
)";

// The font's bytes in an anonymous memory file, kept open for the life of the process;
// fontconfig and FreeType open it by its /proc/self/fd path.
bool addEmbeddedFont(FcConfig* config, Asset asset, const char* name) {
  auto bytes = embedded(asset);
  int fd = memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      close(fd);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  std::string path = "/proc/self/fd/" + std::to_string(fd);
  return FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(path.c_str())) != 0;
}

PangoFontMap* makeFontMap() {
  FcConfig* config = FcConfigCreate();
  FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kConfiguration), FcTrue);
  addEmbeddedFont(config, Asset::FontMing, "LomaMing");
  addEmbeddedFont(config, Asset::FontBlack, "LomaBlack");
  // Becoming current also builds the (empty) system font set: nothing is scanned or cached.
  FcConfigSetCurrent(config);
  PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
  return map;
}

}  // namespace

PangoFontMap* embeddedFontMap() {
  static PangoFontMap* const map = makeFontMap();
  return map;
}

}  // namespace platform::x11
