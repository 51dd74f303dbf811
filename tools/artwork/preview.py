#!/usr/bin/python3
"""Writes PNG previews of the committed pictures, for looking at them.

    /usr/bin/python3 tools/artwork/preview.py OUTDIR

Each picture at natural size and enlarged 4x; the countdown notice replayed
from its records over the backdrop's blue, at natural and at shown size; the
icon over grey. Nothing here is used by the build.
"""

import os
import struct
import sys

import numpy as np
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import outlines  # noqa: E402

ASSETS = os.path.join(HERE, "..", "..", "assets")
BEHIND = (127, 160, 191)


def replay_wmf(data, width, height):
    """Fills the metafile's polygons, in order, with their brushes' colours
    over a plain background. Understands just the records the notice uses."""
    img = np.empty((height, width, 3))
    img[:] = BEHIND
    pos = 22 + 18
    ext = None
    objects = []
    current = None
    while pos < len(data):
        size, func = struct.unpack_from("<IH", data, pos)
        words = struct.unpack_from("<%dh" % (size - 3), data, pos + 6)
        pos += size * 2
        if func == 0x020C:
            ext = (words[1], words[0])
        elif func in (0x02FC, 0x02FA):
            slot = objects.index(None) if None in objects else len(objects)
            if slot == len(objects):
                objects.append(None)
            raw = struct.pack("<2h", words[1], words[2]) if func == 0x02FC else b"\0\0\0\0"
            objects[slot] = (func, raw[:3])
        elif func == 0x012D:
            if objects[words[0]][0] == 0x02FC:
                current = objects[words[0]][1]
        elif func == 0x01F0:
            objects[words[0]] = None
        elif func in (0x0324, 0x0538):
            if func == 0x0324:
                counts, pts = [words[0]], words[1:]
            else:
                n = words[0]
                counts, pts = list(words[1:1 + n]), words[1 + n:]
            polys, k = [], 0
            for c in counts:
                polys.append([(pts[2 * (k + i)] * width / ext[0], pts[2 * (k + i) + 1] * height / ext[1])
                              for i in range(c)])
                k += c
            cov = outlines.mask(polys, width, height, 4).reshape(height, 4, width, 4).mean(axis=(1, 3))
            img = img * (1 - cov[..., None]) + np.array(list(current))[None, None, :] * cov[..., None]
        elif func == 0:
            break
    return Image.fromarray(np.clip(np.rint(img), 0, 255).astype(np.uint8))


def save(img, out, name):
    img.save(os.path.join(out, name + ".png"))
    img.resize((img.width * 4, img.height * 4), Image.NEAREST).save(os.path.join(out, name + "_4x.png"))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name in ("backdrop", "up_face", "down_face", "title_banner"):
        save(Image.open(os.path.join(ASSETS, name + ".jpg")).convert("RGB"), out, name)
    with open(os.path.join(ASSETS, "countdown_notice.wmf"), "rb") as f:
        wmf = f.read()
    save(replay_wmf(wmf, 400, 32), out, "countdown_notice")
    replay_wmf(wmf, 327, 24).save(os.path.join(out, "countdown_notice_shown.png"))
    ico = Image.open(os.path.join(ASSETS, "window_icon.ico")).convert("RGBA")
    grey = Image.new("RGBA", ico.size, (192, 192, 192, 255))
    grey.alpha_composite(ico)
    save(grey.convert("RGB"), out, "window_icon")


if __name__ == "__main__":
    main()
