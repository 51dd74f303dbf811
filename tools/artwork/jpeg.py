"""JPEG files as the launcher stores them.

Baseline, 4:4:4, a restart marker after every row of blocks, JFIF 1.02 at
96 dpi, with our sRGB profile embedded. cjpeg does the coding; it writes
JFIF 1.01 with no density, so the APP0 fields are set afterwards (same
length, nothing else moves).
"""

import os
import subprocess
import tempfile

import numpy as np

import icc

QUALITY = 95


def _patch_jfif(data):
    if data[2:4] != b"\xff\xe0" or data[6:11] != b"JFIF\x00":
        raise ValueError("encoder did not start the file with a JFIF APP0 segment")
    out = bytearray(data)
    out[11:13] = bytes([1, 2])        # version 1.02
    out[13] = 1                       # density in dots per inch
    out[14:18] = (96).to_bytes(2, "big") * 2
    return bytes(out)


def encode(rgb):
    """rgb: uint8 array (height, width, 3). Returns the JPEG file's bytes."""
    rgb = np.ascontiguousarray(rgb, dtype=np.uint8)
    h, w, _ = rgb.shape
    ppm = b"P6\n%d %d\n255\n" % (w, h) + rgb.tobytes()
    with tempfile.TemporaryDirectory() as tmp:
        profile = os.path.join(tmp, "srgb.icc")
        with open(profile, "wb") as f:
            f.write(icc.srgb_profile())
        data = subprocess.run(
            ["cjpeg", "-quality", str(QUALITY), "-sample", "1x1", "-restart", "1",
             "-baseline", "-dct", "int", "-optimize", "-icc", profile],
            input=ppm, stdout=subprocess.PIPE, check=True).stdout
    return _patch_jfif(data)


def rotate_half_turn(data):
    """The same picture turned through 180 degrees without decoding it:
    whole 8x8 blocks at 4:4:4 make the turn exact."""
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "in.jpg")
        with open(src, "wb") as f:
            f.write(data)
        out = subprocess.run(
            ["jpegtran", "-rotate", "180", "-perfect", "-copy", "all", "-restart", "1",
             "-optimize", src],
            stdout=subprocess.PIPE, check=True).stdout
    return _patch_jfif(out)
