"""Shared drawing arithmetic: supersampled grids, distance fields, light.

Every picture is computed on a grid finer than its pixels (SS samples per
pixel each way) and averaged down, which smooths edges without any random
dithering. Coordinates are in pixels, y down, pixel (0, 0) covering
[0, 1) x [0, 1).
"""

import numpy as np

SS = 4

# Light comes from the upper left and a little from the front.
LIGHT = np.array([-1.0, -1.0, 1.1])
LIGHT = LIGHT / np.linalg.norm(LIGHT)
HALFWAY = LIGHT + np.array([0.0, 0.0, 1.0])
HALFWAY = HALFWAY / np.linalg.norm(HALFWAY)


def grid(width, height, ss=SS):
    """Sample centres in pixel coordinates, shape (height*ss, width*ss)."""
    xs = (np.arange(width * ss) + 0.5) / ss
    ys = (np.arange(height * ss) + 0.5) / ss
    return np.meshgrid(xs, ys)


def down(img, ss=SS):
    """Averages ss x ss samples into one pixel; works on (H, W) or (H, W, C)."""
    h, w = img.shape[0] // ss, img.shape[1] // ss
    return img.reshape(h, ss, w, ss, *img.shape[2:]).mean(axis=(1, 3))


def to_u8(img):
    return np.clip(np.rint(img), 0, 255).astype(np.uint8)


def rounded_rect_sdf(x, y, x0, y0, x1, y1, r):
    """Signed distance to a rectangle with corner radius r: negative inside."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    qx = np.abs(x - cx) - hx
    qy = np.abs(y - cy) - hy
    outside = np.hypot(np.maximum(qx, 0), np.maximum(qy, 0))
    inside = np.minimum(np.maximum(qx, qy), 0)
    return outside + inside - r


def capsule_sdf(x, y, x0, y0, x1, y1):
    """Signed distance to a horizontal bar with semicircular ends."""
    r = (y1 - y0) / 2
    return rounded_rect_sdf(x, y, x0, y0, x1, y1, r)


def unit_gradient(field, ss=SS):
    """Direction in which `field` grows, per sample, as (gx, gy) unit vectors."""
    gy, gx = np.gradient(field, 1.0 / ss)
    n = np.hypot(gx, gy)
    n[n == 0] = 1
    return gx / n, gy / n


def surface_normal(dx, dy, slope):
    """Normal of a surface whose height falls along (dx, dy) with the given
    slope (sine of the tilt, -1..1)."""
    slope = np.clip(slope, -0.999, 0.999)
    return dx * slope, dy * slope, np.sqrt(1 - slope * slope)


def lambert(nx, ny, nz):
    return nx * LIGHT[0] + ny * LIGHT[1] + nz * LIGHT[2]


def specular(nx, ny, nz, power):
    d = np.maximum(nx * HALFWAY[0] + ny * HALFWAY[1] + nz * HALFWAY[2], 0)
    return d ** power


def ramp(value, stops):
    """Piecewise-linear colour ramp. stops: [(position, (r, g, b)), ...]."""
    pos = np.array([p for p, _ in stops], dtype=np.float64)
    cols = np.array([c for _, c in stops], dtype=np.float64)
    out = np.empty(value.shape + (3,))
    for ch in range(3):
        out[..., ch] = np.interp(value, pos, cols[:, ch])
    return out


def mix(a, b, t):
    t = np.asarray(t)[..., None]
    return a * (1 - t) + b * t
