"""Format checks of the committed launcher assets.

Run with: /usr/bin/python3 -m unittest discover -s tests/assets -v
Needs Debian's python3-pil and python3-numpy, djpeg from libjpeg-turbo-progs;
the resource script checks need x86_64-w64-mingw32-windres, the rerun check
the generator's Debian packages (see tools/artwork/README.md).
"""

import io
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

import numpy as np
from PIL import Image

try:
    import font_dump  # fontTools, which only the generator tests need
except ImportError:
    font_dump = None

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
ASSETS = os.path.join(ROOT, "assets")

JPEGS = {  # name: (width, height)
    "backdrop.jpg": (572, 252),
    "up_face.jpg": (440, 120),
    "down_face.jpg": (440, 120),
    "title_banner.jpg": (464, 74),
}


def read(name):
    with open(os.path.join(ASSETS, name), "rb") as f:
        return f.read()


def djpeg(name):
    """Decoded with libjpeg-turbo's accurate integer IDCT."""
    out = subprocess.run(["djpeg", "-dct", "int", "-pnm", os.path.join(ASSETS, name)],
                         stdout=subprocess.PIPE, check=True).stdout
    return np.asarray(Image.open(io.BytesIO(out)).convert("RGB")).astype(int)


def jpeg_segments(data):
    """(marker, payload) up to and including SOS, then the entropy-coded data."""
    assert data[:2] == b"\xff\xd8"
    pos, segments = 2, []
    while True:
        assert data[pos] == 0xFF, "segment does not start with a marker at %d" % pos
        marker = data[pos + 1]
        length = struct.unpack_from(">H", data, pos + 2)[0]
        segments.append((marker, data[pos + 4:pos + 2 + length]))
        pos += 2 + length
        if marker == 0xDA:
            return segments, data[pos:]


def near(actual, expected, tolerance):
    return all(abs(int(a) - int(e)) <= tolerance for a, e in zip(actual, expected))


