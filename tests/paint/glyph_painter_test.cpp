// The glyph painter against Cairo itself: every run of glyphs must come out as Cairo's
// cairo_show_glyphs draws it through its FreeType face with the painter's font options, to the
// byte, clipped or not, overlapping or not.
#include "platform/paint/glyph_painter.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/api.h"
#include "tests/paint/pixels.h"

namespace {

using painttest::firstDifference;
using painttest::OwnedSurface;
using platform::paint::Font;
using platform::paint::PlacedGlyph;

// Cairo's own face over a FreeType face of its own, so that the painter's face never changes
// size under Cairo.
class CairoFont {
 public:
  explicit CairoFont(platform::Asset asset) {
    static FT_Library const library = [] {
      FT_Library l = nullptr;
      FT_Init_FreeType(&l);
      return l;
    }();
    auto bytes = platform::embedded(asset);
    FT_Face face = nullptr;
    FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face);
    face_ = cairo_ft_font_face_create_for_ft_face(face, 0);
    // Cairo may keep its face after this object is gone; the FreeType face goes with it.
    static cairo_user_data_key_t key;
    cairo_font_face_set_user_data(face_, &key, face,
                                  [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); });
    options_ = cairo_font_options_create();
    cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options_, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_OFF);
  }
  ~CairoFont() {
    cairo_font_options_destroy(options_);
    cairo_font_face_destroy(face_);
  }
  CairoFont(const CairoFont&) = delete;
  CairoFont& operator=(const CairoFont&) = delete;

  void draw(cairo_surface_t* target, int size, const std::vector<PlacedGlyph>& glyphs,
            std::uint32_t rgb, const forms::PixelRect& clip) const {
    cairo_t* cr = cairo_create(target);
    cairo_matrix_t scale, identity;
    cairo_matrix_init_scale(&scale, size, size);
    cairo_matrix_init_identity(&identity);
    cairo_scaled_font_t* font = cairo_scaled_font_create(face_, &scale, &identity, options_);
    cairo_set_scaled_font(cr, font);
    cairo_rectangle(cr, clip.x, clip.y, clip.width, clip.height);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, (rgb >> 16) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                         (rgb & 0xFF) / 255.0);
    std::vector<cairo_glyph_t> run;
    run.reserve(glyphs.size());
    for (const PlacedGlyph& g : glyphs) run.push_back({g.glyph, double(g.x), double(g.y)});
    cairo_show_glyphs(cr, run.data(), static_cast<int>(run.size()));
    cairo_scaled_font_destroy(font);
    cairo_destroy(cr);
  }

 private:
  cairo_font_face_t* face_ = nullptr;
  cairo_font_options_t* options_ = nullptr;
};

void fillNoise(cairo_surface_t* s, std::uint32_t seed) {
  std::mt19937 random(seed);
  cairo_surface_flush(s);
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s));
  int count = cairo_image_surface_get_stride(s) / 4 * cairo_image_surface_get_height(s);
  for (int i = 0; i < count; ++i) data[i] = static_cast<std::uint32_t>(random());
  cairo_surface_mark_dirty(s);
}

TEST(GlyphPainter, DrawsCairosPixelsForRunsOfEveryKind) {
  constexpr int kWidth = 160, kHeight = 120;
  std::mt19937 random(11);
  auto uniform = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const CairoFont ming(platform::Asset::FontMing), black(platform::Asset::FontBlack);
  int overlapping = 0, clipped = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    const Font& font = Font::forFamily(trial % 2 ? u"Arial Black" : u"新細明體");
    int glyphCount = static_cast<int>(font.emBoxes().size());
    int size = uniform(6, 60);
    // Runs from one glyph to a dozen, with advances from overlapping to spread out; origins on
    // whole pixels, as the text layout places them, some far outside the clip.
    std::vector<PlacedGlyph> run;
    int x = uniform(-size, kWidth), y = uniform(-size, kHeight + size);
    for (int i = uniform(1, 12); i > 0; --i) {
      run.push_back({static_cast<std::uint32_t>(uniform(0, glyphCount - 1)), x, y});
      x += uniform(-size / 2, size + 2);
    }
    if (trial % 10 == 0) run.push_back({1, x + 12 * size, y});
    forms::PixelRect clip{uniform(-10, kWidth), uniform(-10, kHeight), uniform(1, kWidth),
                          uniform(1, kHeight)};
    if (trial % 3 == 0) clip = {0, 0, kWidth, kHeight};
    auto rgb = static_cast<std::uint32_t>(random()) & 0xFFFFFF;
    if (trial % 7 == 0) rgb = 0;

    OwnedSurface ours(kWidth, kHeight), cairos(kWidth, kHeight);
    fillNoise(ours.s, trial);
    fillNoise(cairos.s, trial);
    platform::paint::drawGlyphs(ours.s, font, size, run, rgb, clip);
    (font.asset() == platform::Asset::FontBlack ? black : ming)
        .draw(cairos.s, size, run, rgb, clip);
    EXPECT_EQ(firstDifference(ours.s, cairos.s), "")
        << "trial " << trial << ": " << run.size() << " glyphs at size " << size;
    overlapping += run.size() > 1 && run[1].x - run[0].x < size / 3.0;
    clipped += clip.width < kWidth;
  }
  // The cases that take Cairo's other ways were all tried.
  EXPECT_GT(overlapping, 300);
  EXPECT_GT(clipped, 1200);
}

}  // namespace
