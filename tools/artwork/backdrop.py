"""The window's backdrop: a steel-blue field inside a raised, rounded frame.

The frame is a bar 20 px wide running 1 px in from every edge. Across its
width it is shaded as a half-round bar lit from the upper left, so its top
and left sides are light outside and dark inside, its bottom and right sides
the other way round. Outer corners are rounded, inner corners square; the
rounded top-left corner faces the light and catches a white sheen.
"""

import numpy as np

import shade

WIDTH, HEIGHT = 572, 252
FIELD = (127, 160, 191)
MARGIN = 1
BAR = 20
RADIUS = 17
SHEEN_AT = 9.0

# Brightness (light falling on the surface) to colour.
FRAME_RAMP = [
    (-0.60, (9, 12, 17)),
    (-0.25, (12, 16, 23)),
    (0.05, (56, 76, 101)),
    (0.40, (118, 150, 182)),
    (0.62, (150, 181, 211)),
    (0.82, (196, 219, 243)),
    (1.00, (214, 232, 252)),
]


def render():
    x, y = shade.grid(WIDTH, HEIGHT)
    o0, o1x, o1y = MARGIN, WIDTH - MARGIN, HEIGHT - MARGIN
    d_out = -shade.rounded_rect_sdf(x, y, o0, o0, o1x, o1y, RADIUS)
    d_in = shade.rounded_rect_sdf(x, y, o0 + BAR, o0 + BAR, o1x - BAR, o1y - BAR, 0.0)
    in_frame = (d_out > 0) & (d_in > 0)

    # 0 at the frame's outer edge, 1 at its inner edge.
    t = np.clip(d_out / np.maximum(d_out + d_in, 1e-9), 0, 1)
    gx, gy = shade.unit_gradient(t)
    slope = 0.93 * np.cos(np.pi * t)
    nx, ny, nz = shade.surface_normal(-gx, -gy, slope)
    light = shade.lambert(nx, ny, nz)
    colour = shade.ramp(light, FRAME_RAMP)
    # The sheen is the light's own reflection; only the corner that faces
    # the light turns it towards the viewer.
    near_corner = np.exp(-np.hypot(x - SHEEN_AT, y - SHEEN_AT) / 16.0)
    sheen = shade.specular(nx, ny, nz, 12) * near_corner
    colour = shade.mix(colour, np.array([255.0, 255.0, 255.0]), np.clip(sheen * 1.6, 0, 1))

    img = np.empty(x.shape + (3,))
    img[:] = FIELD
    img[in_frame] = colour[in_frame]
    return shade.to_u8(shade.down(img))
