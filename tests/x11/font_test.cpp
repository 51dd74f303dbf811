#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <string>

#include "platform/x11/cairo_painter.h"
#include "platform/x11/font_setup.h"

namespace {

// The family of the font that Pango picks for a text in a requested family.
std::string resolvedFamily(const char* requested, const char* text) {
  PangoContext* context = pango_font_map_create_context(platform::x11::embeddedFontMap());
  PangoLayout* layout = pango_layout_new(context);
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, requested);
  pango_font_description_set_absolute_size(description, 35 * PANGO_SCALE);
  pango_font_description_set_weight(description, PANGO_WEIGHT_BOLD);
  pango_layout_set_font_description(layout, description);
  pango_layout_set_text(layout, text, -1);
  PangoLayoutRun* run =
      pango_layout_get_line_readonly(layout, 0)->runs
          ? static_cast<PangoLayoutRun*>(pango_layout_get_line_readonly(layout, 0)->runs->data)
          : nullptr;
  std::string family;
  if (run) {
    PangoFontDescription* used = pango_font_describe(run->item->analysis.font);
    family = pango_font_description_get_family(used);
    pango_font_description_free(used);
  }
  pango_font_description_free(description);
  g_object_unref(layout);
  g_object_unref(context);
  return family;
}

TEST(Fonts, LayoutFaceNamesMapToOurFonts) {
  EXPECT_EQ(resolvedFamily("新細明體", "關閉"), "LOMA Ming");
  EXPECT_EQ(resolvedFamily("PMingLiU", "關閉"), "LOMA Ming");
  EXPECT_EQ(resolvedFamily("Arial Black", "10"), "LOMA Black");
  // No system font is ever used, whatever is installed.
  EXPECT_EQ(resolvedFamily("DejaVu Sans", "Launcher"), "LOMA Ming");
}

TEST(Fonts, FontconfigKnowsOnlyTheEmbeddedFontsReadFromMemoryFiles) {
  platform::x11::embeddedFontMap();
  FcConfig* config = FcConfigGetCurrent();
  FcFontSet* system = FcConfigGetFonts(config, FcSetSystem);
  EXPECT_TRUE(system == nullptr || system->nfont == 0);
  FcFontSet* ours = FcConfigGetFonts(config, FcSetApplication);
  ASSERT_NE(ours, nullptr);
  EXPECT_EQ(ours->nfont, 2);
  for (int i = 0; i < ours->nfont; ++i) {
    FcChar8* file = nullptr;
    ASSERT_EQ(FcPatternGetString(ours->fonts[i], FC_FILE, 0, &file), FcResultMatch);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(file)).rfind("/proc/self/fd/", 0), 0u);
  }
  FcStrList* dirs = FcConfigGetCacheDirs(config);
  EXPECT_EQ(FcStrListNext(dirs), nullptr);  // nowhere to write a cache
  FcStrListDone(dirs);
}

TEST(Fonts, MeasuresCaptionsWithTheMingFaceMetrics) {
  platform::x11::CairoPainter painter(1, 1);
  forms::Font large{u"新細明體", 26.25f, 700};
  forms::PixelSize close = painter.measureText(u"關閉", large);
  EXPECT_EQ(close.width, 2 * 35);  // two full-width ideographs of one em each
  EXPECT_EQ(close.height, 35);
  // The credit line: one line of the 13-pixel face is 13 pixels high, line feeds add lines.
  forms::Font small{u"新細明體", 9.75f, 700};
  EXPECT_EQ(painter.measureText(u"(C) ZAVRO Fi Diagnostic Launcher 1.00", small).height, 13);
  EXPECT_EQ(painter.measureText(u"a\nb", small).height, 26);
  EXPECT_EQ(painter.measureText(u"", small).width, 0);
}

}  // namespace
