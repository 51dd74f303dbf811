// Linux drawing: writes the ink boxes of the embedded fonts' glyphs as C++ for the painter.
//
// Cairo's FreeType face works out a glyph's box at the font's em size (one pixel a font unit)
// with light hinting, and clips and composites the glyph by that box scaled to the size drawn.
// The painter draws the same pixels without loading each glyph a second time at the em size:
// this tool does it once, at build time, with the same FreeType.
//   glyph_boxes OUTPUT.cpp Ming=FONT Black=FONT
// Each NAME is the font's asset, Asset::FontNAME, which the written emGlyphBoxes answers for.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// One array of {bearing x, bearing y, width, height} in 26.6, a glyph a line; false on failure.
bool writeBoxes(std::ostream& out, FT_Library library, const std::string& name,
                const std::string& path) {
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &face) != 0) return false;
  FT_Long size = FT_Long{face->units_per_EM} * 64;
  if (FT_Set_Char_Size(face, size, size, 0, 0) != 0) return false;
  out << "constexpr GlyphBox k" << name << "[] = {\n";
  for (FT_Long glyph = 0; glyph < face->num_glyphs; ++glyph) {
    // Cairo's load flags for grey antialiasing and slight hinting.
    if (FT_Load_Glyph(face, static_cast<FT_UInt>(glyph),
                      FT_LOAD_TARGET_LIGHT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH | FT_LOAD_COLOR) !=
        0)
      return false;
    const FT_Glyph_Metrics& m = face->glyph->metrics;
    out << "    {" << m.horiBearingX << ", " << m.horiBearingY << ", " << m.width << ", "
        << m.height << "},\n";
  }
  out << "};\n";
  FT_Done_Face(face);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: glyph_boxes OUTPUT.cpp NAME=FONT...\n";
    return 2;
  }
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return 1;
  std::ofstream out(argv[1]);
  out << "// Linux drawing: the embedded fonts' glyph boxes, written by tools/glyph_boxes.\n"
         "#include \"platform/paint/glyph_boxes.h\"\n"
         "#include \"platform/api.h\"\n\n"
         "namespace platform::paint {\nnamespace {\n\n";
  std::vector<std::string> names;
  for (int i = 2; i < argc; ++i) {
    std::string pair = argv[i];
    auto equals = pair.find('=');
    if (equals == std::string::npos ||
        !writeBoxes(out, library, pair.substr(0, equals), pair.substr(equals + 1))) {
      std::cerr << "glyph_boxes: cannot read " << pair << "\n";
      std::remove(argv[1]);
      return 1;
    }
    names.push_back(pair.substr(0, equals));
  }
  out << "\n}  // namespace\n\n"
         "std::span<const GlyphBox> emGlyphBoxes(Asset font) {\n";
  for (const std::string& name : names)
    out << "  if (font == Asset::Font" << name << ") return k" << name << ";\n";
  out << "  return {};\n"
         "}\n\n"
         "}  // namespace platform::paint\n";
  out.close();
  FT_Done_FreeType(library);
  return out ? 0 : 1;
}
