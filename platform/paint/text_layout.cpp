// Linux drawing: implements the text layout declared in text_layout.h.
#include "platform/paint/text_layout.h"

#include <algorithm>
#include <cmath>

namespace platform::paint {
namespace {

// Writing systems, told apart only as far as they split the glyphs into separate runs.
enum class Script { Common, Latin, Han };

struct Char {
  char32_t code = 0;
  Script script = Script::Common;
  const Font* font = nullptr;
  std::uint32_t glyph = 0;
  int advance = 0;  // pixels
};

bool isLineBreak(char32_t c) {
  return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}
bool isSpace(char32_t c) {
  return c == u' ' || c == u'\t' || c == 0x3000;
}
bool isIdeographic(char32_t c) {
  return (c >= 0x2E80 && c <= 0x2FFF) || (c >= 0x3040 && c <= 0x30FF) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF);
}
// Punctuation that never starts, or never ends, a line.
bool isClosing(char32_t c) {
  return std::u32string_view(
             U")]},.!?:;\u3001\u3002\u300D\u300F\uFF09\uFF0C\uFF0E\uFF01\uFF1F\uFF1A\uFF1B")
             .find(c) != std::u32string_view::npos;
}
bool isOpening(char32_t c) {
  return std::u32string_view(U"([{\u300C\u300E\uFF08").find(c) != std::u32string_view::npos;
}

// May a line end before the character at i (0 < i)?
bool breakBefore(const std::vector<Char>& chars, std::size_t i) {
  char32_t before = chars[i - 1].code, at = chars[i].code;
  if (isSpace(at)) return false;
  if (isSpace(before)) return true;
  return (isIdeographic(before) && !isClosing(at)) || (isIdeographic(at) && !isOpening(before));
}

std::u32string decodeUtf16(std::u16string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      out += static_cast<char32_t>(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      out += (c >= 0xD800 && c <= 0xDFFF) ? U'\uFFFD' : static_cast<char32_t>(c);
    }
  }
  return out;
}

// An advance in whole pixels as the shaping stack rounds it: font units scaled to 1/1024 pixel
// in 16.16 fixed point, then rounded to the nearest pixel.
int pixelAdvance(int units, int unitsPerEm, int pixelSize) {
  std::int64_t mult = (static_cast<std::int64_t>(pixelSize) * kSubpixel << 16) / unitsPerEm;
  auto subpixels = static_cast<int>((units * mult + 32768) >> 16);
  return (subpixels + kSubpixel / 2) / kSubpixel;
}

int toSubpixels(double pixels) {
  return static_cast<int>(std::floor(pixels * kSubpixel + 0.5));
}

// A font's line at a pixel size: ascent and height in 1/1024 pixel, as Cairo's unhinted font
// extents give them.
struct LineMetrics {
  int ascent = 0, height = 0;
};
LineMetrics lineMetrics(const Font& font, int pixelSize) {
  const FontMetrics& m = font.metrics();
  double ascent = m.ascender / double(m.unitsPerEm) * pixelSize;
  double descent = -m.descender / double(m.unitsPerEm) * pixelSize;
  return {toSubpixels(ascent), toSubpixels(ascent + descent)};
}

Script scriptOf(char32_t c) {
  if (isIdeographic(c)) return Script::Han;
  bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
                (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
  return letter ? Script::Latin : Script::Common;
}

// A character the fonts draw: not a space, a control character or a separator.
bool isGraphic(char32_t c) {
  return c > 0x20 && c != 0x7F && !(c >= 0x80 && c <= 0xA0) && c != 0x3000 &&
         !(c >= 0x2000 && c <= 0x200F);
}

// The font that draws a graphic character: ours, else the other one that has it, else ours
// with its missing-glyph box.
const Font* fontFor(char32_t code, const Font& primary) {
  if (primary.glyphFor(code) != 0) return &primary;
  const Font& other = primary.fallback();
  return other.glyphFor(code) != 0 ? &other : &primary;
}

// The paragraph's characters with glyphs and advances. Spaces and other characters with no ink
// stay in the font of the text around them (the one before, at the start the one after), so a
// space between two fallback characters does not change the line's height or spacing.
std::vector<Char> shapeParagraph(std::u32string_view codes, const Font& primary, int pixelSize) {
  std::vector<Char> chars(codes.size());
  const Font* current = nullptr;
  std::size_t pending = 0;  // characters at the start still waiting for a font
  for (std::size_t i = 0; i < codes.size(); ++i) {
    chars[i].code = codes[i];
    if (!isGraphic(codes[i])) {
      if (current)
        chars[i].font = current;
      else
        ++pending;
      continue;
    }
    current = fontFor(codes[i], primary);
    chars[i].font = current;
    for (; pending; --pending) chars[i - pending].font = current;
  }
  for (std::size_t i = 0; i < pending; ++i) chars[i].font = fontFor(chars[i].code, primary);
  // Digits, spaces and punctuation belong to the writing around them, as fonts do above.
  Script script = Script::Common;
  pending = 0;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    Script own = scriptOf(codes[i]);
    if (own == Script::Common) {
      chars[i].script = script;
      pending += script == Script::Common;
      continue;
    }
    script = chars[i].script = own;
    for (; pending; --pending) chars[i - pending].script = own;
  }
  for (Char& c : chars) {
    c.glyph = c.font->glyphFor(c.code);
    c.advance = pixelAdvance(c.font->advance(c.glyph), c.font->metrics().unitsPerEm, pixelSize);
  }
  return chars;
}

