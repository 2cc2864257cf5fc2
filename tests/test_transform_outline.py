"""transform_into_outlined_rounded_rect: stroking the border of an existing surface in place."""

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

outline = curvix.transform_into_outlined_rounded_rect

BLUE = (0, 0, 255, 255)


@pytest.mark.parametrize("layout", LAYOUTS)
@pytest.mark.parametrize("background, row", [
    (None, {0: (255, 0, 0, 255), 1: (127, 0, 127, 255)}),
    ((0, 255, 0, 128), {0: (255, 0, 0, 255), 1: (169, 85, 0, 191), 2: (0, 254, 0, 128)}),
])
@pytest.mark.py313
def test_stroke_1_5_on_the_blue_square(layout, background, row):
    t = make(layout, (20, 20), BLUE)
    assert outline(t.surf, 0, 1.5, (255, 0, 0), background) is None
    for x, expected in row.items():
        assert pixel(t.surf, x, 10) == expected, x
        assert pixel(t.surf, 19 - x, 10) == expected, 19 - x
        assert pixel(t.surf, 10, x) == expected and pixel(t.surf, 10, 19 - x) == expected
    interior = rgba(t.surf)[2:18, 2:18]
    # The single-precision reciprocal takes 255 back out of alpha 128 as 254.
    assert (interior == (BLUE if background is None else (0, 254, 0, 128))).all()
    assert t.outside_unchanged() and not t.surf.get_locked()


@pytest.mark.parametrize("layout", LAYOUTS)
def test_half_transparent_stroke_2_over_transparent_pixels(layout):
    t = make(layout, (20, 20), (0, 0, 255, 0))
    outline(t.surf, 0, 2, (255, 0, 0, 128))
    # Column 0 is the outer half (replaced), column 1 the inner half (composited).
    assert [pixel(t.surf, x, 10) for x in range(3)] == [
        (255, 0, 0, 128), (254, 0, 0, 128), (0, 0, 255, 0)]
    assert t.outside_unchanged()


def test_invisible_stroke_without_background_changes_nothing_at_all():
    t = make("subsurface", (20, 20))
    paint_gradient(t.surf)
    before = rgba(t.surf)
    assert outline(t.surf, 8, 2, (255, 0, 0, 0)) is None
    assert np.array_equal(rgba(t.surf), before)
    assert t.outside_unchanged() and not t.surf.get_locked()


def test_invisible_stroke_with_background_leaves_the_background_ramping_to_the_edge():
    t = make("bgra", (20, 20), (1, 2, 3, 255))
    outline(t.surf, 8, 2, (255, 0, 0, 0), (0, 255, 0))
    # On the straight edge the outer half pixel ramps, the next is solid.
    assert pixel(t.surf, 0, 10) == (0, 255, 0, 127)
    assert pixel(t.surf, 1, 10) == (0, 255, 0, 255)
    got = rgba(t.surf)
    for solid in (got[3:17, 3:17], got[8:12, 1:19], got[1:19, 8:12]):
        assert (solid == (0, 255, 0, 255)).all()
    # Beyond the rounded corner's edge only the alpha is cleared.
    assert pixel(t.surf, 0, 0) == (1, 2, 3, 0)


@pytest.mark.parametrize("background", [None, (9, 9, 9), (9, 9, 9, 40)])
def test_pixels_beyond_the_outer_edge_end_transparent_with_their_colour(background):
    t = make("rgba", (24, 24), (1, 2, 3, 200))
    outline(t.surf, 10, 3, (255, 0, 0, 200), background)
    got = rgba(t.surf)
    for x, y in [(0, 0), (1, 0), (0, 1), (23, 0), (0, 23), (23, 23), (22, 22)]:
        assert tuple(got[y, x]) == (1, 2, 3, 0), (x, y)


@pytest.mark.parametrize("radius", [1, 0.5, -3, (1, 2, 3), [], (1, 0, -5, 0.25), [0] * 5])
def test_radii_up_to_half_the_stroke_give_the_same_outer_corner(radius):
    ref = make("bgra", (16, 12), BLUE).surf
    outline(ref, 0, 2, (255, 0, 0, 255), (0, 0, 0, 255))
    t = make("bgra", (16, 12), BLUE).surf
    outline(t, radius, 2, (255, 0, 0, 255), (0, 0, 0, 255))
    assert np.array_equal(rgba(t), rgba(ref))
    # The outer corner has radius 1 (half the stroke): the corner pixel is cut.
    assert 0 < pixel(t, 0, 0)[3] < 255


