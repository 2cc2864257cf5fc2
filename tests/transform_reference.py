"""Slow reference models of the in-place transforms, in numpy.float32 scalars.

Each model follows the per-pixel rules step by step, in the same precision
and order, over an RGBA array [y][x][r, g, b, a], so the native kernels can
be compared with it byte for byte.  Fused multiply-adds are computed exactly
with fractions and rounded once.
"""

import math
from fractions import Fraction

import numpy as np

f32 = np.float32
ZERO, HALF, ONE = f32(0), f32(0.5), f32(1)


def _is_even(value):
    return int(np.array(value, dtype=np.float32).view(np.uint32)) % 2 == 0


def round_to_f32(exact):
    """The float32 nearest to the rational `exact`, ties to even."""
    guess = f32(float(exact))
    if not np.isfinite(guess):
        return guess  # beyond the float32 range: rounds to infinity
    candidates = [np.nextafter(guess, f32(-np.inf)), guess, np.nextafter(guess, f32(np.inf))]
    best = min(abs(Fraction(float(c)) - exact) for c in candidates)
    ties = [c for c in candidates if abs(Fraction(float(c)) - exact) == best]
    return ties[0] if len(ties) == 1 else next(c for c in ties if _is_even(c))


def fma32(a, b, c):
    if not all(math.isfinite(float(v)) for v in (a, b, c)):
        return f32(float(a) * float(b) + float(c))  # infinities propagate as in IEEE
    return round_to_f32(Fraction(float(a)) * Fraction(float(b)) + Fraction(float(c)))


def fma64(a, b, c):
    return float(Fraction(a) * Fraction(b) + Fraction(c))


def low8_trunc(value):
    value = float(value)
    if not math.isfinite(value):
        return 0
    return int(value) & 0xFF


def _fill(pixels, color):
    alpha = color[3] if len(color) > 3 else 255
    pixels[...] = (color[0], color[1], color[2], alpha)


def round_corners(pixels, radii, color=None):
    """transform_into_rounded_rect on a copy of `pixels`, with four radii given."""
    out = pixels.copy()
    h, w = out.shape[:2]
    max_radius = min(f32(w * 0.5), f32(h * 0.5))
    clamped = []
    for r in (f32(r) for r in radii):
        r = r if r > ZERO else ZERO
        clamped.append(max_radius if max_radius < r else r)
    tl, tr, br, bl = clamped
    cut = any(r > ZERO for r in clamped)
    has_color = color is not None
    alpha_base = 255
    if has_color:
        alpha_base = color[3] if len(color) > 3 else 255
        if not cut:
            _fill(out, color)
            return out
        if alpha_base == 0:
            _fill(out, (0, 0, 0, 0))
            return out
        _fill(out, color)
    elif not cut:
        return out
    center_x, center_y = f32((w - 1) * 0.5), f32((h - 1) * 0.5)
    for radius, right, bottom in ((tl, False, False), (tr, True, False),
                                  (bl, False, True), (br, True, True)):
        if not radius > ZERO or int(radius) <= 0:
            continue
        n = int(radius)
        x0, y0 = (w - n if right else 0), (h - n if bottom else 0)
        for y in range(y0, y0 + n):
            qy = f32(abs(f32(y) - center_y)) - center_y + radius
            qy_out = max(qy, ZERO)
            for x in range(x0, x0 + n):
                qx = f32(abs(f32(x) - center_x)) - center_x + radius
                qx_out = max(qx, ZERO)
                dist_outside = np.sqrt(fma32(qx_out, qx_out, qy_out * qy_out))
                dist_inside = min(max(qx, qy), ZERO)
                signed = dist_inside + dist_outside - radius
                if signed >= HALF:
                    out[y, x, 3] = 0
                elif signed > -HALF:
                    alpha_f = (radius + HALF) - (dist_inside + dist_outside)
                    if has_color:
                        out[y, x, 3] = low8_trunc(alpha_f * f32(alpha_base))
                    else:
                        out[y, x, 3] = low8_trunc(f32(out[y, x, 3]) * alpha_f)
    return out


