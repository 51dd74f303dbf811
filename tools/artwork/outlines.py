"""Glyph outlines as flat polygons, and a small exact scanline rasteriser.

Everything here is plain arithmetic on lists and numpy arrays, so the same
input gives the same bytes on every run and every machine.
"""

import math

import numpy as np
import pyclipper
from fontTools.pens.basePen import BasePen
from fontTools.ttLib import TTFont

# Clipper works on integers: outlines are kept in font units times this.
CLIP_SCALE = 64


class _FlattenPen(BasePen):
    """Collects a glyph's contours as point lists, curves cut into short chords."""

    def __init__(self, glyph_set, step):
        super().__init__(glyph_set)
        self.step = step
        self.contours = []
        self._current = None

    def _moveTo(self, pt):
        self._current = [pt]

    def _lineTo(self, pt):
        self._current.append(pt)

    def _curveToOne(self, p1, p2, p3):
        p0 = self._current[-1]
        n = self._segments(p0, p1, p2, p3)
        for i in range(1, n + 1):
            t = i / n
            u = 1 - t
            x = u**3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t**3 * p3[0]
            y = u**3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t**3 * p3[1]
            self._current.append((x, y))

    def _qCurveToOne(self, p1, p2):
        p0 = self._current[-1]
        n = self._segments(p0, p1, p2)
        for i in range(1, n + 1):
            t = i / n
            u = 1 - t
            x = u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0]
            y = u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]
            self._current.append((x, y))

    def _segments(self, *pts):
        length = sum(math.dist(a, b) for a, b in zip(pts, pts[1:]))
        return max(2, min(24, int(math.ceil(length / self.step))))

    def _closePath(self):
        if self._current and len(self._current) > 2:
            if self._current[0] == self._current[-1]:
                self._current.pop()
            self.contours.append(self._current)
        self._current = None

    _endPath = _closePath


class OutlineFont:
    """One face of a font file, giving glyph outlines in font units (y up)."""

    def __init__(self, path, font_number=0):
        self.font = TTFont(path, fontNumber=font_number, lazy=True)
        self.glyph_set = self.font.getGlyphSet()
        self.cmap = self.font.getBestCmap()
        self.units_per_em = self.font["head"].unitsPerEm

    def advance(self, char):
        name = self.cmap[ord(char)]
        return self.font["hmtx"][name][0]

    def contours(self, char, step=None):
        name = self.cmap[ord(char)]
        pen = _FlattenPen(self.glyph_set, step or self.units_per_em / 60)
        self.glyph_set[name].draw(pen)
        return pen.contours


def to_clip(contours):
    return [[(round(x * CLIP_SCALE), round(y * CLIP_SCALE)) for x, y in c] for c in contours]


def from_clip(paths):
    return [[(x / CLIP_SCALE, y / CLIP_SCALE) for x, y in p] for p in paths]


def merged(contours):
    """Unites a glyph's contours under the non-zero rule, so that an even-odd
    fill of the result paints exactly what the font means."""
    pc = pyclipper.Pyclipper()
    pc.AddPaths(to_clip(contours), pyclipper.PT_SUBJECT, True)
    return from_clip(pc.Execute(pyclipper.CT_UNION, pyclipper.PFT_NONZERO,
                                pyclipper.PFT_NONZERO))


def _offset(paths, amount, arc_tolerance):
    po = pyclipper.PyclipperOffset(2.0, arc_tolerance * CLIP_SCALE)
    po.AddPaths(paths, pyclipper.JT_ROUND, pyclipper.ET_CLOSEDPOLYGON)
    return po.Execute(amount * CLIP_SCALE)


def _area(paths):
    return sum(pyclipper.Area(p) for p in paths)


def rounded(contours, radius, grow, arc_tolerance=1.5):
    """Rounds every outer corner of the merged outline to `radius` font units
    and makes its strokes `grow` units fatter on each side: shrink by
    radius - grow, then grow by radius with round joins. A stroke thinner
    than twice the shrink would vanish; that is refused rather than drawn
    (corners alone never cost more than a few per cent of the area)."""
    pc = pyclipper.Pyclipper()
    pc.AddPaths(to_clip(contours), pyclipper.PT_SUBJECT, True)
    united = pc.Execute(pyclipper.CT_UNION, pyclipper.PFT_NONZERO, pyclipper.PFT_NONZERO)
    inset = radius - grow
    shrunk = _offset(united, -inset, arc_tolerance)
    reopened = _offset(shrunk, inset, arc_tolerance)
    if _area(reopened) < 0.97 * _area(united):
        raise ValueError("rounding by %g units would lose a stroke" % radius)
    return from_clip(_offset(shrunk, radius, arc_tolerance))


def transform(contours, scale, x0, y0):
    """Font units (y up) to picture units (y down) with the origin at (x0, y0)."""
    return [[(x0 + x * scale, y0 - y * scale) for x, y in c] for c in contours]


def mask(contours, width, height, ss=4, rule="evenodd"):
    """Which samples of an ss x ss grid per pixel the polygons cover.
    Coordinates are in pixels, y down; the result has shape
    (height*ss, width*ss)."""
    W, H = width * ss, height * ss
    toggles = np.zeros((H, W + 1), dtype=np.int32)
    for c in contours:
        pts = np.asarray(c, dtype=np.float64) * ss
        for (x0, y0), (x1, y1) in zip(pts, np.roll(pts, -1, axis=0)):
            if y0 == y1:
                continue
            direction = 1 if y1 > y0 else -1
            lo, hi = (y0, y1) if y0 < y1 else (y1, y0)
            j0 = max(0, int(math.ceil(lo - 0.5)))
            j1 = min(H, int(math.ceil(hi - 0.5)))
            if j1 <= j0:
                continue
            rows = np.arange(j0, j1)
            xs = x0 + (rows + 0.5 - y0) * (x1 - x0) / (y1 - y0)
            cols = np.clip(np.ceil(xs - 0.5).astype(np.int64), 0, W)
            np.add.at(toggles, (rows, cols), direction)
    wind = np.cumsum(toggles[:, :W], axis=1)
    return (wind % 2 != 0) if rule == "evenodd" else (wind != 0)