def test_radii_are_not_clamped_to_the_box():
    results = []
    for radius in (10, 15):
        t = make("bgra", (20, 20), BLUE).surf
        outline(t, radius, 2, (255, 0, 0))
        results.append(rgba(t))
    assert not np.array_equal(results[0], results[1])


def test_each_corner_takes_its_own_radius_clockwise_from_top_left():
    radii = (3, 5, 7, 9)  # top-left, top-right, bottom-right, bottom-left
    t = make("rgba", (30, 26), BLUE).surf
    outline(t, radii, 2, (255, 0, 0), (0, 200, 0, 255))
    got = rgba(t)
    quadrants = {3: (slice(0, 13), slice(0, 15)), 5: (slice(0, 13), slice(15, 30)),
                 7: (slice(13, 26), slice(15, 30)), 9: (slice(13, 26), slice(0, 15))}
    for radius, (rows, cols) in quadrants.items():
        uniform = make("rgba", (30, 26), BLUE).surf
        outline(uniform, radius, 2, (255, 0, 0), (0, 200, 0, 255))
        assert np.array_equal(got[rows, cols], rgba(uniform)[rows, cols]), radius


def test_the_middle_row_and_column_of_an_odd_size_belong_to_the_top_left():
    # Top-left 14 reaches the middle row and column of a 21 x 21 surface.
    t = make("bgra", (21, 21), BLUE).surf
    outline(t, (14, 2, 2, 2), 2, (255, 0, 0))
    got = rgba(t)
    uniform = {}
    for radius in (14, 2):
        u = make("bgra", (21, 21), BLUE).surf
        outline(u, radius, 2, (255, 0, 0))
        uniform[radius] = rgba(u)
    assert np.array_equal(got[10, :11], uniform[14][10, :11])
    assert np.array_equal(got[:11, 10], uniform[14][:11, 10])
    assert np.array_equal(got[10, 11:], uniform[2][10, 11:])
    assert not np.array_equal(uniform[14][10, :11], uniform[2][10, :11])


def test_layouts_agree_byte_for_byte():
    results = []
    for layout in LAYOUTS:
        for background in (None, (30, 60, 90, 150)):
            t = make(layout, (23, 17))
            paint_gradient(t.surf)
            outline(t.surf, (6, 2.5, 9, 0), 2.5, (200, 120, 40, 170), background)
            assert t.outside_unchanged() and not t.surf.get_locked()
            results.append((background, rgba(t.surf)))
    for background, got in results:
        first = next(r for b, r in results if b == background)
        assert np.array_equal(got, first)


@pytest.mark.parametrize("stroke_width", [0, -1.5, 25, 1e30])
@pytest.mark.parametrize("background", [None, (4, 5, 6)])
def test_degenerate_stroke_widths_run_through_the_same_formulas(stroke_width, background):
    t = make("bgra", (10, 10), (1, 2, 3, 200)).surf
    content = rgba(t)
    assert outline(t, 3, stroke_width, (255, 0, 0), background) is None
    expected = reference.outline(content, [3] * 4, stroke_width, (255, 0, 0), background)
    assert np.array_equal(rgba(t), expected)
    assert not t.get_locked()


def test_background_list_and_three_items_mean_opaque():
    a = make("bgra", (14, 14), BLUE).surf
    b = make("bgra", (14, 14), BLUE).surf
    outline(a, 5, 2, (255, 0, 0), [0, 255, 0])
    outline(b, 5, 2, (255, 0, 0), (0, 255, 0, 255))
    assert np.array_equal(rgba(a), rgba(b))


def test_calls_on_the_surface_come_in_order():
    surf = RecordingSurface((12, 12))
    saved = curvix.md.pygame
    curvix.md.pygame = RecordingPygame()
    try:
        outline(surf, 4, 2, (1, 2, 3), (4, 5, 6))
    finally:
        curvix.md.pygame = saved
    assert surf.log == ["get_width", "get_height", "pixels3d", "pixels_alpha"]
    assert not surf.get_locked()


class TupleSubclass(tuple):
    pass


class IntReturnsStr:
    def __int__(self):
        return "7"


