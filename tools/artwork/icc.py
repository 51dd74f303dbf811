"""A small ICC version 2 display profile for sRGB (IEC 61966-2.1).

Primaries adapted to D50 with the Bradford transform, the standard sRGB
transfer curve as a 1024-entry table. The header carries a fixed date so
that the profile, and every JPEG that embeds it, is the same on every run.
"""

import struct

DESCRIPTION = "sRGB IEC61966-2.1"
COPYRIGHT = "No copyright, use freely"

D50 = (0.9642, 1.0, 0.8249)
RED = (0.4360, 0.2225, 0.0139)
GREEN = (0.3851, 0.7169, 0.0971)
BLUE = (0.1431, 0.0606, 0.7141)
# Bradford adaptation from the D65 white of sRGB to the D50 connection space.
CHAD = (1.0478, 0.0229, -0.0502,
        0.0295, 0.9905, -0.0171,
        -0.0092, 0.0151, 0.7519)


def _s15f16(v):
    return struct.pack(">i", int(round(v * 65536)))


def _xyz(x, y, z):
    return b"XYZ \0\0\0\0" + _s15f16(x) + _s15f16(y) + _s15f16(z)


def _desc(text):
    ascii_ = text.encode("ascii") + b"\0"
    return (b"desc\0\0\0\0" + struct.pack(">I", len(ascii_)) + ascii_
            + struct.pack(">II", 0, 0)          # no Unicode description
            + struct.pack(">HB", 0, 0) + bytes(67))  # no ScriptCode description


def _text(text):
    return b"text\0\0\0\0" + text.encode("ascii") + b"\0"


def _sf32(values):
    return b"sf32\0\0\0\0" + b"".join(_s15f16(v) for v in values)


def _srgb_to_linear(v):
    return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4


def _curve(entries=1024):
    table = [int(round(_srgb_to_linear(i / (entries - 1)) * 65535)) for i in range(entries)]
    return b"curv\0\0\0\0" + struct.pack(">I", entries) + struct.pack(">%dH" % entries, *table)


def srgb_profile():
    trc = _curve()
    tags = [
        (b"desc", _desc(DESCRIPTION)),
        (b"cprt", _text(COPYRIGHT)),
        (b"wtpt", _xyz(*D50)),
        (b"chad", _sf32(CHAD)),
        (b"rXYZ", _xyz(*RED)),
        (b"gXYZ", _xyz(*GREEN)),
        (b"bXYZ", _xyz(*BLUE)),
        (b"rTRC", trc),
        (b"gTRC", trc),
        (b"bTRC", trc),
    ]
    table_size = 4 + 12 * len(tags)
    offset = 128 + table_size
    entries = []
    body = b""
    placed = {}
    for sig, data in tags:
        if data in placed:          # the three curves share one table
            entries.append((sig, placed[data], len(data)))
            continue
        while (offset + len(body)) % 4:
            body += b"\0"
        placed[data] = offset + len(body)
        entries.append((sig, placed[data], len(data)))
        body += data
    while len(body) % 4:
        body += b"\0"
    size = 128 + table_size + len(body)
    header = (struct.pack(">I", size) + b"\0\0\0\0"
              + struct.pack(">I", 0x02100000) + b"mntrRGB XYZ "
              + struct.pack(">6H", 2024, 1, 1, 0, 0, 0)
              + b"acsp" + b"\0\0\0\0" + struct.pack(">I", 0) + b"\0\0\0\0" + b"\0\0\0\0"
              + bytes(8) + struct.pack(">I", 0)
              + _s15f16(D50[0]) + _s15f16(D50[1]) + _s15f16(D50[2])
              + b"\0\0\0\0" + bytes(16) + bytes(28))
    assert len(header) == 128
    table = struct.pack(">I", len(entries)) + b"".join(
        sig + struct.pack(">II", off, ln) for sig, off, ln in entries)
    return header + table + body
