/* The floor of the stack loma drew with before its text came from FreeType directly: floor.c's
 * window, with its frame drawn by TurboJPEG, Cairo, fontconfig and Pango, doing the work of loma's
 * first frame and nothing else. TurboJPEG decodes the four pictures (backdrop, banner, the two
 * button faces) and Cairo resamples each to where loma's first frame shows it; fontconfig gets a
 * configuration from memory with only the two label fonts; Pango lays out and Cairo draws the four
 * captions in their sizes. Not drawn: the countdown notice, a metafile that loma plays with its
 * own code. The bench runs it beside loma as the old stack's floor: loma now spends less than it
 * (no Pango, fontconfig or GLib); what floor.c spends is the floor of any program.
 *
 * Reads the pictures and fonts from $LOMA_ASSETS (default ./assets).
 * Build: cc -O2 -o floor_stack floor.c floor_stack.c $(pkg-config --cflags --libs pangocairo
 *        pangofc fontconfig cairo x11 libturbojpeg) */
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <turbojpeg.h>

static const char* assets(const char* name) {
  static char path[4096];
  const char* dir = getenv("LOMA_ASSETS");
  snprintf(path, sizeof path, "%s/%s", dir ? dir : "assets", name);
  return path;
}

static unsigned char* slurp(const char* path, unsigned long* size) {
  FILE* f = fopen(path, "rb");
  if (!f) {
    fprintf(stderr, "floor_stack: cannot read %s\n", path);
    exit(1);
  }
  fseek(f, 0, SEEK_END);
  *size = (unsigned long)ftell(f);
  fseek(f, 0, SEEK_SET);
  unsigned char* bytes = malloc(*size);
  if (fread(bytes, 1, *size, f) != *size) exit(1);
  fclose(f);
  return bytes;
}

static cairo_surface_t* decode(const char* name) {
  unsigned long size;
  unsigned char* bytes = slurp(assets(name), &size);
  tjhandle tj = tjInitDecompress();
  int width, height, subsampling, colourspace;
  tjDecompressHeader3(tj, bytes, size, &width, &height, &subsampling, &colourspace);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_surface_flush(s);
  tjDecompress2(tj, bytes, size, cairo_image_surface_get_data(s), width,
                cairo_image_surface_get_stride(s), height, TJPF_BGRX, TJFLAG_ACCURATEDCT);
  cairo_surface_mark_dirty(s);
  tjDestroy(tj);
  free(bytes);
  return s;
}

static const char kConfiguration[] =
    "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">"
    "<fontconfig><alias binding=\"same\"><family>PMingLiU</family><accept><family>LOMA Ming"
    "</family></accept></alias><alias binding=\"same\"><family>Arial Black</family><accept>"
    "<family>LOMA Black</family></accept></alias><alias><family>sans-serif</family><prefer>"
    "<family>LOMA Ming</family></prefer></alias><config><rescan><int>0</int></rescan></config>"
    "</fontconfig>";

static struct {
  const char* name;
  int x, y, width, height; /* where loma draws it, in pixels */
  cairo_surface_t* surface;
} pictures[] = {{"backdrop.jpg", 0, 0, 571, 253, NULL},
                {"title_banner.jpg", 42, 30, 492, 74, NULL},
                {"up_face.jpg", 43, 103, 159, 85, NULL},
                {"down_face.jpg", 200, 103, 335, 85, NULL}};

static struct {
  const char* text;
  const char* font;
  int x, y, width, height;
  double red, green, blue;
} captions[] = {
    {"(C) ZAVRO Fi LOMA Diagnostic Launcher", "PMingLiU Bold 9.75", 256, 190, 270, 13, 0, 0, 0},
    {"\xe6\x9c\xaa\xe7\x99\xbc\xe7\x8f\xbe \xe8\xa8\xba\xe6\x96\xb7\xe7\xb3\xbb\xe7\xb5\xb1",
     "PMingLiU Bold 15.75", 218, 122, 304, 66, 1, 1, 0},
    {"10", "Arial Black 36", 45, 174, 89, 73, 1, 0, 0},
    {"\xe9\x97\x9c\xe9\x96\x89", "PMingLiU Bold 26.25", 43, 103, 159, 85, 1, 1, 0}};

static PangoContext* pango;

void floor_prepare(void) {
  for (size_t i = 0; i < sizeof pictures / sizeof *pictures; ++i)
    pictures[i].surface = decode(pictures[i].name);

  FcConfig* config = FcConfigCreate();
  FcConfigParseAndLoadFromMemory(config, (const FcChar8*)kConfiguration, FcTrue);
  FcConfigAppFontAddFile(config, (const FcChar8*)assets("fonts/LomaMing-Bold.otf"));
  FcConfigAppFontAddFile(config, (const FcChar8*)assets("fonts/LomaBlack.otf"));
  FcConfigSetCurrent(config);
  PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
  pango = pango_font_map_create_context(map);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(pango, options);
  cairo_font_options_destroy(options);
  pango_cairo_context_set_resolution(pango, 96.0);
}

void floor_draw(uint32_t* pixels, int width, int height, int stride) {
  cairo_surface_t* frame = cairo_image_surface_create_for_data(
      (unsigned char*)pixels, CAIRO_FORMAT_RGB24, width, height, stride);
  cairo_t* cr = cairo_create(frame);
  for (size_t i = 0; i < sizeof pictures / sizeof *pictures; ++i) {
    cairo_surface_t* s = pictures[i].surface;
    cairo_save(cr);
    cairo_rectangle(cr, pictures[i].x, pictures[i].y, pictures[i].width, pictures[i].height);
    cairo_clip(cr);
    cairo_translate(cr, pictures[i].x, pictures[i].y);
    cairo_scale(cr, (double)pictures[i].width / cairo_image_surface_get_width(s),
                (double)pictures[i].height / cairo_image_surface_get_height(s));
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
  }
  PangoLayout* layout = pango_layout_new(pango);
  for (size_t i = 0; i < sizeof captions / sizeof *captions; ++i) {
    PangoFontDescription* font = pango_font_description_from_string(captions[i].font);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_width(layout, captions[i].width * PANGO_SCALE);
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout, captions[i].text, -1);
    cairo_set_source_rgb(cr, captions[i].red, captions[i].green, captions[i].blue);
    cairo_move_to(cr, captions[i].x, captions[i].y);
    pango_cairo_update_layout(cr, layout);
    pango_cairo_show_layout(cr, layout);
  }
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(frame);
}
