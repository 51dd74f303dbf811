"""The two label fonts, cut down to the characters the launcher can show.

"LOMA Ming" (bold) stands in for the Traditional Chinese Ming face of the
labels: Noto Serif CJK TC Bold, with the Taiwan forms. "LOMA Black" stands
in for the black-weight sans of the countdown number: Inter Black. Both are
OFL fonts; a modified version must not keep the original's names, so both
carry names of our own, and their licence files sit beside them.

Vertical metrics are set the way the faces they stand in for have them: the
Ming face's line is exactly one em (13 px text, 13 px line), from the top of
the ideographic em box to its bottom; the black face keeps the tall line of
a classic black sans (1.41 em). The Windows ascent and descent, the typo
metrics and hhea agree, so GDI and Pango lay out the same line height.
Kerning and other layout tables are dropped: GDI draws label text without
them, and Pango must measure the same widths.
"""

import io
import re

from fontTools import subset
from fontTools.ttLib import TTFont, newTable

NOTO_SERIF_CJK_BOLD = "/usr/share/fonts/opentype/noto/NotoSerifCJK-Bold.ttc"
NOTO_TC_INDEX = 3
INTER_BLACK = "/usr/share/fonts/opentype/inter/Inter-Black.otf"
NOTO_COPYRIGHT = "/usr/share/doc/fonts-noto-cjk/copyright"
INTER_COPYRIGHT = "/usr/share/doc/fonts-inter/copyright"

ASCII = "".join(chr(c) for c in range(0x20, 0x7F))
# Every Chinese text of the program: the close button's caption and both
# status messages.
CHINESE_TEXTS = ["關閉", "ZAVRO Fi 診斷系統", "已經啟動", "未發現 診斷系統"]

DROP_TABLES = ["GSUB", "GPOS", "GDEF", "BASE", "JSTF", "vhea", "vmtx", "VORG", "DSIG",
               "meta", "STAT"]

MING = {
    "source": (NOTO_SERIF_CJK_BOLD, NOTO_TC_INDEX),
    "family": "LOMA Ming",
    "style": "Bold",
    "postscript": "LOMAMing-Bold",
    "weight": 700,
    "bold": True,
    # The ideographic em box of Noto CJK runs from 880 above the baseline
    # to 120 below it: the line is that box.
    "ascent_em": 0.880,
    "descent_em": 0.120,
    "text": ASCII + "".join(CHINESE_TEXTS),
    "licence_from": NOTO_COPYRIGHT,
    "licence_name": "SIL-1.1",
    "origin": "Noto Serif CJK TC Bold (Debian package fonts-noto-cjk)",
}

BLACK = {
    "source": (INTER_BLACK, 0),
    "family": "LOMA Black",
    "style": "Regular",
    "postscript": "LOMABlack",
    "weight": 900,
    "bold": False,
    # A black sans of the classic kind: 2254 / 634 per 2048 units.
    "ascent_em": 2254 / 2048,
    "descent_em": 634 / 2048,
    "text": ASCII,
    "licence_from": INTER_COPYRIGHT,
    "licence_name": "OFL-1.1",
    "origin": "Inter Black (Debian package fonts-inter)",
}

VERSION = "Version 1.00"


def _subset(face):
    path, number = face["source"]
    font = TTFont(path, fontNumber=number, recalcTimestamp=False, lazy=False)
    options = subset.Options()
    options.layout_features = []
    options.drop_tables += DROP_TABLES
    options.name_IDs = [0]            # keep the copyright notice; the rest is ours
    options.name_languages = [0x409]
    options.notdef_outline = True
    options.desubroutinize = True
    options.hinting = True
    options.glyph_names = False
    sub = subset.Subsetter(options)
    sub.populate(text=face["text"])
    sub.subset(font)
    return font


def _names(font, face):
    name = font["name"]
    copyright_ = name.getDebugName(0)
    table = newTable("name")
    table.names = []
    full = face["family"] + ("" if face["style"] == "Regular" else " " + face["style"])
    records = {
        0: copyright_ + " Modified for the LOMA launcher.",
        1: face["family"],
        2: face["style"],
        3: VERSION.split()[1] + ";LOMA;" + face["postscript"],
        4: full,
        5: VERSION,
        6: face["postscript"],
        13: "This Font Software is licensed under the SIL Open Font License, Version 1.1.",
        14: "https://openfontlicense.org",
    }
    for name_id, text in records.items():
        table.setName(text, name_id, 3, 1, 0x409)
        table.setName(text, name_id, 1, 0, 0)
    font["name"] = table


def _metrics(font, face):
    upm = font["head"].unitsPerEm
    ascent = round(face["ascent_em"] * upm)
    descent = round(face["descent_em"] * upm)
    os2 = font["OS/2"]
    os2.usWinAscent, os2.usWinDescent = ascent, descent
    os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = ascent, -descent, 0
    hhea = font["hhea"]
    hhea.ascent, hhea.descent, hhea.lineGap = ascent, -descent, 0
    os2.usWeightClass = face["weight"]
    fs = os2.fsSelection & ~(0x01 | 0x20 | 0x40)   # italic, bold, regular
    fs |= 0x20 if face["bold"] else 0x40
    fs |= 0x80                                     # use the typo metrics
    os2.fsSelection = fs
    if os2.version < 4:
        os2.version = 4
    font["head"].macStyle = 0x01 if face["bold"] else 0x00


def _cff_names(font, face):
    cff = font["CFF "].cff
    cff.fontNames = [face["postscript"]]
    top = cff.topDictIndex[0]
    for key, value in (("FullName", face["family"] + " " + face["style"]),
                       ("FamilyName", face["family"]), ("Weight", face["style"])):
        if hasattr(top, key) or key in top.rawDict:
            setattr(top, key, value)
    if hasattr(top, "FDArray"):
        for i, fd in enumerate(top.FDArray):
            if hasattr(fd, "FontName"):
                fd.FontName = "%s-%d" % (face["postscript"], i)


def build(face):
    font = _subset(face)
    _names(font, face)
    _metrics(font, face)
    _cff_names(font, face)
    out = io.BytesIO()
    font.save(out)
    return out.getvalue()


def licence(face):
    """Where the font comes from, what was changed, and the licence text as
    Debian ships it with the original."""
    with open(face["licence_from"], encoding="utf-8") as f:
        text = f.read()
    m = re.search(r"^License: %s\n((?: .*\n?)+)" % re.escape(face["licence_name"]), text, re.M)
    if not m:
        raise ValueError("no %s licence text in %s" % (face["licence_name"], face["licence_from"]))
    body = []
    for line in m.group(1).splitlines():
        line = line[1:]
        body.append("" if line == "." else line)
    font = TTFont(face["source"][0], fontNumber=face["source"][1], lazy=True)
    origin_copyright = font["name"].getDebugName(0)
    head = [
        "%s (%s)" % (face["family"], face["style"]),
        "",
        "A modified version of %s," % face["origin"],
        origin_copyright,
        "",
        "Changes: reduced to the characters that the LOMA launcher shows; renamed;",
        "vertical metrics set for its labels; layout tables removed.",
        "The font is distributed under the SIL Open Font License 1.1, as follows.",
        "",
    ]
    return ("\n".join(head + body).rstrip() + "\n").encode("utf-8")