class JpegFormatTests(unittest.TestCase):
    """JFIF 1.02 at 96 dpi, baseline 4:4:4, restart per row, sRGB profile."""

    def test_jfif_header(self):
        for name in JPEGS:
            with self.subTest(name):
                segments, _ = jpeg_segments(read(name))
                marker, app0 = segments[0]
                self.assertEqual(marker, 0xE0)
                self.assertEqual(app0[:5], b"JFIF\x00")
                version, units, xd, yd = struct.unpack_from(">HBHH", app0, 5)
                self.assertEqual((version, units, xd, yd), (0x0102, 1, 96, 96))

    def test_baseline_three_components_without_subsampling(self):
        for name, size in JPEGS.items():
            with self.subTest(name):
                segments, _ = jpeg_segments(read(name))
                markers = [m for m, _ in segments]
                self.assertIn(0xC0, markers, "no baseline SOF0")
                for sof in (0xC1, 0xC2, 0xC3, 0xC9, 0xCA):
                    self.assertNotIn(sof, markers)
                sof0 = dict(segments)[0xC0]
                precision, h, w, n = struct.unpack_from(">BHHB", sof0)
                self.assertEqual((precision, w, h, n), (8, size[0], size[1], 3))
                for i in range(3):
                    self.assertEqual(sof0[6 + 3 * i + 1], 0x11, "component %d subsampled" % i)

    def test_restart_marker_after_every_row_of_blocks(self):
        for name, (w, h) in JPEGS.items():
            with self.subTest(name):
                segments, scan = jpeg_segments(read(name))
                dri = dict(segments).get(0xDD)
                self.assertIsNotNone(dri, "no restart interval")
                self.assertEqual(struct.unpack(">H", dri)[0], (w + 7) // 8)
                found = [m for m in re.findall(rb"\xff([\xd0-\xd7])", scan)]
                rows = (h + 7) // 8
                self.assertEqual(len(found), rows - 1)
                self.assertEqual([m[0] - 0xD0 for m in found], [i % 8 for i in range(rows - 1)])
                self.assertEqual(scan[-2:], b"\xff\xd9")

    def test_embedded_srgb_profile(self):
        for name in JPEGS:
            with self.subTest(name):
                segments, _ = jpeg_segments(read(name))
                chunks = sorted((p[12], p[14:]) for m, p in segments
                                if m == 0xE2 and p[:12] == b"ICC_PROFILE\x00")
                self.assertTrue(chunks, "no ICC profile")
                profile = b"".join(c for _, c in chunks)
                self.assertEqual(struct.unpack_from(">I", profile)[0], len(profile))
                self.assertEqual(profile[12:24], b"mntrRGB XYZ ")
                self.assertEqual(profile[36:40], b"acsp")
                count = struct.unpack_from(">I", profile, 128)[0]
                tags = {profile[132 + 12 * i:136 + 12 * i]:
                        struct.unpack_from(">II", profile, 136 + 12 * i) for i in range(count)}
                for sig in (b"desc", b"wtpt", b"rXYZ", b"gXYZ", b"bXYZ", b"rTRC", b"gTRC",
                            b"bTRC", b"cprt"):
                    self.assertIn(sig, tags)
                    off, size = tags[sig]
                    self.assertLessEqual(off + size, len(profile))
                off, _ = tags[b"desc"]
                self.assertEqual(profile[off:off + 4], b"desc")
                n = struct.unpack_from(">I", profile, off + 8)[0]
                self.assertEqual(profile[off + 12:off + 12 + n], b"sRGB IEC61966-2.1\x00")

    def test_decodes_to_designed_size(self):
        for name, (w, h) in JPEGS.items():
            with self.subTest(name):
                self.assertEqual(djpeg(name).shape, (h, w, 3))


class PictureContentTests(unittest.TestCase):
    """The colours and shapes the pictures are drawn with (JPEG error allowed)."""

    def test_down_face_is_up_face_turned_half_a_turn(self):
        up, down = djpeg("up_face.jpg"), djpeg("down_face.jpg")
        self.assertTrue(np.array_equal(down, up[::-1, ::-1]))

    def test_up_face(self):
        img = djpeg("up_face.jpg")
        self.assertTrue(near(img[10, 220], (232, 69, 70), 6), img[10, 220])   # field
        self.assertTrue(near(img[60, 6], (232, 69, 70), 6))
        edge = img[0, 100:340].mean(axis=0)
        self.assertGreater(edge.sum(), img[10, 100:340].mean(axis=0).sum() + 30,
                           "no lighter one-pixel edge")
        top_inside, bottom_inside = img[24, 220], img[96, 220]
        self.assertGreater(top_inside.sum(), bottom_inside.sum() + 150, "not lit from above")
        self.assertGreater(img[28:40, 24:40].sum(axis=2).max(), 700, "no white highlight")
        self.assertLess(img[80:96, 395:418].sum(axis=2).min(), 120, "no near-black shading")
        self.assertLess(img[18, 220].sum(), img[102, 220].sum() - 100,
                        "groove should be dark above and pale below")

    def test_backdrop(self):
        img = djpeg("backdrop.jpg")
        field = (127, 160, 191)
        for y, x in ((126, 286), (0, 286), (126, 0), (251, 300), (2, 2), (249, 569)):
            self.assertTrue(near(img[y, x], field, 6), (y, x, img[y, x]))
        # Top side: light outside, dark inside; bottom side the other way round.
        self.assertGreater(img[4, 286].sum(), img[19, 286].sum() + 200)
        self.assertGreater(img[233, 286].sum(), img[248, 286].sum() + 200)
        self.assertGreater(img[126, 4].sum(), img[126, 19].sum() + 200)
        self.assertGreater(img[126, 553].sum(), img[126, 568].sum() + 200)
        self.assertLess(img[249, 286].sum(), 75, "bottom side not near black outside")
        self.assertLess(img[126, 569].sum(), 75, "right side not near black outside")
        # The inner corners are square: the frame reaches the field's corner.
        self.assertLess(img[20, 20].sum(), 200)
        self.assertTrue(near(img[21, 21], field, 8), img[21, 21])

    def test_title_banner(self):
        img = djpeg("title_banner.jpg")
        teal = img[3, 40:420].mean(axis=0)
        self.assertTrue(near(teal, (0, 164, 165), 60), teal)
        self.assertLess(img[8, 40:420].mean(axis=0).sum(), 60, "no black line inside the top bar")
        self.assertLess(img[69, 40:420].mean(axis=0).sum(), 60, "no black line below the bottom bar")
        self.assertTrue(near(img[37, 16], (235, 225, 12), 25), img[37, 16])
        self.assertTrue(near(img[14, 16], (159, 194, 48), 25), img[14, 16])
        field = img[13:61, 13:451].reshape(-1, 3)
        red = (field[:, 0] > 180) & (field[:, 1] < 50) & (field[:, 2] < 50)
        self.assertGreater(red.mean(), 0.15, "too little red lettering")


def wmf_records(data):
    pos, out = 22 + 18, []
    while pos < len(data):
        size, func = struct.unpack_from("<IH", data, pos)
        out.append((func, data[pos + 6:pos + size * 2], size))
        pos += size * 2
    return out


def words(raw):
    return struct.unpack("<%dh" % (len(raw) // 2), raw)


def fill_area(polys, rule, scale=0.1):
    """Samples inside the polygons on a grid, by even-odd or non-zero winding."""
    rows = np.arange(0, 1289 * scale) + 0.5
    total = 0
    for y in rows:
        crossings = []
        for p in polys:
            pts = np.asarray(p, dtype=float) * scale
            a, b = pts, np.roll(pts, -1, axis=0)
            hit = (a[:, 1] <= y) != (b[:, 1] <= y)
            xs = a[hit, 0] + (y - a[hit, 1]) * (b[hit, 0] - a[hit, 0]) / (b[hit, 1] - a[hit, 1])
            crossings += list(zip(xs, np.where(b[hit, 1] > a[hit, 1], 1, -1)))
        crossings.sort()
        wind = 0
        for (x0, d), (x1, _) in zip(crossings, crossings[1:]):
            wind += d
            if (wind % 2 != 0) if rule == "evenodd" else (wind != 0):
                total += np.floor(x1) - np.floor(x0)
    return total


class CountdownNoticeTests(unittest.TestCase):
    """Placeable metafile of eleven outlined glyphs and their shadows."""

    @classmethod
    def setUpClass(cls):
        cls.data = read("countdown_notice.wmf")
        cls.records = wmf_records(cls.data)

    def test_placeable_header(self):
        key, hmf, l, t, r, b, inch, reserved, checksum = struct.unpack_from("<IHhhhhHIH", self.data)
        self.assertEqual(key, 0x9AC6CDD7)
        self.assertEqual((l, t, r, b, inch), (-3033, 1704, 1138, 2040, 1000))
        x = 0
        for (w,) in struct.iter_unpack("<H", self.data[:20]):
            x ^= w
        self.assertEqual(checksum, x)

    def test_metafile_header(self):
        mtype, hsize, version, size, nobj, maxrec, nparams = struct.unpack_from("<HHHIHIH", self.data, 22)
        self.assertEqual((mtype, hsize, version, nparams), (1, 9, 0x0300, 0))
        self.assertEqual(size * 2, len(self.data) - 22)
        self.assertEqual(maxrec, max(s for _, _, s in self.records))
        self.assertEqual(self.records[-1][0], 0)
        # Objects alive at once: the pen and one brush.
        self.assertGreaterEqual(nobj, 2)

    def test_set_up_records(self):
        head = [(f, words(raw)) for f, raw, _ in self.records[:6]]
        self.assertEqual(head[0], (0x0103, (8,)))                 # MM_ANISOTROPIC
        self.assertEqual(head[1], (0x020B, (0, 0)))
        self.assertEqual(head[2], (0x020C, (1289, 16000)))
        self.assertEqual(head[3], (0x0106, (1,)))                 # ALTERNATE
        self.assertEqual(head[4][0], 0x02FA)
        self.assertEqual(head[4][1][0], 5)                        # PS_NULL
        self.assertEqual(head[5], (0x012D, (0,)))

    def fills(self):
        body = self.records[6:-1]
        self.assertEqual(len(body) % 4, 0)
        out = []
        for i in range(0, len(body), 4):
            (cf, craw, _), (sf, sraw, _), (df, draw, _), (xf, xraw, _) = body[i:i + 4]
            self.assertEqual((cf, sf, xf), (0x02FC, 0x012D, 0x01F0))
            style, lo, hi, _ = struct.unpack("<HHHH", craw)
            self.assertEqual(style, 0)                              # BS_SOLID
            self.assertEqual(words(sraw), words(xraw))             # the brush just made
            colour = ((lo | hi << 16) & 0xFF, (lo >> 8) & 0xFF, (lo | hi << 16) >> 16)
            w = words(draw)
            if df == 0x0324:
                polys = [list(zip(w[1::2], w[2::2]))]
            else:
                self.assertEqual(df, 0x0538)
                n = w[0]
                counts, flat, polys, k = w[1:1 + n], w[1 + n:], [], 0
                for c in counts:
                    polys.append(list(zip(flat[2 * k:2 * (k + c):2], flat[2 * k + 1:2 * (k + c):2])))
                    k += c
            out.append((df, colour, polys))
        return out

    def test_shadows_first_then_yellow_glyphs(self):
        fills = self.fills()
        self.assertEqual(len(fills), 22)
        self.assertEqual([c for _, c, _ in fills], [(18, 20, 21)] * 11 + [(241, 237, 59)] * 11)
        kinds = [k for k, _, _ in fills[11:]]
        self.assertEqual(kinds, [0x0538] * 5 + [0x0324] + [0x0538] * 5)
        self.assertEqual(kinds, [k for k, _, _ in fills[:11]])

    def test_shadow_offset(self):
        fills = self.fills()
        for (_, _, shadow), (_, _, glyph) in zip(fills[:11], fills[11:]):
            self.assertEqual([len(p) for p in shadow], [len(p) for p in glyph])
            for sp, gp in zip(shadow, glyph):
                d = np.asarray(sp) - np.asarray(gp)
                self.assertTrue(set(d[:, 0]) <= {86, 87}, set(d[:, 0]))
                self.assertTrue(set(d[:, 1]) <= {64, 65}, set(d[:, 1]))

    def test_no_text_or_font_records(self):
        funcs = {f for f, _, _ in self.records}
        for text_or_font in (0x0521, 0x0A32, 0x02FB, 0x0626, 0x0B41, 0x0F43):
            self.assertNotIn(text_or_font, funcs)

    def test_glyphs_fit_the_window_and_fill_the_line(self):
        pts = np.array([p for _, _, polys in self.fills() for poly in polys for p in poly])
        self.assertGreaterEqual(pts.min(), 0)
        self.assertLessEqual(pts[:, 0].max(), 16000)
        self.assertLessEqual(pts[:, 1].max(), 1289)
        self.assertGreater(np.ptp(pts[:, 0]), 15000)
        self.assertGreater(np.ptp(pts[:, 1]), 1150)

    def test_overlaps_are_merged_so_even_odd_fills_like_non_zero(self):
        for kind, _, polys in self.fills()[11:]:
            with self.subTest(points=sum(map(len, polys))):
                even_odd = fill_area(polys, "evenodd")
                self.assertGreater(even_odd, 0)
                if kind == 0x0538:
                    self.assertEqual(even_odd, fill_area(polys, "nonzero"))


class IconTests(unittest.TestCase):
    """One 32 x 32, 8 bpp image with its mask; the same bytes as RT_ICON."""

    def test_layout(self):
        ico = read("window_icon.ico")
        self.assertEqual(len(ico), 2238)
        self.assertEqual(struct.unpack_from("<HHH", ico), (0, 1, 1))
        w, h, colours, res, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", ico, 6)
        self.assertEqual((w, h, colours, planes, bpp, size, offset), (32, 32, 0, 1, 8, 2216, 22))
        hdr = struct.unpack_from("<IiiHHI", ico, 22)
        self.assertEqual(hdr, (40, 32, 64, 1, 8, 0))
        self.assertEqual(22 + 40 + 256 * 4 + 1024 + 128, len(ico))

    def test_pixels(self):
        ico = read("window_icon.ico")
        pal = np.frombuffer(ico, np.uint8, 1024, 62).reshape(256, 4)[:, [2, 1, 0]]
        idx = np.frombuffer(ico, np.uint8, 1024, 62 + 1024).reshape(32, 32)[::-1]
        mask = np.unpackbits(np.frombuffer(ico, np.uint8, 128, 62 + 2048)).reshape(32, 32)[::-1]
        opaque = {tuple(pal[i]) for i in idx[mask == 0]}
        allowed = {(0, 0, 0), (0, 0, 255), (0, 255, 0), (255, 0, 255), (255, 0, 0)}
        self.assertTrue(opaque <= allowed, opaque - allowed)
        self.assertEqual(opaque, allowed)
        self.assertTrue(0.2 < (mask == 0).mean() < 0.8)
        colour = pal[idx]
        self.assertTrue((colour[0:23, 0:4] == (0, 0, 255)).all(), "no stem of a blue D")
        self.assertTrue(((colour[24:32] == (255, 0, 0)).all(axis=2) & (mask[24:32] == 0)).any())
        self.assertFalse(((colour[24:32] != (255, 0, 0)).any(axis=2) & (mask[24:32] == 0)).any(),
                         "bottom rows hold only red")
        # Pillow, an independent reader, agrees about transparency.
        with Image.open(os.path.join(ASSETS, "window_icon.ico")) as im:
            rgba = np.asarray(im.convert("RGBA"))
        self.assertTrue(np.array_equal(rgba[:, :, 3] == 0, mask == 1))

    def test_resource_data(self):
        ico = read("window_icon.ico")
        self.assertEqual(read("icon_image.bin"), ico[22:])
        group = read("icon_group.bin")
        self.assertEqual(len(group), 20)
        self.assertEqual(struct.unpack("<HHHBBBBHHIH", group),
                         (0, 1, 1, 32, 32, 0, 0, 1, 8, 2216, 30001))


class ThemeIconTests(unittest.TestCase):
    """The icon theme's sizes, all from the 32 x 32 window icon's pixels."""

    SIZES = (16, 24, 32, 48, 64, 128, 256)

    @staticmethod
    def theme(size):
        with Image.open(os.path.join(ASSETS, "icons", "loma-%d.png" % size)) as im:
            return im.mode, im.size, np.asarray(im).astype(int)

    @staticmethod
    def window_icon():
        with Image.open(os.path.join(ASSETS, "window_icon.ico")) as im:
            return np.asarray(im.convert("RGBA")).astype(int)

    @staticmethod
    def area_average(rgba, factor):
        """Blocks of factor x factor averaged, the colours weighted by alpha."""
        h, w = rgba.shape[0] // factor, rgba.shape[1] // factor
        blocks = rgba.reshape(h, factor, w, factor, 4).astype(float)
        alpha = blocks[..., 3].sum(axis=(1, 3))
        colour = (blocks[..., :3] * blocks[..., 3:]).sum(axis=(1, 3)) / np.maximum(alpha, 1)[..., None]
        return np.dstack([colour, alpha / factor ** 2])

    def test_png_holds_only_header_pixels_and_end(self):
        for size in self.SIZES:
            with self.subTest(size):
                data = read("icons/loma-%d.png" % size)
                self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
                pos, kinds = 8, []
                while pos < len(data):
                    length = struct.unpack_from(">I", data, pos)[0]
                    kinds.append(data[pos + 4:pos + 8])
                    pos += 12 + length
                self.assertEqual(kinds, [b"IHDR", b"IDAT", b"IEND"])
                self.assertEqual(struct.unpack_from(">IIBB", data, 16), (size, size, 8, 6))

    def test_32_is_the_window_icon(self):
        mode, size, pixels = self.theme(32)
        self.assertEqual((mode, size), ("RGBA", (32, 32)))
        icon = self.window_icon()
        self.assertTrue(np.array_equal(pixels[..., 3], icon[..., 3]))
        opaque = icon[..., 3] > 0
        self.assertTrue(np.array_equal(pixels[opaque], icon[opaque]))

    def test_whole_multiples_are_the_pixels_blown_up(self):
        small = self.theme(32)[2]
        for size in (64, 128, 256):
            with self.subTest(size):
                mode, dims, pixels = self.theme(size)
                self.assertEqual((mode, dims), ("RGBA", (size, size)))
                factor = size // 32
                self.assertTrue(np.array_equal(pixels, small.repeat(factor, 0).repeat(factor, 1)),
                                "not the 32 px pixels, each as a %d x %d block" % (factor, factor))

    def test_sizes_between_average_the_area_each_pixel_covers(self):
        small = self.theme(32)[2].astype(float)
        tripled = small.repeat(3, 0).repeat(3, 1)
        for size, want in ((16, self.area_average(small, 2)), (24, self.area_average(tripled, 4)),
                           (48, self.area_average(tripled, 2))):
            with self.subTest(size):
                mode, dims, pixels = self.theme(size)
                self.assertEqual((mode, dims), ("RGBA", (size, size)))
                self.assertLessEqual(np.abs(pixels[..., 3] - want[..., 3]).max(), 1)
                seen = pixels[..., 3] > 0
                self.assertLessEqual(np.abs(pixels[seen][:, :3] - want[seen][:, :3]).max(), 1)
                # Transparent where the icon is, fully opaque inside each letter.
                self.assertTrue((pixels[..., 3] == 0).any() and (pixels[..., 3] == 255).any())


def sfnt_tables(data):
    n = struct.unpack_from(">H", data, 4)[0]
    out = {}
    for i in range(n):
        tag, _, off, length = struct.unpack_from(">4sIII", data, 12 + 16 * i)
        out[tag.decode()] = data[off:off + length]
    return out


def sfnt_names(table, platforms=None):
    """Windows names by (id, language); with `platforms`, the English names of
    those platforms (1 Macintosh, 3 Windows) by (platform, id)."""
    _, count, storage = struct.unpack_from(">HHH", table)
    out = {}
    for i in range(count):
        pid, eid, lid, nid, length, off = struct.unpack_from(">6H", table, 6 + 12 * i)
        raw = table[storage + off:storage + off + length]
        if platforms is None and pid == 3:
            out[(nid, lid)] = raw.decode("utf-16-be")
        elif platforms and pid in platforms and (pid, eid, lid) in ((1, 0, 0), (3, 1, 0x409)):
            out[(pid, nid)] = raw.decode("utf-16-be" if pid == 3 else "mac-roman")
    return out


def cmap_chars(table):
    """Characters of the Windows Unicode BMP (format 4) subtable."""
    _, n = struct.unpack_from(">HH", table)
    for i in range(n):
        pid, eid, off = struct.unpack_from(">HHI", table, 4 + 8 * i)
        if (pid, eid) == (3, 1) and struct.unpack_from(">H", table, off)[0] == 4:
            segx2 = struct.unpack_from(">H", table, off + 6)[0]
            ends = struct.unpack_from(">%dH" % (segx2 // 2), table, off + 14)
            starts = struct.unpack_from(">%dH" % (segx2 // 2), table, off + 16 + segx2)
            return {chr(c) for s, e in zip(starts, ends) for c in range(s, e + 1) if c != 0xFFFF}
    return set()


def hmtx_advances(tables):
    """Advance width of each character, through cmap format 4 and hmtx."""
    cmap = tables["cmap"]
    _, n = struct.unpack_from(">HH", cmap)
    for i in range(n):
        pid, eid, off = struct.unpack_from(">HHI", cmap, 4 + 8 * i)
        if (pid, eid) == (3, 1):
            break
    segx2 = struct.unpack_from(">H", cmap, off + 6)[0]
    seg = segx2 // 2
    ends = struct.unpack_from(">%dH" % seg, cmap, off + 14)
    starts = struct.unpack_from(">%dH" % seg, cmap, off + 16 + segx2)
    deltas = struct.unpack_from(">%dh" % seg, cmap, off + 16 + 2 * segx2)
    ro_at = off + 16 + 3 * segx2
    ranges = struct.unpack_from(">%dH" % seg, cmap, ro_at)
    num_h = struct.unpack_from(">H", tables["hhea"], 34)[0]

    def advance(ch):
        c = ord(ch)
        for k in range(seg):
            if starts[k] <= c <= ends[k]:
                if ranges[k] == 0:
                    gid = (c + deltas[k]) & 0xFFFF
                else:
                    at = ro_at + 2 * k + ranges[k] + 2 * (c - starts[k])
                    gid = struct.unpack_from(">H", cmap, at)[0]
                    gid = (gid + deltas[k]) & 0xFFFF if gid else 0
                gid = min(gid, num_h - 1)
                return struct.unpack_from(">H", tables["hmtx"], 4 * gid)[0]
        raise KeyError(ch)
    return advance


FONTS = {
    "LomaMing-Bold.otf": ("LOMA Ming", "Bold", 700),
    "LomaBlack.otf": ("LOMA Black", "Regular", 900),
}
LICENCES = {"LomaMing-Bold.otf": "LICENSE-LomaMing.txt", "LomaBlack.otf": "LICENSE-LomaBlack.txt"}
ASCII = "".join(chr(c) for c in range(0x20, 0x7F))
CHINESE = "關閉" + "ZAVRO Fi 診斷系統" + "已經啟動" + "未發現 診斷系統"


class FontTests(unittest.TestCase):
    """Subset label fonts that GDI and Pango accept and lay out alike."""

    def tables(self, name):
        return sfnt_tables(read(os.path.join("fonts", name)))

    def test_names(self):
        for name, (family, style, _) in FONTS.items():
            with self.subTest(name):
                names = sfnt_names(self.tables(name)["name"])
                self.assertEqual(names[(1, 0x409)], family)
                self.assertEqual(names[(2, 0x409)], style)
                self.assertTrue(names[(4, 0x409)].startswith(family))
                self.assertRegex(names[(6, 0x409)], r"^[A-Za-z0-9-]{1,63}$")
                for nid in (1, 4, 6):
                    self.assertNotRegex(names[(nid, 0x409)], "Noto|Inter|Source")

    def test_weight_and_style_bits(self):
        for name, (_, style, weight) in FONTS.items():
            with self.subTest(name):
                t = self.tables(name)
                os2 = t["OS/2"]
                self.assertEqual(struct.unpack_from(">H", os2, 4)[0], weight)
                fs = struct.unpack_from(">H", os2, 62)[0]
                mac = struct.unpack_from(">H", t["head"], 44)[0]
                self.assertEqual(bool(fs & 0x20), style == "Bold")
                self.assertEqual(bool(mac & 1), style == "Bold")
                self.assertEqual(struct.unpack_from(">H", os2, 8)[0] & 0x0002, 0,
                                 "embedding restricted")

    def test_vertical_metrics_agree(self):
        for name in FONTS:
            with self.subTest(name):
                t = self.tables(name)
                upm = struct.unpack_from(">H", t["head"], 18)[0]
                asc, desc, gap = struct.unpack_from(">hhh", t["hhea"], 4)
                typo = struct.unpack_from(">hhh", t["OS/2"], 68)
                win = struct.unpack_from(">HH", t["OS/2"], 74)
                self.assertEqual((asc, -desc, gap), (typo[0], -typo[1], typo[2]))
                self.assertEqual((asc, -desc), win)
                self.assertEqual(gap, 0)
                if name.startswith("LomaMing"):
                    self.assertEqual(win[0] + win[1], upm, "Ming line must be one em")

    def test_coverage(self):
        ming = cmap_chars(self.tables("LomaMing-Bold.otf")["cmap"])
        self.assertEqual(set(ASCII + CHINESE) - ming, set())
        self.assertIn("\u555f", ming)                  # 啟 of the status text
        black = cmap_chars(self.tables("LomaBlack.otf")["cmap"])
        self.assertEqual(set(ASCII) - black, set())

    def test_licences_beside_fonts(self):
        for name in LICENCES.values():
            with self.subTest(name):
                text = read(os.path.join("fonts", name)).decode("utf-8")
                self.assertIn("SIL OPEN FONT LICENSE", text.upper())
                self.assertIn("Reserved Font Name", text)

    def test_copyright_and_licence_records_agree_with_the_licence_file(self):
        for name, (family, style, _) in FONTS.items():
            with self.subTest(name):
                lines = read(os.path.join("fonts", LICENCES[name])).decode("utf-8").splitlines()
                self.assertEqual(lines[0], "%s (%s)" % (family, style))
                self.assertTrue(lines[2].startswith("A modified version of "), lines[2])
                notice = lines[3]
                self.assertRegex(notice, r"\b(19|20)\d\d\b", "no year in the source's notice")
                self.assertIn("distributed under the SIL Open Font License 1.1", " ".join(lines))
                records = sfnt_names(self.tables(name)["name"], platforms=(1, 3))
                for platform in (1, 3):
                    self.assertEqual(records[(platform, 0)],
                                     notice + " Modified for the LOMA launcher.")
                    self.assertIn("SIL Open Font License, Version 1.1", records[(platform, 13)])

    def test_credit_line(self):
        credit = read("credit.txt")
        self.assertEqual(len(credit), 37)
        self.assertTrue(all(0x20 <= b < 0x7F for b in credit), credit)
        self.assertNotEqual(credit[:1], b" ")
        self.assertNotEqual(credit[-1:], b" ")
        t = self.tables("LomaMing-Bold.otf")
        upm = struct.unpack_from(">H", t["head"], 18)[0]
        advance = hmtx_advances(t)
        width = sum(round(advance(c) * 13 / upm) for c in credit.decode())
        self.assertLessEqual(abs(width - 270), 6, "credit line is %d px wide at 13 px" % width)


def res_entries(data):
    """(type, name, language, data) of a .res file; ids as ints, names as str."""
    pos, out = 0, []

    def ident(p):
        if struct.unpack_from("<H", data, p)[0] == 0xFFFF:
            return struct.unpack_from("<H", data, p + 2)[0], p + 4
        end = p
        while struct.unpack_from("<H", data, end)[0]:
            end += 2
        return data[p:end].decode("utf-16-le"), end + 2

    while pos < len(data):
        size, hsize = struct.unpack_from("<II", data, pos)
        rtype, p = ident(pos + 8)
        name, p = ident(p)
        p = (p + 3) & ~3
        lang = struct.unpack_from("<H", data, p + 6)[0]
        body = data[pos + hsize:pos + hsize + size]
        if size or rtype:
            out.append((rtype, name, lang, body))
        pos = (pos + hsize + size + 3) & ~3
    return out


def version_tree(data, pos=0):
    """(key, value bytes, value type, children) of a VS_VERSIONINFO block."""
    length, vlen, vtype = struct.unpack_from("<HHH", data, pos)
    end = pos + 6
    while struct.unpack_from("<H", data, end)[0]:
        end += 2
    key = data[pos + 6:end].decode("utf-16-le")
    p = (end + 2 + 3) & ~3
    vbytes = vlen * 2 if vtype == 1 else vlen
    value = data[p:p + vbytes]
    p = (p + vbytes + 3) & ~3
    children = []
    while p < pos + length:
        child = version_tree(data, p)
        children.append(child)
        p = (p + struct.unpack_from("<H", data, p)[0] + 3) & ~3
    return key, value, vtype, children


WINDRES = shutil.which("x86_64-w64-mingw32-windres")


@unittest.skipUnless(WINDRES, "x86_64-w64-mingw32-windres (mingw-w64) is not installed")
class ResourceScriptTests(unittest.TestCase):
    """loma.rc compiles, and the icon and version resources come out right."""

    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "loma.res")
            subprocess.run([WINDRES, "-I", ASSETS, os.path.join(ASSETS, "loma.rc"),
                            "-O", "res", "-o", out], check=True, cwd=ROOT)
            with open(out, "rb") as f:
                cls.entries = res_entries(f.read())

    def find(self, rtype, name):
        hits = [e for e in self.entries if e[0] == rtype and e[1] == name]
        self.assertEqual(len(hits), 1, (rtype, name))
        return hits[0]

    def test_application_icon_is_the_window_icon(self):
        _, _, lang, group = self.find(14, 1)
        self.assertEqual(lang, 0)
        self.assertEqual(group, read("icon_group.bin"))
        _, _, lang, image = self.find(3, 30001)
        self.assertEqual(lang, 0)
        self.assertEqual(image, read("window_icon.ico")[22:])
        self.assertEqual(len([e for e in self.entries if e[0] in (3, 14)]), 2)

    def test_version_block(self):
        _, _, lang, data = self.find(16, 1)
        self.assertEqual(lang, 0x0404)
        key, fixed, _, children = version_tree(data)
        self.assertEqual(key, "VS_VERSION_INFO")
        f = struct.unpack("<13I", fixed)
        self.assertEqual(f[0], 0xFEEF04BD)
        self.assertEqual(f[2:], (0x00010000, 0, 0x00010000, 0, 0, 0, 4, 1, 0, 0, 0))
        blocks = {c[0]: c for c in children}
        self.assertEqual(set(blocks), {"StringFileInfo", "VarFileInfo"})
        tables = blocks["StringFileInfo"][3]
        self.assertEqual([t[0] for t in tables], ["040404B0"])
        strings = {k: v.decode("utf-16-le").rstrip("\0") for k, v, _, _ in tables[0][3]}
        self.assertEqual(strings, {
            "CompanyName": "zavro", "ProductName": "LOMA", "FileVersion": "1.00",
            "ProductVersion": "1.00", "InternalName": "LOMA", "OriginalFilename": "LOMA.exe"})
        (var,) = blocks["VarFileInfo"][3]
        self.assertEqual(var[0], "Translation")
        self.assertEqual(struct.unpack("<HH", var[1]), (0x0404, 1200))

    def test_pictures_and_fonts_as_data(self):
        with open(os.path.join(ASSETS, "resource_ids.h")) as f:
            ids = dict(re.findall(r"#define\s+(IDR_\w+)\s+(\d+)", f.read()))
        expected = {
            "IDR_BACKDROP": ("101", "backdrop.jpg"),
            "IDR_WINDOW_ICON": ("102", "window_icon.ico"),
            "IDR_DOWN_FACE": ("103", "down_face.jpg"),
            "IDR_UP_FACE": ("104", "up_face.jpg"),
            "IDR_COUNTDOWN_NOTICE": ("105", "countdown_notice.wmf"),
            "IDR_TITLE_BANNER": ("106", "title_banner.jpg"),
            "IDR_FONT_MING": ("201", "fonts/LomaMing-Bold.otf"),
            "IDR_FONT_BLACK": ("202", "fonts/LomaBlack.otf"),
        }
        self.assertEqual(ids, {k: v[0] for k, v in expected.items()})
        for number, path in expected.values():
            with self.subTest(path):
                self.assertEqual(self.find(10, int(number))[3], read(path))


GENERATOR = os.path.join(ROOT, "tools", "artwork", "generate.py")
DEBIAN_PYTHON = "/usr/bin/python3"


def generator_can_run():
    if font_dump is None or not os.path.exists(DEBIAN_PYTHON):
        return False
    probe = subprocess.run([DEBIAN_PYTHON, "-c", "import PIL, numpy, fontTools, pyclipper"],
                           stderr=subprocess.DEVNULL)
    return probe.returncode == 0 and shutil.which("cjpeg") and shutil.which("jpegtran") \
        and os.path.exists("/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc")


def without_years(notice):
    """A copyright notice without its years and copyright signs: the holders."""
    notice = re.sub(r"(?i)copyright|\u00a9|\(c\)", " ", notice)
    notice = re.sub(r"\b(19|20)\d\d(\s*[-\u2013,]\s*(19|20)\d\d)*\b,?", " ", notice)
    return " ".join(notice.split())


def em_line_agrees(committed, committed_upm, fresh, fresh_upm):
    """Both are one fraction of the em rounded to whole units of each font."""
    return abs(committed * fresh_upm - fresh * committed_upm) * 2 <= committed_upm + fresh_upm


@unittest.skipUnless(generator_can_run(), "the artwork generator's Debian packages are missing")
class GeneratorTests(unittest.TestCase):
    """The committed files are what the generator makes: the pictures and
    resources byte for byte; the fonts by their content, as fontTools
    releases write the same font in other bytes; the licences word for word
    but for the years of the source's copyright notice."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        subprocess.run([DEBIAN_PYTHON, GENERATOR, "--assets", cls.tmp.name], check=True,
                       stdout=subprocess.DEVNULL)
        cls.made = sorted(os.path.relpath(os.path.join(dirpath, f), cls.tmp.name)
                          for dirpath, _, files in os.walk(cls.tmp.name) for f in files)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def fresh(self, rel):
        with open(os.path.join(self.tmp.name, rel), "rb") as f:
            return f.read()

    def fonts(self, name):
        """The committed font and the fresh one, as fontTools reads them."""
        rel = os.path.join("fonts", name)
        return (font_dump.load(os.path.join(ASSETS, rel)),
                font_dump.load(os.path.join(self.tmp.name, rel)))

    def test_rerun_reproduces_committed_pictures_and_resources(self):
        self.assertGreaterEqual(len(self.made), 20)
        fonts = {os.path.join("fonts", f) for pair in LICENCES.items() for f in pair}
        self.assertTrue(fonts <= set(self.made), fonts - set(self.made))
        for rel in self.made:
            if rel not in fonts:
                with self.subTest(rel):
                    self.assertEqual(self.fresh(rel), read(rel), "%s differs from a fresh run" % rel)

    def test_rerun_subsets_the_same_characters_the_same_way(self):
        for name in FONTS:
            with self.subTest(name):
                committed, fresh = self.fonts(name)
                self.assertEqual(font_dump.differences(font_dump.choices(committed),
                                                       font_dump.choices(fresh)), [])
                upm = font_dump.units_per_em(committed), font_dump.units_per_em(fresh)
                made = font_dump.line(fresh)
                for key, value in font_dump.line(committed).items():
                    self.assertTrue(em_line_agrees(value, upm[0], made[key], upm[1]),
                                    "%s: %d of %d units, a fresh run %d of %d"
                                    % (key, value, upm[0], made[key], upm[1]))

    def test_rerun_draws_the_same_glyphs_with_the_same_metrics(self):
        for name in FONTS:
            with self.subTest(name):
                committed, fresh = self.fonts(name)
                was, now = font_dump.source_revision(committed), font_dump.source_revision(fresh)
                if was != now:
                    self.skipTest("the installed source of %s is release %s, the committed font "
                                  "was cut from %s: its outlines can be compared only there"
                                  % (name, now, was))
                self.assertEqual(font_dump.differences(font_dump.release(committed),
                                                       font_dump.release(fresh)), [])

    def test_licences_are_the_source_family_licence(self):
        for name in LICENCES.values():
            with self.subTest(name):
                committed = read(os.path.join("fonts", name)).decode("utf-8").splitlines()
                fresh = self.fresh(os.path.join("fonts", name)).decode("utf-8").splitlines()
                self.assertEqual(len(committed), len(fresh))
                changed = [(c, f) for c, f in zip(committed, fresh) if c != f]
                # Only the source's copyright notice may differ, in its years.
                self.assertLessEqual(len(changed), 1, changed)
                for c, f in changed:
                    self.assertEqual(c, committed[3], "not the copyright notice")
                    self.assertEqual(without_years(c), without_years(f))
                    self.assertTrue(without_years(c))


if __name__ == "__main__":
    unittest.main(verbosity=2)