def _over(sa, base):
    return f32(fma64(float(base), 1.0 - float(sa), float(sa)))


def _blend(under, top, sa, inv_total_a):
    blended = float(under) * (1.0 - float(sa)) + float(top)
    return low8_trunc(f32(blended * float(inv_total_a)))


def _alpha_of(total_a):
    return 255 if total_a >= ONE else low8_trunc(float(total_a) * 255.0)


def outline(pixels, radii, stroke_width, color, background=None):
    """transform_into_outlined_rounded_rect on a copy of `pixels`, with four radii."""
    with np.errstate(over="ignore"):  # huge strokes overflow to infinity, as in the kernel
        return _outline(pixels, radii, stroke_width, color, background)


def _outline(pixels, radii, stroke_width, color, background):
    out = pixels.copy()
    h, w = out.shape[:2]
    stroke_width = f32(stroke_width)
    alpha_base = color[3] if len(color) > 3 else 255
    r, g, b = color[:3]
    if background is None and alpha_base == 0:
        return out
    half_width = HALF * stroke_width
    tl, tr, br, bl = (max(f32(x) - half_width, ZERO) for x in radii)
    cutoff = half_width + HALF
    cutoff_exact = float(half_width) + 0.5
    box_half_w = (f32(w) - stroke_width) * HALF
    box_half_h = (f32(h) - stroke_width) * HALF
    center_x, center_y = f32((w - 1) * 0.5), f32((h - 1) * 0.5)
    stroke_mult = f32(alpha_base / 255)
    if background is not None:
        bg_r, bg_g, bg_b = background[:3]
        bg_mult = f32(background[3] / 255) if len(background) > 3 else ONE
    for y in range(h):
        bottom = f32(y) - center_y > ZERO
        r_left, r_right = (bl, br) if bottom else (tl, tr)
        qy_base = f32(abs(f32(y) - center_y)) - box_half_h
        for x in range(w):
            current_r = r_right if f32(x) - center_x > ZERO else r_left
            qy = qy_base + current_r
            qx = f32(abs(f32(x) - center_x)) - box_half_w + current_r
            qx_out, qy_out = max(qx, ZERO), max(qy, ZERO)
            dist_outside = np.sqrt(fma32(qx_out, qx_out, qy_out * qy_out))
            dist_inside = min(max(qx, qy), ZERO)
            dist_sum = dist_inside + dist_outside
            signed = dist_sum - current_r
            sa = min(max(cutoff - f32(abs(signed)), ZERO), ONE) * stroke_mult
            cell = out[y, x]
            if float(signed) > cutoff_exact:
                cell[3] = 0
                continue
            if background is not None:
                ba_eff = min(max((current_r + half_width) - dist_sum, ZERO), ONE) * bg_mult
                total_a = _over(sa, ba_eff)
                if total_a <= ZERO:
                    cell[3] = 0
                    continue
                inv = ONE / total_a
                cell[:3] = [_blend(ba_eff * f32(bg_c), sa * f32(c), sa, inv)
                            for bg_c, c in ((bg_r, r), (bg_g, g), (bg_b, b))]
                cell[3] = _alpha_of(total_a)
                continue
            if float(signed) < -cutoff_exact or sa <= ZERO:
                continue
            if signed > ZERO:
                cell[:3] = (r, g, b)
                cell[3] = (alpha_base & 0xFF) if sa >= ONE else low8_trunc(float(sa) * 255.0)
            elif sa >= ONE:
                cell[:3] = (r, g, b)
                cell[3] = alpha_base & 0xFF
            else:
                orig_a = f32(int(cell[3]) / 255)
                total_a = _over(sa, orig_a)
                if total_a <= ZERO:
                    cell[3] = 0
                    continue
                inv = ONE / total_a
                cell[:3] = [_blend(f32(int(o)) * orig_a, f32(c) * sa, sa, inv)
                            for o, c in zip(cell[:3].tolist(), (r, g, b))]
                cell[3] = _alpha_of(total_a)
    return out
