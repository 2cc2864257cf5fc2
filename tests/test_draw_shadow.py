"""draw.shadow against a float64 integral of the blurred rounded box."""

import math

import numpy as np
import pygame
import pytest

from test_draw_rect import H, W, rgba, surface
from zuvo_ui.fast.shapes import draw

pytestmark = [pytest.mark.pygame_ce, pytest.mark.clang]


def normal_cdf(z):
    """Abramowitz and Stegun 7.1.26 (error below 1.5e-7), for arrays."""
    x = np.abs(z) / math.sqrt(2)
    t = 1 / (1 + 0.3275911 * x)
    poly = t * (0.254829592 + t * (-0.284496736 + t * (1.421413741 + t * (-1.453152027 + t * 1.061405429))))
    erf = 1 - poly * np.exp(-x * x)
    return 0.5 * (1 + np.sign(z) * erf)


def row_extent(y, box, radius):
    """The box's x extent on the rows y (radii [tl, tr, br, bl])."""
    x0, y0, x1, y1 = box

    def inset(r_top, r_bottom):
        r = np.where(y < y0 + r_top, r_top, np.where(y > y1 - r_bottom, r_bottom, 0.0))
        dy = np.where(y < y0 + r_top, y0 + r - y, y - (y1 - r))
        return r - np.sqrt(np.maximum(r * r - dy * dy, 0))

    return x0 + inset(radius[0], radius[3]), x1 - inset(radius[1], radius[2])


def coverage(box, radius, sigma, samples=800):
    """The box's indicator convolved with the Gaussian, at every pixel centre:
    row by row, a midpoint integral over the box's rows near the pixel row."""
    x0, y0, x1, y1 = box
    px = np.arange(W) + 0.5
    out = np.zeros((H, W))
    for j in range(H):
        py = j + 0.5
        lo, hi = max(y0, py - 6 * sigma), min(y1, py + 6 * sigma)
        if lo >= hi:
            continue
        step = (hi - lo) / samples
        y = lo + (np.arange(samples) + 0.5) * step
        left, right = row_extent(y, box, radius)
        weight = np.exp(-0.5 * ((py - y) / sigma) ** 2) / (sigma * math.sqrt(2 * math.pi)) * step
        across = normal_cdf((right[:, None] - px) / sigma) - normal_cdf((left[:, None] - px) / sigma)
        out[j] = weight @ across
    return out


def composite(before, has_alpha, colour, cover):
    r, g, b, a = colour
    sa = (a / 255 * cover)[..., None]
    rgb = np.array([r, g, b], float)
    out = before.copy()
    if has_alpha:
        keep = before[..., 3:] / 255 * (1 - sa)
        out_a = sa + keep
        out[..., :3] = np.where(out_a > 0, (rgb * sa + before[..., :3] * keep) / np.where(out_a > 0, out_a, 1),
                                before[..., :3])
        out[..., 3:] = out_a * 255
    else:
        out[..., :3] = rgb * sa + before[..., :3] * (1 - sa)
    return out


# (colour, rect, blur, radii (border_radius, per corner...), spread, offset)
CASES = {
    "soft card": ((0, 0, 0, 200), (8, 6, 30, 22), 12, (6,), 0, (0, 0)),
    "centred (mirrored rows and columns)": ((0, 0, 0, 180), (10, 8, 28, 20), 4, (7,), 0, (0, 0)),
    "sharp": ((20, 40, 200, 255), (6.5, 5.25, 33, 24), 1, (9,), 0, (0, 0)),
    "per corner, offset": ((90, 0, 60, 160), (4, 4, 34, 24), 6, (0, 12, 0, -1, 3), 0, (3.5, 2)),
    "spread": ((0, 0, 0, 255), (14, 12, 18, 10), 8, (4,), 5, (0, 0)),
    "negative spread": ((255, 255, 255, 230), (4, 3, 40, 30), 5, (8,), -3, (-1, 1)),
    "pill, wide blur": ((0, 30, 0, 255), (10, 14, 28, 8), 30, (100,), 0, (0, 0)),
    "pill, needle sharp": ((200, 0, 0, 255), (6.5, 5.25, 33, 24), 0.02, (100,), 0, (0, 0)),
}