RED = (255, 0, 0)
NAN, INF = math.nan, math.inf
BAD_ARGUMENTS = [
    # (args, kwargs, exception, message)
    (("S", 1, 2), {}, TypeError,
     "transform_into_outlined_rounded_rect() takes at least 4 positional arguments (3 given)"),
    (("S", 1), {"color": RED}, TypeError,
     "transform_into_outlined_rounded_rect() takes at least 4 positional arguments (2 given)"),
    (("S", 1, 2, RED, None, 6), {}, TypeError,
     "transform_into_outlined_rounded_rect() takes at most 5 positional arguments (6 given)"),
    (("S", 1, 2, RED), {"bg": 1}, TypeError,
     "transform_into_outlined_rounded_rect() got an unexpected keyword argument 'bg'"),
    (("S", 1, 2, RED), {"color": RED}, TypeError,
     "transform_into_outlined_rounded_rect() got multiple values for keyword argument 'color'"),
    (("S", 1, "2", RED), {}, TypeError, "must be real number, not str"),
    (("S", 1, "2", [1, 2, 3]), {}, TypeError, "must be real number, not str"),
    (("S", 1, 2, [255, 0, 0]), {}, TypeError,
     "Argument 'color' has incorrect type (expected tuple, got list)"),
    (("S", 1, 2, TupleSubclass(RED)), {}, TypeError,
     "Argument 'color' has incorrect type (expected tuple, got TupleSubclass)"),
    (("S", 1, 2, None), {}, TypeError, "object of type 'NoneType' has no len()"),
    (("S", None, 2, RED), {}, TypeError, "object of type 'NoneType' has no len()"),
    (("S", np.int64(3), 2, RED), {}, TypeError, "object of type 'numpy.int64' has no len()"),
    (("S", "abcd", 2, RED), {}, TypeError, "must be real number, not str"),
    (("S", 1, 2, (256, 0, 0)), {}, OverflowError, "value too large to convert to npy_uint8"),
    (("S", 1, 2, (0, -1, 0)), {}, OverflowError, "can't convert negative value to npy_uint8"),
    (("S", 1, 2, (0, 0, "x")), {}, TypeError, "an integer is required"),
    (("S", 1, 2, (0, 0, 0, 2**31)), {}, OverflowError, "value too large to convert to int"),
    (("S", 1, 2, (0, 0, 0, IntReturnsStr())), {}, TypeError, "__int__ returned non-int (type str)"),
    (("S", 1, 2, (0, 0)), {}, IndexError, "tuple index out of range"),
    (("S", 1, 2, ()), {}, IndexError, "tuple index out of range"),
    (("S", 1, 2, RED, (0, 0)), {}, IndexError, "tuple index out of range"),
    (("S", 1, 2, RED, [0, 0]), {}, IndexError, "list index out of range"),
    (("S", 1, 2, RED, (0, 0, 0, 256)), {}, OverflowError, "value too large to convert to npy_uint8"),
    (("S", 1, 2, RED, (0, 0, 0, -1)), {}, OverflowError, "can't convert negative value to npy_uint8"),
    (("S", 1, 2, RED, (0, 300, 0)), {}, OverflowError, "value too large to convert to npy_uint8"),
    (("S", 1, 2, RED, 5), {}, TypeError, "'int' object is not subscriptable"),
    # A short colour fails even when its alpha would make the stroke invisible.
    (("S", 1, 2, (0, 0), None), {}, IndexError, "tuple index out of range"),
    # Our own choices: nothing in the outline is clamped, so these are refused.
    (("S", 1, 2, (0, 0, 0, 256)), {}, ValueError, "the stroke colour's alpha must be 0 to 255, not 256"),
    (("S", 1, 2, (0, 0, 0, -1), RED), {}, ValueError,
     "the stroke colour's alpha must be 0 to 255, not -1"),
    (("S", 1, NAN, RED), {}, ValueError, "stroke_width must be a finite number"),
    (("S", 1, -INF, RED), {}, ValueError, "stroke_width must be a finite number"),
    (("S", 1, 1e39, RED), {}, ValueError, "stroke_width must be a finite number"),
    (("S", NAN, 2, RED), {}, ValueError, "radii must be finite numbers"),
    (("S", (1, 1, INF, 1), 2, RED), {}, ValueError, "radii must be finite numbers"),
    (("S", [1, 1, 1, -INF], 2, RED, RED), {}, ValueError, "radii must be finite numbers"),
]


