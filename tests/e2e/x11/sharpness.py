#!/usr/bin/python3
"""Is the window at a density above 96 drawn sharp, or a 96-dpi frame blown up?

Usage: sharpness.py DENSE.png BASE96.png SCALE [LEFT TOP WIDTH HEIGHT]

Compares a region of the 96-dpi window (default: the lower part with the countdown number,
the notice and the credit line) with the same region of the dense window. The 96-dpi region is
upscaled by SCALE bilinearly, which is what a window scaled by the system looks like. Each image
scores the mean of its strongest 5 % of pixel-to-pixel contrasts (grey levels, horizontal and
vertical neighbours). Prints both scores and their ratio; also scores the dense region after it
has been blurred the same way (down to 96 dpi and up again), to show that the measure sees blur.
Exit status 0 when the dense window scores at least 1.15 times the upscaled one.
"""
import sys

import numpy as np
from PIL import Image

THRESHOLD = 1.15


def score(image):
    grey = np.asarray(image.convert("L"), dtype=np.float64)
    contrasts = np.concatenate([np.abs(np.diff(grey, axis=1)).ravel(),
                                np.abs(np.diff(grey, axis=0)).ravel()])
    strongest = np.sort(contrasts)[-max(1, len(contrasts) // 20):]
    return float(strongest.mean())


def main():
    dense_path, base_path, scale = sys.argv[1], sys.argv[2], float(sys.argv[3])
    left, top, width, height = (int(v) for v in sys.argv[4:8]) if len(sys.argv) >= 8 else (
        40, 172, 500, 60)
    base = Image.open(base_path).convert("RGB").crop((left, top, left + width, top + height))
    box = tuple(round(v * scale) for v in (left, top, left + width, top + height))
    dense = Image.open(dense_path).convert("RGB").crop(box)
    upscaled = base.resize(dense.size, Image.BILINEAR)
    blurred = dense.resize(base.size, Image.BILINEAR).resize(dense.size, Image.BILINEAR)
    sharp, blown_up, reblurred = score(dense), score(upscaled), score(blurred)
    ratio = sharp / blown_up
    print(f"sharpness: dense {sharp:.1f}, 96 dpi upscaled {blown_up:.1f}, "
          f"dense blurred {reblurred:.1f}; ratio {ratio:.2f} (at least {THRESHOLD} wanted), "
          f"blurred ratio {reblurred / blown_up:.2f}")
    return 0 if ratio >= THRESHOLD else 1


if __name__ == "__main__":
    sys.exit(main())