// Where the line that starts at `from` ends: the last break that fits, else the first break.
std::size_t lineEnd(const std::vector<Char>& chars, std::size_t from, int wrapWidth) {
  std::size_t first = 0, fitting = 0;
  int width = 0;
  for (std::size_t i = from + 1; i <= chars.size(); ++i) {
    width += chars[i - 1].advance;
    if (i < chars.size() && !breakBefore(chars, i)) continue;
    // A space that ends a broken line takes no room.
    int used = isSpace(chars[i - 1].code) ? width - chars[i - 1].advance : width;
    if (!first) first = i;
    if (used > wrapWidth) break;
    fitting = i;
  }
  return fitting ? fitting : first;
}

TextLine makeLine(const std::vector<Char>& chars, std::size_t from, std::size_t to, bool broken) {
  TextLine line;
  for (std::size_t i = from; i < to; ++i) {
    const Char& c = chars[i];
    // Cairo draws each run at once, so glyphs overlap within a run as they do in Pango's items.
    if (line.runs.empty() || line.runs.back().font != c.font || chars[i - 1].script != c.script)
      line.runs.push_back({c.font, {}, {}});
    line.runs.back().glyphs.push_back(c.glyph);
    line.runs.back().x.push_back(line.width);
    if (broken && i + 1 == to && isSpace(c.code)) break;
    line.width += c.advance;
  }
  return line;
}

}  // namespace

TextLayout layOutText(std::u16string_view text, std::u16string_view family, int pixelSize,
                      std::optional<int> wrapWidth) {
  const Font& primary = Font::forFamily(family);
  std::u32string codes = decodeUtf16(text);
  LineMetrics own = lineMetrics(primary, pixelSize);
  LineMetrics other = lineMetrics(primary.fallback(), pixelSize);
  TextLayout layout;
  int top = 0;  // 1/1024 pixel
  auto place = [&](TextLine line) {
    bool mixed = false, mine = line.runs.empty();
    for (const GlyphRun& run : line.runs) (run.font == &primary ? mine : mixed) = true;
    // The line holds the tallest ascent and the deepest descent of the fonts in it.
    int ascent = 0, bottom = 0;
    for (const LineMetrics* m : {mine ? &own : nullptr, mixed ? &other : nullptr}) {
      if (!m) continue;
      ascent = std::max(ascent, m->ascent);
      bottom = std::max(bottom, m->height - m->ascent);
    }
    line.baseline = top + ascent;
    top += ascent + bottom;
    layout.extent.width = std::max(layout.extent.width, line.width);
    layout.lines.push_back(std::move(line));
  };
  std::size_t start = 0;
  while (true) {
    std::size_t end = start;
    while (end < codes.size() && !isLineBreak(codes[end])) ++end;
    std::vector<Char> chars =
        shapeParagraph(std::u32string_view(codes).substr(start, end - start), primary, pixelSize);
    std::size_t from = 0;
    do {
      std::size_t to = wrapWidth ? lineEnd(chars, from, *wrapWidth) : chars.size();
      place(makeLine(chars, from, to, to < chars.size()));
      from = to;
    } while (from < chars.size());
    if (end == codes.size()) break;
    // A carriage return and line feed together end one line.
    start =
        end + (codes[end] == u'\r' && end + 1 < codes.size() && codes[end + 1] == u'\n' ? 2 : 1);
  }
  layout.extent.height = (top + kSubpixel - 1) / kSubpixel;
  return layout;
}

int alignedOffset(int space, int lineWidth, forms::Alignment alignment) {
  switch (alignment) {
    case forms::Alignment::Left:
      return 0;
    case forms::Alignment::Right:
      return space - lineWidth;
    case forms::Alignment::Center:
      // Half the room in 1/1024 pixel, rounded to the nearest pixel, halves upwards.
      return (((space - lineWidth) * kSubpixel / 2 + kSubpixel / 2) & ~(kSubpixel - 1)) / kSubpixel;
  }
  return 0;
}

int baselinePixels(const TextLine& line) {
  return static_cast<int>(std::floor(double(line.baseline) / kSubpixel + 0.5));
}

}  // namespace platform::paint
