#!/usr/bin/python3
"""Pixel checks of sway screenshots (grim PNGs), for sway.sh.

  pixels.py shows SHOT R G B     exit 0 when the shot's first pixel is not the backdrop colour
  pixels.py placed SHOT GOLDEN BORDER R G B [X Y W H]
      The shot is the window's rectangle grown by BORDER pixels on each side: prints the number
      of border pixels that are not the backdrop plus the number of window pixels that differ
      from GOLDEN (compared from the window's corner over GOLDEN's size), leaving out the
      rectangle X Y W H of the window (the countdown number, which moves on).
  pixels.py region SHOT GOLDEN BORDER X Y W H
      The number of pixels of the window's rectangle X Y W H that differ from GOLDEN's.
"""
import sys

from PIL import Image


def rgb(path):
    return Image.open(path).convert("RGB")


def main(argv):
    if argv[1] == "shows":
        backdrop = tuple(int(v) for v in argv[3:6])
        return 0 if rgb(argv[2]).getpixel((0, 0)) != backdrop else 1
    shot, golden = rgb(argv[2]), rgb(argv[3])
    border = int(argv[4])
    if argv[1] == "region":
        x0, y0, w, h = (int(v) for v in argv[5:9])
        px, gx = shot.load(), golden.load()
        print(sum(px[x + border, y + border] != gx[x, y]
                  for y in range(y0, y0 + h) for x in range(x0, x0 + w)))
        return 0
    backdrop = tuple(int(v) for v in argv[5:8])
    mask = [int(v) for v in argv[8:12]] if len(argv) > 8 else None
    gw, gh = golden.size
    bad = 0
    px, gx = shot.load(), golden.load()
    sw, sh = shot.size
    for y in range(sh):
        for x in range(sw):
            wx, wy = x - border, y - border
            inside_window = 0 <= wx < sw - 2 * border and 0 <= wy < sh - 2 * border
            if not inside_window:
                bad += px[x, y] != backdrop
            elif wx < gw and wy < gh:
                if mask and mask[0] <= wx < mask[0] + mask[2] and mask[1] <= wy < mask[1] + mask[3]:
                    continue
                bad += px[x, y] != gx[wx, wy]
    print(bad)
    return 0


sys.exit(main(sys.argv))
