#!/usr/bin/python3
"""Writes the seed corpora of the fuzz harnesses into tests/fuzz/corpus/<harness>/.

The seeds are small starting points: pieces of our own pictures in assets/ and a few names.
The files are committed; run this again only to change them (needs python3-pil). Inputs that
the fuzzers found worth keeping (many-objects.wmf: a header that claims 65,533 objects) lie
beside them and are not written here.
"""
import io
import pathlib
import struct

from PIL import Image

ROOT = pathlib.Path(__file__).resolve().parents[2]
ASSETS = ROOT / "assets"
CORPUS = ROOT / "tests" / "fuzz" / "corpus"


def write(harness, name, data):
    folder = CORPUS / harness
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def records(wmf):
    """The metafile's records after its headers: (offset, bytes) each."""
    at = 22 + 2 * struct.unpack_from("<H", wmf, 24)[0]
    out = []
    while at + 6 <= len(wmf):
        words, function = struct.unpack_from("<IH", wmf, at)
        out.append((function, wmf[at:at + 2 * words]))
        if function == 0:
            break
        at += 2 * words
    return out


def metafiles():
    wmf = (ASSETS / "countdown_notice.wmf").read_bytes()
    head = wmf[:22 + 18]
    recs = records(wmf)
    eof = struct.pack("<IH", 3, 0)
    setup = [r for f, r in recs[:7]]  # mapping mode, window, fill mode, pen, first brush
    # The first outline set of the notice, and its one single polygon with its brush.
    first_set = next(r for f, r in recs if f == 0x0538)
    polygon_at = next(i for i, (f, r) in enumerate(recs) if f == 0x0324)
    brush = [r for f, r in recs[polygon_at - 2:polygon_at + 2]]
    write("metafile", "notice-outlines.wmf", head + b"".join(setup) + first_set + eof)
    write("metafile", "notice-polygon.wmf", head + b"".join(setup[:4]) + b"".join(brush) + eof)
    write("metafile", "notice-cut.wmf", wmf[:1400])


def icons():
    ico = (ASSETS / "window_icon.ico").read_bytes()
    write("icon", "window.ico", ico)
    # An 8 x 8 icon with a palette of four colours and a diagonal mask.
    palette = struct.pack("<4I", 0x000000FF, 0x0000FF00, 0x00FF0000, 0x00FFFFFF)
    colours = bytes((x + y) % 4 for y in range(8) for x in range(8))
    mask = b"".join(struct.pack(">I", (0x80 >> y) << 24) for y in range(8))
    bitmap = struct.pack("<IiiHHIIiiII", 40, 8, 16, 1, 8, 0, 0, 0, 0, 4, 0)
    image = bitmap + palette + colours + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 8, 8, 4, 0, 1, 8,
                                                          len(image), 22)
    write("icon", "small.ico", directory + image)


def jpegs():
    face = Image.open(ASSETS / "up_face.jpg")
    for name, image, options in [
            ("small.jpg", face.resize((16, 8)), {"quality": 50}),
            ("grey.jpg", face.convert("L").resize((8, 8)), {"quality": 50}),
            ("progressive.jpg", face.resize((24, 8)), {"quality": 40, "progressive": True}),
            ("444.jpg", face.resize((8, 16)), {"quality": 50, "subsampling": 0})]:
        out = io.BytesIO()
        image.save(out, "JPEG", **options)
        write("jpeg", name, out.getvalue())
    write("jpeg", "backdrop-cut.jpg", (ASSETS / "backdrop.jpg").read_bytes()[:1500])
    # The small picture with a frame header that claims 12000 x 12000.
    small = bytearray((CORPUS / "jpeg" / "small.jpg").read_bytes())
    frame = small.find(b"\xff\xc0")
    small[frame + 5:frame + 9] = struct.pack(">HH", 12000, 12000)
    write("jpeg", "huge-header.jpg", bytes(small))


def texts():
    names = {
        "path": "C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe".encode(),
        "close": "關閉".encode(),
        "emoji": "LOMA\U0001F600".encode(),
        "overlong": b"LOMADiag.ex\xc1\xa5",
        "overlong-folder": b"ZAVRO\xc1\x9fFi",
        "surrogate": b"a\xed\xa0\x80b",
        "above-max": b"\xf4\x90\x80\x80",
        "cut": b"\xe9\x97",
        "utf16": "LOMADiag.exe".encode("utf-16-le"),
        "utf16-lone": "LO".encode("utf-16-le") + b"\x00\xd8" + "MA".encode("utf-16-le"),
    }
    for name, data in names.items():
        write("utf", name, data)


def listings():
    # Flags: "@" none, "A" a folder on the way, "B" hidden admitted, "P" folders, "V" all.
    # Kinds: "0" file, "1" folder, "2" other (FIFO, socket, device, dangling link).
    cases = {
        "hidden-twin": [b"@LOMADiag.exe", b"0lomadiag.exe", b"0LOMADiag.exe\t0x2",
                        b"0LOMADIAG.EXE"],
        "folder-twin": [b"@LOMADiag.exe", b"1LOMADiag.exe", b"0LOMADIAG.EXE"],
        "on-the-way": [b"AZAVRO_Fi", b"1zavro_fi\t0x22", b"0ZAVRO_Fi", b"2ZAVRO_FI"],
        "fifo": [b"VLOMADiag.exe", b"2LOMADiag.exe", b"0lomadiag.EXE\t0x6"],
        "overlong": [b"@LOMADiag.exe", b"0LOMADiag.ex\xc1\xa5", b"0LOMADiag.e\xd8\xb8e"],
        "long-mark": [b"BLOMADiag.exe", b"0LOMADiag.exe\t0x" + b"0" * 80 + b"6",
                      b"0lomadiag.exe\t\x00\x00\x03\x00\x02\x00\x00\x00"],
        "dot-file": [b"@.loma", b"0.LOMA", b"1.loma\t0x10"],
        "latin": ["PÄÖ.exe".encode(), "0äö.exe".encode(), "1ÄÖ.EXE".encode()],
        # Letters whose upper case does not lower back (dotless i, long s, the Kelvin sign)
        # beside the real ones, and pairs of other scripts.
        "no-round-trip": ["@LOMADiag.exe".encode(), "0LOMADıag.exe".encode(),
                          "0lomadiag.ſxe".encode(), "0LOMADIAG.EXE".encode()],
        "kelvin": ["Ak.exe".encode(), "1K.exe".encode(), "1K.EXE".encode()],
        "scripts": ["@ωжաａ.exe".encode(), "0ΩЖԱＡ.EXE".encode(), "0ΩЖԱa.exe".encode()],
    }
    for name, lines in cases.items():
        write("drive_name", name, b"\n".join(lines) + b"\n")


if __name__ == "__main__":
    metafiles()
    icons()
    jpegs()
    texts()
    listings()
