"""transform_into_rounded_rect: cutting the corners of an existing surface in place."""

import math
import traceback

import numpy as np
import pygame
import pytest
from hypothesis import given, settings, strategies as st

import transform_reference as reference
from surfaces import (LAYOUTS, RecordingPygame, RecordingSurface, load, make, paint_gradient,
                      pixel, random_pixels, rgba)
from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.clang]

cut = curvix.transform_into_rounded_rect


def corner_squares(w, h, n):
    """Mask [y][x] of the four n x n corner squares."""
    mask = np.zeros((h, w), dtype=bool)
    for ys in (slice(0, n), slice(h - n, h)):
        for xs in (slice(0, n), slice(w - n, w)):
            mask[ys, xs] = True
    return mask


# The 100 x 50 surface with radius 10: (x, y, alpha without colour over 200, with colour).
WORKED_100x50 = [
    (0, 0, 0, 0),
    (3, 3, 120, 153),
    (0, 9, 90, 114),
    (9, 0, 90, 114),
    (4, 4, 200, 255),
    # The other three corners mirror the first.
    (99, 0, 0, 0), (96, 3, 120, 153), (3, 46, 120, 153), (96, 46, 120, 153),
    (90, 0, 90, 114), (99, 40, 90, 114),
    # Just outside the corner squares.
    (10, 0, 200, 255), (0, 10, 200, 255),
]


@pytest.mark.py313
@pytest.mark.parametrize("layout", LAYOUTS)
def test_radius_10_without_colour_scales_the_existing_alpha(layout):
    t = make(layout, (100, 50), (7, 8, 9, 200))
    before = rgba(t.surf)
    assert cut(t.surf, 10) is None
    after = rgba(t.surf)
    for x, y, alpha, _ in WORKED_100x50:
        assert pixel(t.surf, x, y) == (7, 8, 9, alpha), (x, y)
    outside = ~corner_squares(100, 50, 10)
    assert np.array_equal(after[outside], before[outside])
    assert np.array_equal(after[..., :3], before[..., :3])
    assert t.outside_unchanged() and not t.surf.get_locked()


@pytest.mark.py313
@pytest.mark.parametrize("layout", LAYOUTS)
def test_radius_10_with_colour_fills_first_and_ramps_from_its_alpha(layout):
    t = make(layout, (100, 50), (7, 8, 9, 200))
    assert cut(t.surf, 10, (10, 20, 30, 255)) is None
    after = rgba(t.surf)
    for x, y, _, alpha in WORKED_100x50:
        assert pixel(t.surf, x, y) == (10, 20, 30, alpha), (x, y)
    assert (after[~corner_squares(100, 50, 10)] == (10, 20, 30, 255)).all()
    assert (after[..., :3] == (10, 20, 30)).all()
    assert t.outside_unchanged() and not t.surf.get_locked()


def test_a_three_item_colour_ramps_from_255():
    a = make("bgra", (30, 20), (0, 0, 0, 0)).surf
    b = make("bgra", (30, 20), (0, 0, 0, 0)).surf
    cut(a, 7, (10, 20, 30))
    cut(b, 7, (10, 20, 30, 255))
    assert np.array_equal(rgba(a), rgba(b))
    assert pixel(a, 0, 0)[3] == 0 and pixel(a, 15, 10) == (10, 20, 30, 255)


def test_radius_2_5_cuts_2_x_2_squares_only():
    t = make("bgra", (20, 20), (1, 1, 1, 200))
    cut(t.surf, 2.5)
    alphas = rgba(t.surf)[..., 3]
    assert alphas[:2, :2].tolist() == [[0, 16], [16, 175]]
    # Pixel (2, 0) lies on the ramp, but outside the square: never visited.
    assert alphas[0, 2] == 200 and alphas[2, 0] == 200
    assert (alphas[~corner_squares(20, 20, 2)] == 200).all()


