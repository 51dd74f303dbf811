"""Lettering for the pictures: the faces we draw with and how a line of
glyphs becomes polygons.

Chinese text is drawn in a heavy rounded face made from Noto Sans CJK TC
Bold, which has the Taiwan forms of the characters: its outlines are made a
little fatter and every corner is rounded off. Latin text for the maker word
uses URW's C059 Bold, a heavy serif.
"""

import outlines

FONTS = "/usr/share/fonts"
SANS_TC_BOLD = (FONTS + "/opentype/noto/NotoSansCJK-Bold.ttc", 3)   # face 3 is TC
SERIF_BOLD = (FONTS + "/opentype/urw-base35/C059-Bold.otf", 0)
ROUND_RADIUS = 52.0
ROUND_GROW = 28.0

_cache = {}


def font(which):
    if which not in _cache:
        _cache[which] = outlines.OutlineFont(*which)
    return _cache[which]


def glyph(face, char, grow=0.0):
    """One glyph's merged outline in font units (y up), grown by `grow`."""
    contours = face.contours(char)
    return outlines.rounded(contours, grow, grow) if grow else outlines.merged(contours)


def heavy_rounded(char):
    return outlines.rounded(font(SANS_TC_BOLD).contours(char), ROUND_RADIUS, ROUND_GROW)


def line(face, text, grow, em, origin, tracking=0.0, space=None, shape=None):
    """Glyphs of `text` set from `origin` (pixel x, baseline y) at `em` pixels
    to the em. Returns a list of per-glyph contour lists in pixels, y down,
    and the pen position after the last glyph."""
    scale = em / face.units_per_em
    x, base = origin
    glyphs = []
    for ch in text:
        if ch == " ":
            x += (space if space is not None else face.advance(" ") * scale) + tracking
            continue
        contours = shape(ch) if shape else glyph(face, ch, grow)
        glyphs.append(outlines.transform(contours, scale, x, base))
        x += face.advance(ch) * scale + tracking
    return glyphs, x - tracking
