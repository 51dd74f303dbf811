"""A font as the values that matter, not as bytes.

fontTools releases lay out the same font in different bytes (table order,
charstring and cmap encodings, recomputed bit fields), so two fonts are
compared by what a reader gets from them: each character's outline (drawn
through a pen), advance and side bearing, the .notdef glyph, the metrics,
the names and the style bits. Glyph names and ids are left out: the source
fonts renumber their glyphs between releases.

`choices` is the part the generator decides whatever release of the source
font it cuts: which characters, which tables, the names, the style and the
line. `release` is the rest, which comes from the source font itself.
"""

from fontTools.pens.recordingPen import RecordingPen
from fontTools.ttLib import TTFont

LINE = (("hhea", "ascent"), ("hhea", "descent"), ("hhea", "lineGap"),
        ("OS/2", "sTypoAscender"), ("OS/2", "sTypoDescender"), ("OS/2", "sTypoLineGap"),
        ("OS/2", "usWinAscent"), ("OS/2", "usWinDescent"))


def load(path):
    return TTFont(path, lazy=False)


def source_revision(font):
    """The source font's revision, which the subset keeps in head."""
    return "%.3f" % font["head"].fontRevision


def units_per_em(font):
    return font["head"].unitsPerEm


def line(font):
    """The vertical metrics the generator sets, in the font's units."""
    return {"%s.%s" % (table, field): getattr(font[table], field) for table, field in LINE}


def _names(font, keep_copyright):
    return {"%d/%d/%d/0x%x" % (n.nameID, n.platformID, n.platEncID, n.langID): n.toUnicode()
            for n in font["name"].names if keep_copyright or n.nameID != 0}


def _cff_names(font):
    cff = font["CFF "].cff
    top = cff.topDictIndex[0]
    out = {"FontName": list(cff.fontNames)}
    for key in ("FullName", "FamilyName", "Weight"):
        if hasattr(top, key) or key in top.rawDict:
            out[key] = getattr(top, key)
    if hasattr(top, "FDArray"):
        out["FDArray"] = [getattr(fd, "FontName", None) for fd in top.FDArray]
    return out


def choices(font):
    os2, head = font["OS/2"], font["head"]
    return {
        "tables": sorted(tag for tag in font.keys() if tag != "GlyphOrder"),
        "characters": "".join(sorted(chr(c) for c in font.getBestCmap())),
        "names": _names(font, keep_copyright=False),
        "cff names": _cff_names(font),
        "style": {"usWeightClass": os2.usWeightClass, "fsSelection": os2.fsSelection,
                  "macStyle": head.macStyle},
    }


def _glyph(font, glyphs, name):
    pen = RecordingPen()
    glyphs[name].draw(pen)
    advance, lsb = font["hmtx"][name]
    return {"advance": advance, "lsb": lsb, "outline": pen.value}


def release(font):
    glyphs = font.getGlyphSet()
    head, hhea, os2, post = font["head"], font["hhea"], font["OS/2"], font["post"]
    return {
        "revision": source_revision(font),
        "glyph count": len(font.getGlyphOrder()),
        ".notdef": _glyph(font, glyphs, font.getGlyphOrder()[0]),
        "characters": {"U+%04X" % c: _glyph(font, glyphs, name)
                       for c, name in sorted(font.getBestCmap().items())},
        "head": {"unitsPerEm": head.unitsPerEm,
                 "bbox": (head.xMin, head.yMin, head.xMax, head.yMax)},
        "line": line(font),
        "hhea": {"advanceWidthMax": hhea.advanceWidthMax},
        "OS/2": {key: getattr(os2, key) for key in (
            "usWidthClass", "fsType", "sxHeight", "sCapHeight", "ySubscriptXSize",
            "ySubscriptYSize", "ySuperscriptXSize", "ySuperscriptYSize", "yStrikeoutSize",
            "yStrikeoutPosition", "sFamilyClass", "achVendID")},
        "post": {key: getattr(post, key) for key in (
            "italicAngle", "underlinePosition", "underlineThickness", "isFixedPitch")},
        "copyright": _names(font, keep_copyright=True).get("0/3/1/0x409"),
    }


def differences(a, b, path=""):
    """Where two dumps differ, as paths like characters/U+0041/outline."""
    if isinstance(a, dict) and isinstance(b, dict):
        out = []
        for key in sorted(set(a) | set(b), key=str):
            where = "%s/%s" % (path, key) if path else str(key)
            if key not in a or key not in b:
                out.append(where + (" (only committed)" if key in a else " (only fresh)"))
            else:
                out += differences(a[key], b[key], where)
        return out
    return [] if a == b else [path]
