"""The close button's up face: a glossy red capsule raised from a red field.

The capsule is a bar with semicircular ends, its surface flat in the middle
and rounding off towards its rim, lit from the upper left: white along the
top and left, near black along the bottom and right. Around it the field
dips into a narrow groove, dark above and left, catching a pale pink
reflection below and right. The down face is the up face turned half a turn
(see jpeg.rotate_half_turn), which makes the light come from the lower right
and the capsule look pressed in.
"""

import numpy as np

import shade

WIDTH, HEIGHT = 440, 120
FIELD = (232, 69, 70)
EDGE = (246, 128, 126)
CAPSULE = (20, 20, 420, 100)
GROOVE = 6.0
BEVEL = 18.0
BULGE = 0.35

# Light falling on the surface (flat surface: shade.LIGHT[2]) to colour.
RAMP = [
    (-0.62, (40, 5, 3)),
    (-0.35, (70, 9, 7)),
    (0.05, (150, 30, 30)),
    (0.40, (212, 58, 59)),
    (float(shade.LIGHT[2]), FIELD),
    (0.72, (242, 112, 110)),
    (0.84, (255, 222, 220)),
    (1.00, (255, 255, 255)),
]


def render():
    x, y = shade.grid(WIDTH, HEIGHT)
    x0, y0, x1, y1 = CAPSULE
    sdf = shade.capsule_sdf(x, y, x0, y0, x1, y1)
    outward_x, outward_y = shade.unit_gradient(sdf)

    # Inside: flat on top, rounding off over BEVEL px towards the rim.
    # The top itself bulges gently from end to end, like a wide tube.
    rim = np.clip(1 + sdf / BEVEL, 0, 1)
    tilt = 0.97 * rim**1.6
    nx = outward_x * tilt
    ny = outward_y * tilt + BULGE * (y - (y0 + y1) / 2) / ((y1 - y0) / 2)
    norm = np.maximum(np.hypot(nx, ny), 1.0)
    nx, ny = nx / norm * 0.999, ny / norm * 0.999
    nz = np.sqrt(1 - nx * nx - ny * ny)
    bar = shade.ramp(shade.lambert(nx, ny, nz), RAMP)

    # Outside: the groove slopes down towards the capsule.
    u = np.clip(sdf / GROOVE, 0, 1)
    gx, gy, gz = shade.surface_normal(-outward_x, -outward_y, 0.8 * (1 - u) ** 1.5)
    groove = shade.ramp(shade.lambert(gx, gy, gz), RAMP)

    img = np.where((sdf < 0)[..., None], bar, groove)
    img = shade.to_u8(shade.down(img))
    img[0, :] = img[-1, :] = EDGE
    img[:, 0] = img[:, -1] = EDGE
    return img