@pytest.mark.parametrize("radius", [0.3, 0.999, 0, -4, (1, 2, 3), (1, 2, 3, 4, 5), (), [],
                                    (-1, 0.5, -2, 0), float("nan"), float("-inf")])
def test_corners_that_stay_square_change_nothing_or_just_fill(radius):
    t = make("subsurface", (30, 20))
    paint_gradient(t.surf)
    before = rgba(t.surf)
    assert cut(t.surf, radius) is None
    assert np.array_equal(rgba(t.surf), before)
    assert cut(t.surf, radius, (200, 100, 50, 77)) is None
    assert (rgba(t.surf) == (200, 100, 50, 77)).all()
    assert t.outside_unchanged() and not t.surf.get_locked()


@pytest.mark.parametrize("size, radius, acts_as", [
    ((40, 20), 30, 10),
    ((40, 20), (30, 30, 30, 30), 10),
    ((41, 21), 100, 10.5),
    ((40, 20), float("inf"), 10),
    ((40, 20), True, 1),
])
def test_radius_is_clamped_to_half_the_shorter_side(size, radius, acts_as):
    a = make("bgra", size, (5, 6, 7, 230)).surf
    b = make("bgra", size, (5, 6, 7, 230)).surf
    cut(a, radius)
    cut(b, acts_as)
    assert np.array_equal(rgba(a), rgba(b))
    assert pixel(a, 0, 0)[3] < 230


def test_each_corner_takes_its_own_radius_clockwise_from_top_left():
    radii = (2, 4, 6, 8)  # top-left, top-right, bottom-right, bottom-left
    result = make("rgba", (40, 30), (9, 9, 9, 180)).surf
    cut(result, radii)
    got = rgba(result)
    quadrants = {  # radius: (rows, columns) of its quadrant
        2: (slice(0, 15), slice(0, 20)), 4: (slice(0, 15), slice(20, 40)),
        6: (slice(15, 30), slice(20, 40)), 8: (slice(15, 30), slice(0, 20)),
    }
    for radius, (rows, cols) in quadrants.items():
        uniform = make("rgba", (40, 30), (9, 9, 9, 180)).surf
        cut(uniform, radius)
        assert np.array_equal(got[rows, cols], rgba(uniform)[rows, cols]), radius
    assert (got[..., 3] != 180).sum() > 0


def test_a_nan_radius_leaves_its_corner_square():
    t = make("bgra", (30, 30), (1, 2, 3, 255)).surf
    cut(t, (math.nan, 9, 9, 9))
    uniform = make("bgra", (30, 30), (1, 2, 3, 255)).surf
    cut(uniform, 9)
    got, ref = rgba(t), rgba(uniform)
    assert (got[:15, :15] == (1, 2, 3, 255)).all()
    assert np.array_equal(got[15:], ref[15:]) and np.array_equal(got[:, 15:], ref[:, 15:])


def test_colour_with_zero_alpha_clears_the_surface_when_corners_are_cut():
    t = make("bgra", (20, 10), (1, 2, 3, 4)).surf
    cut(t, 3, (200, 100, 50, 0))
    assert (rgba(t) == 0).all()
    cut(t, 0, (200, 100, 50, 0))
    assert (rgba(t) == (200, 100, 50, 0)).all()


@pytest.mark.parametrize("size", [(0, 10), (10, 0), (0, 0)])
def test_an_empty_surface_clamps_every_radius_to_zero(size):
    surf = RecordingSurface(size)
    pygame_proxy = RecordingPygame()
    curvix.md.pygame, saved = pygame_proxy, curvix.md.pygame
    try:
        assert cut(surf, 5) is None
        assert cut(surf, 5, (1, 2, 3)) is None
    finally:
        curvix.md.pygame = saved
    # No view is ever requested: there is no corner to cut.
    assert surf.log == ["get_width", "get_height", "get_width", "get_height", ("fill", (1, 2, 3))]


