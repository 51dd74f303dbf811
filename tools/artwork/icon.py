"""The window icon: a 32 x 32 pixel emblem, 256 colours, one image.

A big blue D with a magenta i standing in its bowl, continued by a magenta
a and g to its right, so the letters read "Diag"; above the ag three small
green capitals with black shadows; across the bottom eight rows the maker
word in red capitals. Everything else is transparent.

The same image bytes are the program file's application icon: icon_image()
is the RT_ICON data, group_entry() the RT_GROUP_ICON data that points at it.
"""

import struct

SIZE = 32
GROUP_ICON_ID = 30001

# Drawn pixel by pixel: . transparent, B blue, M magenta, G green, R red.
# The green letters get their black shadows from shadowed().
ART = [
    "BBBBBBBBBBB.....................",
    "BBBBBBBBBBBBB...................",
    "BBBBBBBBBBBBBB...GGG..GGG..GGG..",
    "BBBB.....BBBBBB..G....G.....G...",
    "BBBB......BBBBB..GG...GG....G...",
    "BBBB.......BBBBB.G....G.....G...",
    "BBBB...MM...BBBB.GGG..G....GGG..",
    "BBBB...MM...BBBB................",
    "BBBB........BBBB................",
    "BBBB..MMM...BBBB................",
    "BBBB...MM...BBBB................",
    "BBBB...MM...BBBB..MMMMM...MMMMMM",
    "BBBB...MM...BBBB.MM...MM.MM...MM",
    "BBBB...MM...BBBB......MM.MM...MM",
    "BBBB...MM...BBBB..MMMMMM.MM...MM",
    "BBBB...MM...BBBB.MM...MM.MM...MM",
    "BBBB...MM...BBBB.MM...MM.MM...MM",
    "BBBB...MM..BBBBB.MM..MMM.MM..MMM",
    "BBBB...MM.BBBBB...MMM.MM..MMM.MM",
    "BBBB..MMMMBBBBB...............MM",
    "BBBBBBBBBBBBBB...........MM...MM",
    "BBBBBBBBBBBBB.............MMMMM.",
    "BBBBBBBBBBB.....................",
    "................................",
    "RRRRR...RR...RR..RR.RRRR...RRRR.",
    "RRRRR..RRRR..RR..RR.RRRRR.RRRRRR",
    "...RR.RR..RR.RR..RR.RR.RR.RR..RR",
    "..RR..RR..RR.RR..RR.RR.RR.RR..RR",
    ".RR...RRRRRR.RR..RR.RRRR..RR..RR",
    "RR....RRRRRR..RRRR..RRRR..RR..RR",
    "RRRRR.RR..RR..RRRR..RR.RR.RRRRRR",
    "RRRRR.RR..RR...RR...RR.RR..RRRR.",
]

BLACK, RED, GREEN, BLUE, MAGENTA = 0, 9, 10, 12, 13
INDEX = {"K": BLACK, "R": RED, "G": GREEN, "B": BLUE, "M": MAGENTA}


def palette():
    """The 16 classic VGA colours, a 6 x 6 x 6 colour cube, 24 greys."""
    vga = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
    cube = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    greys = [(8 + 10 * i,) * 3 for i in range(24)]
    colours = vga + cube + greys
    assert len(colours) == 256
    return colours


def shadowed(art):
    """Puts a black pixel one down and one right of every green one, where
    nothing else is drawn."""
    grid = [list(row) for row in art]
    for y, row in enumerate(art):
        for x, ch in enumerate(row):
            if ch == "G" and y + 1 < SIZE and x + 1 < SIZE and art[y + 1][x + 1] == ".":
                grid[y + 1][x + 1] = "K"
    return ["".join(row) for row in grid]


def icon_image():
    """BITMAPINFOHEADER, palette, colour rows, mask rows (both bottom-up)."""
    assert len(ART) == SIZE and all(len(row) == SIZE for row in ART)
    art = shadowed(ART)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0,
                         SIZE * SIZE + SIZE * SIZE // 8, 0, 0, 0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette())
    pixels = b""
    mask = b""
    for row in reversed(art):
        pixels += bytes(INDEX.get(ch, BLACK) for ch in row)
        bits = 0
        for ch in row:
            bits = bits << 1 | (ch == ".")
        mask += struct.pack(">I", bits)
    return header + pal + pixels + mask


def icon_file():
    image = icon_image()
    return (struct.pack("<HHH", 0, 1, 1)
            + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
            + image)


def group_entry():
    image = icon_image()
    return (struct.pack("<HHH", 0, 1, 1)
            + struct.pack("<BBBBHHIH", SIZE, SIZE, 0, 0, 1, 8, len(image), GROUP_ICON_ID))


# The sizes a desktop's icon theme asks for (hicolor), from the menu's 16 to a 2x dock's 256.
THEME_SIZES = (16, 24, 32, 48, 64, 128, 256)


def rgba():
    """The 32 x 32 icon as rows of (r, g, b, a), top row first."""
    colours = palette()
    return [[colours[INDEX[ch]] + (255,) if ch != "." else (0, 0, 0, 0) for ch in row]
            for row in shadowed(ART)]


def nearest(pixels, factor):
    """Each pixel as a factor x factor block: pixel art keeps its hard edges."""
    return [[p for p in row for _ in range(factor)] for row in pixels for _ in range(factor)]


def box(pixels, factor):
    """Each factor x factor block averaged into one pixel, the colours weighted by their alpha so
    that no dark fringe creeps in from the transparent pixels; rounded half up."""
    out = []
    n = factor * factor
    for y in range(0, len(pixels), factor):
        row = []
        for x in range(0, len(pixels[0]), factor):
            block = [pixels[y + j][x + i] for j in range(factor) for i in range(factor)]
            alpha = sum(p[3] for p in block)
            if alpha == 0:
                row.append((0, 0, 0, 0))
                continue
            row.append(tuple((2 * sum(p[c] * p[3] for p in block) + alpha) // (2 * alpha)
                             for c in range(3)) + ((2 * alpha + n) // (2 * n),))
        out.append(row)
    return out


def theme_icon(size):
    """The icon at one theme size. Whole multiples of 32 are the pixels blown up (nearest);
    the sizes between are the icon blown up three times, 96 x 96, averaged down by whole blocks
    (48 = 96 / 2, 24 = 96 / 4), the area each new pixel covers; 16 is 32 averaged by 2 x 2."""
    pixels = rgba()
    if size % SIZE == 0:
        return nearest(pixels, size // SIZE)
    if size == 16:
        return box(pixels, 2)
    assert (3 * SIZE) % size == 0, size
    return box(nearest(pixels, 3), 3 * SIZE // size)


def png(pixels):
    """An 8-bit RGBA PNG with nothing but its header, pixels and end: no time, no text."""
    import zlib

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))
