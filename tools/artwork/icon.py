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