@pytest.mark.parametrize("color, expected", [
    (None, ["get_width", "get_height", "pixels3d", "pixels_alpha"]),
    ((1, 2, 3), ["get_width", "get_height", ("fill", (1, 2, 3)), "pixels3d", "pixels_alpha"]),
    ([1, 2, 3, 0], ["get_width", "get_height", ("fill", (0, 0, 0, 0))]),
])
def test_calls_on_the_surface_come_in_order(color, expected):
    surf = RecordingSurface((12, 12))
    saved = curvix.md.pygame
    curvix.md.pygame = RecordingPygame()
    try:
        cut(surf, 4, color)
    finally:
        curvix.md.pygame = saved
    assert surf.log == expected
    assert not surf.get_locked()


class IntReturnsStr:
    def __int__(self):
        return "7"


OK = (1, 2, 3)
BAD_ARGUMENTS = [
    # (args, kwargs, exception, message)
    ((), {}, TypeError, "transform_into_rounded_rect() takes at least 2 positional arguments (0 given)"),
    (("S",), {}, TypeError, "transform_into_rounded_rect() takes at least 2 positional arguments (1 given)"),
    (("S",), {"color": OK}, TypeError,
     "transform_into_rounded_rect() takes at least 2 positional arguments (1 given)"),
    (("S", 1, OK, 4), {}, TypeError,
     "transform_into_rounded_rect() takes at most 3 positional arguments (4 given)"),
    (("S", 1), {"radius": 1}, TypeError,
     "transform_into_rounded_rect() got an unexpected keyword argument 'radius'"),
    (("S", 1), {"surf": 1}, TypeError,
     "transform_into_rounded_rect() got multiple values for keyword argument 'surf'"),
    (("S", None), {}, TypeError, "object of type 'NoneType' has no len()"),
    (("S", np.int64(3)), {}, TypeError, "object of type 'numpy.int64' has no len()"),
    (("S", "abcd"), {}, TypeError, "must be real number, not str"),
    (("S", (1, 2, 3, None)), {}, TypeError, "must be real number, not NoneType"),
    (("S", 4, (256, 0, 0)), {}, OverflowError, "value too large to convert to npy_uint8"),
    (("S", 4, (0, 0, -1)), {}, OverflowError, "can't convert negative value to npy_uint8"),
    (("S", 4, (0, "1", 0)), {}, TypeError, "an integer is required"),
    (("S", 4, (0, 0, 0, 2**31)), {}, OverflowError, "value too large to convert to int"),
    (("S", 4, (0, 0, 0, "x")), {}, TypeError, "an integer is required"),
    (("S", 4, (0, 0, 0, IntReturnsStr())), {}, TypeError, "__int__ returned non-int (type str)"),
    (("S", 0, (0, 0, 300, 0)), {}, OverflowError, "value too large to convert to npy_uint8"),
    (("S", 4, (0, 0)), {}, IndexError, "tuple index out of range"),
    (("S", 4, [0, 0]), {}, IndexError, "list index out of range"),
    (("S", 0, (0,)), {}, IndexError, "tuple index out of range"),
    (("S", 4, ()), {}, IndexError, "tuple index out of range"),
    (("S", 4, 7), {}, TypeError, "object of type 'int' has no len()"),
]


@pytest.mark.parametrize("args, kwargs, exc, message", BAD_ARGUMENTS)
def test_bad_arguments_leave_the_surface_as_it_was(args, kwargs, exc, message):
    t = make("subsurface", (16, 12))
    paint_gradient(t.surf)
    before = rgba(t.surf)
    args = tuple(t.surf if a == "S" else a for a in args)
    with pytest.raises(exc) as info:
        cut(*args, **kwargs)
    assert str(info.value) == message
    assert np.array_equal(rgba(t.surf), before)
    assert t.outside_unchanged() and not t.surf.get_locked()
    entries = [f.name for f in traceback.extract_tb(info.value.__traceback__)]
    assert entries[-1] == "zuvo_ui.fast.shapes.curvix.transform_into_rounded_rect"


