"""The countdown notice: one line of heavy rounded glyphs as a placeable
Windows metafile.

The line reads 時間倒數到 0 關閉啓動器. Each glyph is an outline filled in
yellow over a near-black copy of itself moved a little to the lower right;
nothing else is painted, so whatever lies behind shows between the glyphs.
The file has no text or font records: the glyph outlines are the drawing,
so no font is needed to show it.

Logical window 16000 x 1289 units; the placeable header gives the picture
4.171 x 0.336 inch (about 400 x 32 px at 96 dpi).
"""

import struct

import lettering

TEXT = "時間倒數到 0 關閉啓動器"   # 啓 is U+5553, the Taiwan form
EXTENT = (16000, 1289)
BBOX = (-3033, 1704, 1138, 2040)    # left, top, right, bottom in 1/1000 inch
UNITS_PER_INCH = 1000
SHADOW_SHIFT = (86.4, 64.45)        # 0.54 % of the width, 5 % of the height
SHADOW = (18, 20, 21)
YELLOW = (241, 237, 59)
MARGIN = 16.0                       # logical units kept clear at every edge
SPACE = 0.25                        # of an em, for each blank around the 0

# Record functions.
META_SETMAPMODE = 0x0103
META_SETWINDOWORG = 0x020B
META_SETWINDOWEXT = 0x020C
META_SETPOLYFILLMODE = 0x0106
META_CREATEPENINDIRECT = 0x02FA
META_CREATEBRUSHINDIRECT = 0x02FC
META_SELECTOBJECT = 0x012D
META_DELETEOBJECT = 0x01F0
META_POLYGON = 0x0324
META_POLYPOLYGON = 0x0538
META_EOF = 0x0000
MM_ANISOTROPIC = 8
ALTERNATE = 1
PS_NULL = 5
BS_SOLID = 0


def _layout():
    """The glyphs as contour lists in logical units, y down."""
    face = lettering.font(lettering.SANS_TC_BOLD)
    shapes = [(ch, lettering.heavy_rounded(ch)) for ch in TEXT if ch != " "]
    top = max(max(y for c in s for _, y in c) for _, s in shapes)
    bottom = min(min(y for c in s for _, y in c) for _, s in shapes)
    usable_h = EXTENT[1] - 2 * MARGIN - SHADOW_SHIFT[1]
    scale = usable_h / (top - bottom)
    em = face.units_per_em * scale

    inks = []
    for ch, s in shapes:
        xs = [x for c in s for x, _ in c]
        inks.append((min(xs) * scale, max(xs) * scale))
    ink_total = sum(r - l for l, r in inks)
    blanks = TEXT.count(" ") * SPACE * em
    gaps = len(shapes) - 1
    usable_w = EXTENT[0] - 2 * MARGIN - SHADOW_SHIFT[0]
    gap = (usable_w - ink_total - blanks) / gaps

    glyphs = []
    x = MARGIN
    blank_pending = 0.0
    shape_iter = iter(zip(shapes, inks))
    for ch in TEXT:
        if ch == " ":
            blank_pending += SPACE * em
            continue
        (_, s), (left, right) = next(shape_iter)
        x += blank_pending
        blank_pending = 0.0
        x0 = x - left
        glyphs.append([[(x0 + px * scale, MARGIN + (top - py) * scale) for px, py in c]
                       for c in s])
        x += (right - left) + gap
    return glyphs


def _on_grid(contours):
    """Drops points that land on the same whole logical unit as the point
    before them; keeps the exact positions of the rest."""
    out = []
    for c in contours:
        kept = []
        for x, y in c:
            if not kept or _whole(kept[-1]) != _whole((x, y)):
                kept.append((x, y))
        if len(kept) > 1 and _whole(kept[0]) == _whole(kept[-1]):
            kept.pop()
        if len(kept) >= 3:
            out.append(kept)
    return out


def _whole(p, dx=0.0, dy=0.0):
    return int(round(p[0] + dx)), int(round(p[1] + dy))


