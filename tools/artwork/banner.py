"""The title banner: a plaque with a raised teal frame and red lettering.

The frame is a teal bar 7 px wide, rounded and lit from the upper left,
standing out of the picture: its sides, seen towards the lower right, are a
black line 2 px wide and then a dark teal band 4 px wide. So the black line
lies inside the bar at the top and left and outside it at the bottom and
right, and the whole frame is 13 px wide on every side. The two corners the
sides do not reach are filled with the window's steel blue, which the
banner stands on.

The field is yellow-green at its top and bottom edges, bright yellow along
its middle. On it stand heavy red letters whose lower edges darken to black:
the maker word in a bold serif, then the Chinese words in a heavy rounded
face.
"""

import numpy as np

import lettering
import outlines
import shade

WIDTH, HEIGHT = 464, 74
BAR = 7
BLACK_LINE = 2
SIDE = 4
FRAME = BAR + BLACK_LINE + SIDE

BEHIND = (127, 160, 191)      # the backdrop's field colour
DARK_TEAL_NEAR = (0, 104, 106)
DARK_TEAL_FAR = (0, 74, 76)
BAR_RAMP = [
    (-0.40, (0, 86, 88)),
    (0.10, (0, 128, 130)),
    (float(shade.LIGHT[2]), (0, 164, 165)),
    (0.78, (70, 212, 212)),
    (0.95, (178, 250, 250)),
]
FIELD_EDGE = np.array([159.0, 194.0, 48.0])
FIELD_MIDDLE = np.array([235.0, 225.0, 12.0])
RED = (224, 2, 0)
LETTER_RAMP = [(0.0, (22, 0, 0)), (0.35, (112, 0, 0)), (0.7, (196, 2, 0)), (1.0, RED)]
SHADE_DEPTH = 3.0             # px over which a lower edge darkens

MAKER_WORD = "ZAVRO"
MAKER_SUFFIX = "Fi"
CHINESE = "診斷系統啓動器"   # 啓 is U+5553, the Taiwan form


def _ring(x, y, dx, dy):
    """Samples covered by the teal bar moved dx, dy px towards the lower right."""
    x, y = x - dx, y - dy
    outer = (x >= 0) & (y >= 0) & (x < WIDTH - FRAME + BAR) & (y < HEIGHT - FRAME + BAR)
    inner = (x >= BAR) & (y >= BAR) & (x < WIDTH - FRAME) & (y < HEIGHT - FRAME)
    return outer & ~inner


def _frame(img, x, y):
    for k in range(BLACK_LINE + SIDE, 0, -1):
        if k > BLACK_LINE:
            f = (k - BLACK_LINE - 1) / (SIDE - 1)
            colour = np.array(DARK_TEAL_NEAR) * (1 - f) + np.array(DARK_TEAL_FAR) * f
        else:
            colour = (0, 0, 0)
        img[_ring(x, y, k, k)] = colour

    # The bar itself, half-round across its width.
    bar = _ring(x, y, 0, 0)
    right, bottom = WIDTH - FRAME + BAR, HEIGHT - FRAME + BAR
    d_out = -shade.rounded_rect_sdf(x, y, 0, 0, right, bottom, 0.0)
    d_in = shade.rounded_rect_sdf(x, y, BAR, BAR, right - BAR, bottom - BAR, 0.0)
    t = np.clip(d_out / np.maximum(d_out + d_in, 1e-9), 0, 1)
    gx, gy = shade.unit_gradient(t)
    nx, ny, nz = shade.surface_normal(-gx, -gy, 0.85 * np.cos(np.pi * t))
    img[bar] = shade.ramp(shade.lambert(nx, ny, nz), BAR_RAMP)[bar]


def _field(img, x, y):
    inside = (x >= FRAME) & (y >= FRAME) & (x < WIDTH - FRAME) & (y < HEIGHT - FRAME)
    v = np.clip((y - FRAME) / (HEIGHT - 2 * FRAME), 0, 1)
    glow = np.sin(np.pi * v) ** 0.9
    img[inside] = shade.mix(FIELD_EDGE, FIELD_MIDDLE, glow)[inside]


def _lettering():
    serif = lettering.font(lettering.SERIF_BOLD)
    rounded = lettering.font(lettering.SANS_TC_BOLD)
    baseline = 50.0
    latin, x = lettering.line(serif, MAKER_WORD + " " + MAKER_SUFFIX, 14.0, 33.0,
                              (24.0, baseline - 0.5), tracking=0.6, space=6.0)
    chinese, _ = lettering.line(rounded, CHINESE, 0.0, 32.0, (x + 9.0, baseline + 0.5),
                                tracking=1.6, shape=lettering.heavy_rounded)
    return [c for g in latin + chinese for c in g]


def _letters(img, contours):
    ss = shade.SS
    m = outlines.mask(contours, WIDTH, HEIGHT, ss)
    # How far each covered sample lies above the lower edge of its stroke.
    depth = np.zeros(m.shape)
    alive = m.copy()
    steps = int(SHADE_DEPTH * ss)
    for k in range(1, steps + 1):
        below = np.zeros_like(m)
        below[:-k] = m[k:]
        alive &= below
        depth += alive
    colour = shade.ramp(depth / steps, LETTER_RAMP)
    img[m] = colour[m]


def render():
    x, y = shade.grid(WIDTH, HEIGHT)
    img = np.empty(x.shape + (3,))
    img[:] = BEHIND
    _frame(img, x, y)
    _field(img, x, y)
    _letters(img, _lettering())
    return shade.to_u8(shade.down(img))