class ClaimsSize(pygame.Surface):
    def __init__(self, size, claimed):
        super().__init__(size, pygame.SRCALPHA)
        self.claimed = claimed

    def get_width(self):
        return self.claimed[0]

    def get_height(self):
        return self.claimed[1]


@pytest.mark.parametrize("claimed", [(21, 10), (20, 11), (19, 10), (40, 40)])
def test_a_claimed_size_that_does_not_match_the_views_is_refused(claimed):
    surf = ClaimsSize((20, 10), claimed)
    surf.fill((1, 2, 3, 99))
    with pytest.raises(ValueError, match="does not match the surface size"):
        cut(surf, 4)
    assert (rgba(surf) == (1, 2, 3, 99)).all() and not surf.get_locked()
    # With a colour the fill comes before the views: it has happened, no corner is cut.
    with pytest.raises(ValueError, match="does not match the surface size"):
        cut(surf, 4, (5, 6, 7))
    assert (rgba(surf) == (5, 6, 7, 255)).all() and not surf.get_locked()


@pytest.mark.parametrize("claimed, exc, message", [
    (("10", 10), TypeError, "an integer is required"),
    ((10, 2**31), OverflowError, "value too large to convert to int"),
    ((10, None), TypeError, "an integer is required"),
])
def test_a_size_that_is_no_int32_is_refused_before_anything(claimed, exc, message):
    surf = ClaimsSize((10, 10), claimed)
    surf.fill((1, 2, 3, 99))
    with pytest.raises(exc) as info:
        cut(surf, 4, (5, 6, 7))
    assert str(info.value) == message
    assert (rgba(surf) == (1, 2, 3, 99)).all()


def test_a_surface_without_per_pixel_alpha_is_filled_then_the_view_fails():
    surf = pygame.Surface((12, 12), 0, 24)
    with pytest.raises(ValueError):
        cut(surf, 4, (10, 20, 30))
    assert surf.get_at((0, 0)) == (10, 20, 30, 255) and not surf.get_locked()


def test_md_without_pygame_fails_only_when_corners_are_cut(monkeypatch):
    t = make("bgra", (10, 10), (1, 2, 3, 4)).surf
    monkeypatch.delattr(curvix.md, "pygame")
    assert cut(t, 0, (5, 6, 7)) is None
    with pytest.raises(AttributeError):
        cut(t, 3)
    assert (rgba(t) == (5, 6, 7, 255)).all()


radius_values = st.floats(-3, 12, width=32) | st.sampled_from([0.5, 1.0, 2.5, 7.0])


@settings(max_examples=80, deadline=None)
@given(layout=st.sampled_from(LAYOUTS), size=st.tuples(st.integers(1, 16), st.integers(1, 16)),
       radii=st.tuples(radius_values, radius_values, radius_values, radius_values),
       color=st.none() | st.tuples(*[st.integers(0, 255)] * 3)
       | st.tuples(*[st.integers(0, 255)] * 4), seed=st.integers(0, 2**32 - 1))
def test_matches_the_float32_reference_model(layout, size, radii, color, seed):
    t = make(layout, size)
    content = random_pixels(seed, size)
    load(t.surf, content)
    cut(t.surf, radii, color)
    assert np.array_equal(rgba(t.surf), reference.round_corners(content, radii, color))
    assert t.outside_unchanged()


@pytest.mark.parametrize("radius", [19.15, 20.36, 20.94, 26.13])
def test_the_sum_of_squares_is_fused(radius):
    # On these radii a separately rounded sum of squares changes one pixel's alpha.
    t = make("bgra", (60, 60), (0, 0, 0, 0))
    cut(t.surf, radius, (1, 2, 3))
    expected = reference.round_corners(np.zeros((60, 60, 4), np.uint8), [radius] * 4, (1, 2, 3))
    assert np.array_equal(rgba(t.surf), expected)