def _placed(contours, dx=0.0, dy=0.0):
    """Whole logical units; the shadow rounds its own shifted positions, so
    each of its points lies 86 or 87 units right of the glyph's and 64 or 65
    units below it."""
    return [[_whole(p, dx, dy) for p in c] for c in contours]


def _bridged(outer, inner):
    """One polygon for a ring: the outer contour, a horizontal cut to the
    inner one, round the inner one, and back along the cut. Under alternate
    filling the two passes of the cut cancel and, being horizontal (both
    ends share one y, also after rounding), never cross a scan line."""
    j = min(range(len(inner)), key=lambda k: (inner[k][0], inner[k][1]))
    xi, yi = inner[j]
    best = None
    n = len(outer)
    for i in range(n):
        (x0, y0), (x1, y1) = outer[i], outer[(i + 1) % n]
        if (y0 - yi) * (y1 - yi) > 0 or y0 == y1:
            continue
        xc = x0 + (yi - y0) * (x1 - x0) / (y1 - y0)
        if xc < xi and (best is None or xc > best[1]):
            best = (i, xc)
    i, xc = best
    cut = (xc, yi)
    ring_in = inner[j:] + inner[:j] + [inner[j]]
    return outer[:i + 1] + [cut] + ring_in + [cut] + outer[i + 1:]


def _single_polygon(contours):
    outer = max(contours, key=lambda c: _area(c))
    rest = [c for c in contours if c is not outer]
    if len(rest) != 1:
        raise ValueError("a single polygon is made only of a ring")
    return _bridged(outer, rest[0])


def _area(c):
    return abs(sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(c, c[1:] + c[:1]))) / 2


def _record(function, words):
    return struct.pack("<IH", 3 + len(words), function) + struct.pack("<%dh" % len(words), *words)


def _colorref(rgb):
    value = rgb[0] | rgb[1] << 8 | rgb[2] << 16
    return [value & 0xFFFF, value >> 16]


def _u16s(values):
    return [v - 0x10000 if v >= 0x8000 else v for v in values]


def _fill(records, colour, glyph, single):
    records.append(_record(META_CREATEBRUSHINDIRECT,
                           _u16s([BS_SOLID] + _colorref(colour) + [0])))
    records.append(_record(META_SELECTOBJECT, [1]))
    if single:
        (pts,) = glyph
        records.append(_record(META_POLYGON, [len(pts)] + [v for p in pts for v in p]))
    else:
        words = [len(glyph)] + [len(c) for c in glyph] + [v for c in glyph for p in c for v in p]
        records.append(_record(META_POLYPOLYGON, words))
    records.append(_record(META_DELETEOBJECT, [1]))


def build():
    glyphs = _layout()
    chars = [ch for ch in TEXT if ch != " "]
    records = [
        _record(META_SETMAPMODE, [MM_ANISOTROPIC]),
        _record(META_SETWINDOWORG, [0, 0]),
        _record(META_SETWINDOWEXT, [EXTENT[1], EXTENT[0]]),
        _record(META_SETPOLYFILLMODE, [ALTERNATE]),
        _record(META_CREATEPENINDIRECT, _u16s([PS_NULL, 0, 0] + _colorref((0, 0, 0)))),
        _record(META_SELECTOBJECT, [0]),
    ]
    glyphs = [_on_grid(g) for g in glyphs]
    glyphs = [[_single_polygon(g)] if ch == "0" else g for ch, g in zip(chars, glyphs)]
    for ch, g in zip(chars, glyphs):
        _fill(records, SHADOW, _placed(g, *SHADOW_SHIFT), ch == "0")
    for ch, g in zip(chars, glyphs):
        _fill(records, YELLOW, _placed(g), ch == "0")
    records.append(_record(META_EOF, []))

    body = b"".join(records)
    size_words = (18 + len(body)) // 2
    largest = max(len(r) // 2 for r in records)
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, size_words, 2, largest, 0)
    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, *BBOX, UNITS_PER_INCH, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", placeable):
        checksum ^= word
    return placeable + struct.pack("<H", checksum) + header + body