@pytest.mark.parametrize("args, kwargs, exc, message", BAD_ARGUMENTS)
def test_bad_arguments_leave_the_surface_as_it_was(args, kwargs, exc, message):
    t = make("subsurface", (16, 12))
    paint_gradient(t.surf)
    before = rgba(t.surf)
    args = tuple(t.surf if isinstance(a, str) and a == "S" else a for a in args)
    with pytest.raises(exc) as info:
        outline(*args, **kwargs)
    assert str(info.value) == message
    assert np.array_equal(rgba(t.surf), before)
    assert t.outside_unchanged() and not t.surf.get_locked()
    entries = [f.name for f in traceback.extract_tb(info.value.__traceback__)]
    assert entries[-1] == "zuvo_ui.fast.shapes.curvix.transform_into_outlined_rounded_rect"


class ClaimsSize(pygame.Surface):
    def __init__(self, size, claimed):
        super().__init__(size, pygame.SRCALPHA)
        self.claimed = claimed

    def get_width(self):
        return self.claimed[0]

    def get_height(self):
        return self.claimed[1]


@pytest.mark.parametrize("claimed, exc, message", [
    ((21, 10), ValueError, "pixels3d view is 20 x 10 x 3, which does not match the surface size 21 x 10"),
    ((20, 9), ValueError, "pixels3d view is 20 x 10 x 3, which does not match the surface size 20 x 9"),
    ((0, 0), ValueError, "pixels3d view is 20 x 10 x 3, which does not match the surface size 0 x 0"),
    (("20", 10), TypeError, "an integer is required"),
    ((20, -2**31 - 1), OverflowError, "value too large to convert to int"),
])
def test_a_claimed_size_that_does_not_match_the_views_is_refused(claimed, exc, message):
    surf = ClaimsSize((20, 10), claimed)
    surf.fill((1, 2, 3, 99))
    with pytest.raises(exc) as info:
        outline(surf, 4, 2, RED, (4, 5, 6))
    assert str(info.value) == message
    assert (rgba(surf) == (1, 2, 3, 99)).all() and not surf.get_locked()


def test_a_surface_without_per_pixel_alpha_is_refused_unchanged():
    surf = pygame.Surface((12, 12), 0, 24)
    surf.fill((10, 20, 30))
    with pytest.raises(ValueError):
        outline(surf, 4, 2, RED)
    assert surf.get_at((0, 0)) == (10, 20, 30, 255) and not surf.get_locked()


channel = st.integers(0, 255)
radius_values = st.floats(-3, 14, width=32) | st.sampled_from([0.0, 0.75, 1.0, 3.0, 6.5])


@settings(max_examples=80, deadline=None)
@given(layout=st.sampled_from(LAYOUTS), size=st.tuples(st.integers(1, 16), st.integers(1, 16)),
       radii=st.tuples(radius_values, radius_values, radius_values, radius_values),
       stroke_width=st.floats(-1, 7, width=32) | st.sampled_from([1.0, 1.5, 2.0, 3.0]),
       color=st.tuples(channel, channel, channel) | st.tuples(channel, channel, channel, channel),
       background=st.none() | st.tuples(channel, channel, channel)
       | st.tuples(channel, channel, channel, channel), seed=st.integers(0, 2**32 - 1))
def test_matches_the_float32_reference_model(layout, size, radii, stroke_width, color,
                                              background, seed):
    t = make(layout, size)
    content = random_pixels(seed, size)
    load(t.surf, content)
    outline(t.surf, radii, stroke_width, color, background)
    expected = reference.outline(content, radii, stroke_width, color, background)
    assert np.array_equal(rgba(t.surf), expected)
    assert t.outside_unchanged()


@pytest.mark.parametrize("radius", [30.29, 33.51])
@pytest.mark.parametrize("stroke_width", [1.0, 1.5])
def test_the_sum_of_squares_is_fused(radius, stroke_width):
    # On these radii a separately rounded sum of squares changes a pixel of the stroke.
    t = make("bgra", (80, 80), BLUE)
    content = rgba(t.surf)
    outline(t.surf, radius, stroke_width, (255, 0, 0))
    expected = reference.outline(content, [radius] * 4, stroke_width, (255, 0, 0))
    assert np.array_equal(rgba(t.surf), expected)