def expected_cover(case):
    colour, (x, y, w, h), blur, radii, spread, (dx, dy) = CASES[case]
    box = (x + dx - spread, y + dy - spread, x + w + dx + spread, y + h + dy + spread)
    half = min(box[2] - box[0], box[3] - box[1]) / 2
    shared = radii[0] if radii[0] >= 1 else 0
    tl, tr, bl, br = ((c if c >= 0 else shared) for c in list(radii[1:]) + [-1] * (5 - len(radii)))
    radius = [min(max(r + spread, 0), half) if r > 0 else 0 for r in (tl, tr, br, bl)]
    return coverage(box, radius, blur / 2)


@pytest.mark.parametrize("kind", ["alpha bgra", "opaque 32", "opaque 24"])
@pytest.mark.parametrize("case", list(CASES))
def test_the_shadow_is_the_blurred_box(kind, case):
    _, target = surface(kind)
    before = rgba(target)
    colour, rect, blur, radii, spread, offset = CASES[case]
    drawn = draw.shadow(target, colour, rect, blur, *radii, spread=spread, offset=offset)
    want = composite(before, kind.startswith("alpha"), colour, expected_cover(case))
    got = rgba(target)
    # With per-pixel alpha, the colour as seen: premultiplied.  (The reference
    # changes pixels wherever its coverage is above 0, the shadow only within
    # its reach, and on a pixel of alpha 3 a coverage of 0.0005 moves the
    # colour by 5.)
    for image in (got, want):
        image[..., :3] *= image[..., 3:] / 255
    error = np.abs(got - want)
    assert error.max() <= 2 and error.mean() <= 0.5
    # Outside the rect returned, nothing changed.
    x, y, w, h = drawn
    outside = np.ones((H, W), bool)
    outside[y:y + h, x:x + w] = False
    assert np.array_equal(rgba(target)[outside], before[outside])
    assert not target.get_locked()


def test_blur_zero_draws_the_box_as_rect_does():
    a, b = surface("alpha rgba")[1], surface("alpha rgba")[1]
    assert draw.shadow(a, (9, 8, 7, 200), (3.5, 4, 30, 20), 0, 6) == draw.rect(b, (9, 8, 7, 200), (3.5, 4, 30, 20), 0, 6)
    assert np.array_equal(rgba(a), rgba(b))


@pytest.mark.parametrize("kind", ["alpha bgra", "opaque 32"])
@pytest.mark.parametrize("blur", [1e-300, 5e-324])
def test_a_vanishing_blur_draws_the_limit_of_small_ones(kind, blur):
    # Below an ulp of the rows the blur's window is no wider than a row; half
    # of 5e-324 is 0.
    a, b = surface(kind)[1], surface(kind)[1]
    draw.shadow(a, (0, 0, 90, 255), (6.5, 5.25, 33, 24), blur, 9)
    draw.shadow(b, (0, 0, 90, 255), (6.5, 5.25, 33, 24), 1e-6, 9)
    assert np.array_equal(rgba(a), rgba(b))


def test_clip_rect_and_subsurface_bound_the_shadow():
    parent, target = surface("subsurface")
    target.set_clip((6, 4, 20, 15))
    whole = rgba(parent)
    drawn = draw.shadow(target, (0, 0, 0, 255), (-10, -10, 80, 80), 10, 8)
    assert tuple(drawn) == (6, 4, 20, 15)
    after = rgba(parent)
    x0, y0 = target.get_offset()
    after[y0 + 4:y0 + 19, x0 + 6:x0 + 26] = whole[y0 + 4:y0 + 19, x0 + 6:x0 + 26]
    assert np.array_equal(after, whole)


@pytest.mark.parametrize("blur, error", [(-1, ValueError), (math.nan, ValueError), (math.inf, ValueError),
                                         ("3", TypeError)])
def test_a_bad_blur_raises_and_changes_nothing(blur, error):
    target = surface("opaque 32")[1]
    before = rgba(target)
    with pytest.raises(error):
        draw.shadow(target, (0, 0, 0), (2, 2, 20, 20), blur)
    assert np.array_equal(rgba(target), before) and not target.get_locked()


@pytest.mark.parametrize("offset", [(1,), "ab", None, (1, "x")])
def test_a_bad_offset_raises(offset):
    with pytest.raises(TypeError, match="offset must be a pair of numbers"):
        draw.shadow(pygame.Surface((8, 8)), (0, 0, 0), (1, 1, 4, 4), 2, offset=offset)
