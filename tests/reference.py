"""Slow reference models of the generators, written with numpy.float32 scalars.

Each model follows the per-pixel algorithm step by step, in the same precision
and order, so the native kernels can be compared with it byte for byte.
"""

import math

import numpy as np

f32 = np.float32


def _low8_trunc(value):
    value = float(value)
    if math.isnan(value) or math.isinf(value):
        return 0
    return int(value) & 0xFF


def filled_alpha(width, height, radii, alpha_base, fill_alpha):
    """The alpha plane [x][y] of the filled generator after its corner pass."""
    out = np.full((width, height), fill_alpha, dtype=np.uint8)
    half_w, half_h = f32(width * 0.5), f32(height * 0.5)
    min_dim = f32(min(width, height) * 0.5)
    center_x, center_y = f32((width - 1) * 0.5), f32((height - 1) * 0.5)
    tl, tr, br, bl = (f32(r) for r in radii)
    corners = [(tl, False, False), (tr, True, False), (bl, False, True), (br, True, True)]
    for radius, right, bottom in corners:
        r = min_dim if min_dim < radius else radius
        if not r > 0:
            continue
        n = int(r)
        if n <= 0:
            continue
        x0 = width - n if right else 0
        y0 = height - n if bottom else 0
        for y in range(y0, y0 + n):
            qy = f32(abs(f32(y) - center_y)) - half_h + r
            qy_out = max(qy, f32(0))
            for x in range(x0, x0 + n):
                qx = f32(abs(f32(x) - center_x)) - half_w + r
                qx_out = max(qx, f32(0))
                dist_outside = np.sqrt(f32(qx_out * qx_out) + f32(qy_out * qy_out))
                dist_inside = min(max(qx, qy), f32(0))
                signed = dist_outside + dist_inside - r
                if signed >= f32(0.5):
                    out[x, y] = 0
                elif signed > f32(-0.5):
                    out[x, y] = _low8_trunc(f32(f32(0.5) - signed) * f32(alpha_base))
    return out


def outlined_planes(w, h, radius, width, color):
    """The (rgb [x][y][3], alpha [x][y]) planes of the outlined generator."""
    rgb = np.zeros((w, h, 3), dtype=np.uint8)
    alpha = np.zeros((w, h), dtype=np.uint8)
    alpha_base = int(color[3]) if len(color) >= 4 else 255
    if alpha_base == 0:
        return rgb, alpha
    colour = [int(c) for c in color[:3]]
    width = f32(width)
    r_val = radius
    if r_val * 2 > w:
        r_val = int(w / 2)
    if r_val * 2 > h:
        r_val = int(h / 2)
    half_width = f32(float(width) * 0.5)
    center_radius = f32(max(r_val - float(half_width), 0.0))
    center_x, center_y = f32((w - 1) * 0.5), f32((h - 1) * 0.5)
    centerline_w = f32((float(f32(w) - width) - 1) / 2 - float(center_radius))
    centerline_h = f32((float(f32(h) - width) - 1) / 2 - float(center_radius))
    sw = math.ceil(float(width))
    cutoff = f32(float(half_width) + 0.5)

    def paint(y, x, a):
        rgb[x, y] = colour
        alpha[x, y] = a

    def clip(begin, end, limit):
        # Rows and columns outside the surface are never painted.
        return range(max(begin, 0), min(end, limit))

    full = alpha_base & 0xFF
    bands = [(clip(0, sw, h), clip(r_val, w - r_val, w)), (clip(h - sw, h, h), clip(r_val, w - r_val, w)),
             (clip(r_val, h - r_val, h), clip(0, sw, w)), (clip(r_val, h - r_val, h), clip(w - sw, w, w))]
    for rows, cols in bands:
        for y in rows:
            for x in cols:
                paint(y, x, full)
    box = min(r_val + sw, int(w / 2), int(h / 2))
    squares = [(clip(0, box, h), clip(0, box, w)), (clip(0, box, h), clip(w - box, w, w)),
               (clip(h - box, h, h), clip(0, box, w)), (clip(h - box, h, h), clip(w - box, w, w))]
    for rows, cols in squares:
        for y in rows:
            dy = f32(abs(f32(y) - center_y)) - centerline_h
            dy_out = max(dy, f32(0))
            dy_sq = f32(dy_out * dy_out)
            for x in cols:
                dx = f32(abs(f32(x) - center_x)) - centerline_w
                if dx > 0 and dy_out > 0:
                    dist = np.sqrt(f32(dx * dx) + dy_sq)
                else:
                    dist = max(dx, dy_out)
                signed = dist + min(max(dx, dy), f32(0)) - center_radius
                edge = abs(signed)
                if edge > cutoff:
                    continue
                alpha_f = half_width - edge + f32(0.5)
                if alpha_f <= 0:
                    continue
                a = full if alpha_f >= 1 else _low8_trunc(f32(alpha_f * f32(alpha_base)))
                paint(y, x, a)
    return rgb, alpha
