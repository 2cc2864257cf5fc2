"""Hostile arguments for every curvix function: the exception or result each
must give, never a crash, and never a write outside the pixels a call was given.

Run under the sanitizer build (make test-sanitize) these also catch reads and
writes past a buffer that happen not to change a guard byte.
"""

import math
import types

import numpy as np
import pygame
import pytest
from hypothesis import HealthCheck, given, settings, strategies as st

from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]


class Boom(Exception):
    pass


class RaisingInt:
    def __int__(self):
        raise Boom("int")


class StrInt:
    def __int__(self):
        return "3"


class RaisingFloat:
    def __float__(self):
        raise Boom("float")


class NanFloat:
    def __float__(self):
        return math.nan


class LyingLength:
    """Claims four items but has fewer."""

    def __len__(self):
        return 4

    def __getitem__(self, i):
        if i >= 2:
            raise IndexError(i)
        return 3


class RaisingLength:
    def __len__(self):
        raise Boom("len")


class ShrinkingList(list):
    """A list that loses its items as they are read."""

    def __init__(self, items):
        super().__init__(items)
        self.items = list(items)

    def __getitem__(self, i):
        value = list.__getitem__(self, i)
        self.clear()
        return value


class TupleSub(tuple):
    pass


NUMBERS = [0, 1, -1, 3, 2.5, -0.5, 1e30, -1e30, math.nan, math.inf, -math.inf, 2**31, -2**31 - 1,
           2**100, True, np.int64(4), np.float32(2.5), "7", None, object(), RaisingInt(), StrInt(),
           RaisingFloat(), NanFloat()]
SEQUENCES = [(), (1,), (1, 2), (1, 2, 3), (4, 3, 2, 1), (1, 2, 3, 4, 5), [5, 5, 5, 5], "abcd",
             LyingLength(), RaisingLength(), ShrinkingList([1, 2, 3, 4]), TupleSub((1, 2, 3, 4)),
             (math.nan, 1, 2, 3), (1e30, -1e30, 0, 5), (RaisingFloat(), 1, 2, 3)]
SIZES = [(0, 0), (1, 1), (5, 3), (40, 2), (3.9, 2.1), ("6", 4), (1,), (), (2**31, 1), (-1, 4),
         (RaisingInt(), 3), TupleSub((4, 4)), [4, 4], None]
COLOURS = [(1, 2, 3), (1, 2, 3, 0), (1, 2, 3, 128), (1, 2, 3, 255), (1, 2, 3, 300), (1, 2, 3, -5),
           (1, 2), (), (256, 0, 0), (-1, 0, 0), (1.5, 2.5, 3.5, 4.5), (StrInt(), 0, 0),
           (0, 0, 0, RaisingInt()), [1, 2, 3], TupleSub((1, 2, 3)), ShrinkingList([1, 2, 3, 4]),
           LyingLength(), None, 7]

numbers = st.sampled_from(NUMBERS)
anything = st.sampled_from(NUMBERS + SEQUENCES + SIZES + COLOURS)
radii = st.sampled_from(NUMBERS + SEQUENCES)
sizes = st.sampled_from(SIZES)
colours = st.sampled_from(COLOURS)

SETTINGS = settings(max_examples=400, deadline=None,
                    suppress_health_check=[HealthCheck.function_scoped_fixture])


def outcome(fn, *args):
    """("raised", exception type) or ("returned", value)."""
    try:
        return "returned", fn(*args)
    except Exception as exc:  # noqa: BLE001 - the type is what the tests compare
        return "raised", type(exc)


def fresh(value):
    """The value as the table holds it: a ShrinkingList read before is refilled."""
    return ShrinkingList(value.items) if isinstance(value, ShrinkingList) else value


# What a generator may raise for the hostile tables: conversion and indexing
# errors, the hostile objects' own Boom, and pygame refusing the size.
GENERATOR_ERRORS = (TypeError, IndexError, ValueError, OverflowError, Boom, pygame.error)


def check_generated(result, size):
    """A surface of the size asked for (as int() reads it), or an expected exception."""
    if result[0] == "raised":
        assert issubclass(result[1], GENERATOR_ERRORS)
    else:
        surf = result[1]
        assert isinstance(surf, pygame.Surface) and surf.get_flags() & pygame.SRCALPHA
        assert surf.get_size() == (int(size[0]), int(size[1]))


@SETTINGS
@given(size=sizes, radii_input=radii, color=colours)
def test_filled_generator_gives_a_surface_or_an_expected_error(size, radii_input, color):
    for fn in (curvix._create_rounded_rect_surface_optimized, curvix.create_rounded_rect_surface):
        check_generated(outcome(fn, fresh(size), fresh(radii_input), fresh(color)), size)


@SETTINGS
@given(size=sizes, radius=numbers, width=numbers, color=colours)
def test_outlined_generator_gives_a_surface_or_an_expected_error(size, radius, width, color):
    for fn in (curvix._create_outlined_rounded_rect_sdf, curvix.create_outlined_rounded_rect_sdf):
        check_generated(outcome(fn, fresh(size), radius, width, fresh(color)), size)


def framed_surface():
    """A 12 x 9 subsurface inside a 20 x 15 surface of known content."""
    parent = pygame.Surface((20, 15), pygame.SRCALPHA)
    view = pygame.surfarray.pixels3d(parent)
    view[...] = np.arange(20 * 15 * 3, dtype=np.uint32).reshape(20, 15, 3) % 251
    alpha = pygame.surfarray.pixels_alpha(parent)
    alpha[...] = np.arange(20 * 15, dtype=np.uint32).reshape(20, 15) % 241
    del view, alpha
    return parent, parent.subsurface((4, 3, 12, 9))


def outside_of(parent):
    """Every pixel of the parent outside the subsurface, as bytes."""
    pixels = pygame.surfarray.array3d(parent).copy()
    alpha = pygame.surfarray.array_alpha(parent).copy()
    pixels[4:16, 3:12] = 0
    alpha[4:16, 3:12] = 0
    return pixels.tobytes() + alpha.tobytes()


# How the functions convert their arguments, in Python: the model the tests
# predict each call's exception (or success) with.

FLOAT_HALFWAY = 340282356779733661637539395458142568448.0  # above it, narrowing gives infinity


def as_float(value):
    """__float__, then __index__; a string is not parsed."""
    if isinstance(value, str):
        raise TypeError
    return float(value)


def finite_single(value):
    return math.isfinite(value) and abs(value) < FLOAT_HALFWAY


def as_int(value):
    """An int as it is, anything else through its type's __int__."""
    if isinstance(value, int):
        return int(value)
    to_int = getattr(type(value), "__int__", None)
    if to_int is None:
        raise TypeError
    result = to_int(value)
    if not isinstance(result, int):
        raise TypeError
    return result


def as_int32(value):
    result = as_int(value)
    if not -2**31 <= result < 2**31:
        raise OverflowError
    return result


def as_uint8(value):
    result = as_int(value)
    if not 0 <= result <= 255:
        raise OverflowError
    return result


def radii_of(radii_input):
    """One number for all corners, four numbers, or square corners for any other length."""
    if isinstance(radii_input, (int, float)):
        return [as_float(radii_input)] * 4
    if len(radii_input) != 4:
        return [0.0] * 4
    return [as_float(radii_input[i]) for i in range(4)]


def rgb_checked(color):
    for i in range(3):
        as_uint8(color[i])


def alpha_of(color):
    return 255 if len(color) <= 3 else as_int32(color[3])


def predicted(model, *args):
    """The model's outcome, from fresh copies of the arguments."""
    try:
        return "returned", model(*(fresh(a) for a in args))
    except Exception as exc:  # noqa: BLE001 - the model raises what the call must raise
        return "raised", type(exc)


def corner_transform_model(radii_input, color):
    """What transform_into_rounded_rect does to a 12 x 9 surface: nothing,
    "alpha" (only the alpha of the corners), or the colour it fills with first."""
    cut = any(r > 0 for r in radii_of(radii_input))  # a NaN corner stays square
    if color is None:
        return "alpha" if cut else "nothing"
    alpha = alpha_of(color)
    rgb_checked(color)
    if cut and alpha == 0:
        return (0, 0, 0)  # an invisible colour: transparent black
    scratch = pygame.Surface((12, 9), pygame.SRCALPHA)
    scratch.fill(color)  # raises what the surface's own fill raises
    return tuple(scratch.get_at((0, 0)))[:3]


def outline_transform_model(radii_input, stroke_width, color, background):
    """What transform_into_outlined_rounded_rect does: "nothing" or "draws"."""
    width = as_float(stroke_width)
    if not (color is None or type(color) is tuple):
        raise TypeError
    if not finite_single(width):
        raise ValueError
    if not all(finite_single(r) for r in radii_of(radii_input)):
        raise ValueError
    if color is None:
        raise TypeError  # None has no len()
    alpha = alpha_of(color)
    rgb_checked(color)
    if not 0 <= alpha <= 255:
        raise ValueError
    if background is None:
        return "nothing" if alpha == 0 else "draws"
    rgb_checked(background)
    if len(background) > 3:
        as_uint8(background[3])
    return "draws"


def inside_of(surf):
    return pygame.surfarray.array3d(surf), pygame.surfarray.array_alpha(surf)


@SETTINGS
@given(radii_input=radii, color=st.sampled_from(COLOURS + [None]))
def test_corner_transform_outcome_and_writes(radii_input, color):
    parent, surf = framed_surface()
    before, outside, (rgb, _) = pygame.image.tobytes(parent, "RGBA"), outside_of(parent), \
        inside_of(surf)
    expected = predicted(corner_transform_model, radii_input, color)
    result = outcome(curvix.transform_into_rounded_rect, surf, fresh(radii_input), fresh(color))
    assert not surf.get_locked() and not parent.get_locked()
    if expected[0] == "raised":
        assert result == expected
        assert pygame.image.tobytes(parent, "RGBA") == before
        return
    assert result == ("returned", None)
    assert outside_of(parent) == outside
    effect = expected[1]
    rgb_after, _ = inside_of(surf)
    if effect == "nothing":
        assert pygame.image.tobytes(parent, "RGBA") == before
    elif effect == "alpha":
        assert (rgb_after == rgb).all()
    else:
        assert (rgb_after == effect).all()


@SETTINGS
@given(radii_input=radii, stroke_width=numbers, color=colours,
       background=st.sampled_from(COLOURS + [None]))
def test_outline_transform_outcome_and_writes(radii_input, stroke_width, color, background):
    parent, surf = framed_surface()
    before, outside = pygame.image.tobytes(parent, "RGBA"), outside_of(parent)
    expected = predicted(outline_transform_model, radii_input, stroke_width, color, background)
    result = outcome(curvix.transform_into_outlined_rounded_rect, surf, fresh(radii_input),
                     stroke_width, fresh(color), fresh(background))
    assert not surf.get_locked() and not parent.get_locked()
    if expected[0] == "raised":
        assert result == expected
        assert pygame.image.tobytes(parent, "RGBA") == before
        return
    assert result == ("returned", None)
    if expected[1] == "nothing":
        assert pygame.image.tobytes(parent, "RGBA") == before
    else:
        assert outside_of(parent) == outside


class LyingSurface(pygame.Surface):
    """A surface whose size queries and fill can be made to lie or fail."""

    width_answer = None
    height_answer = None
    fill_raises = False

    def get_width(self):
        return self.width_answer if self.width_answer is not None else super().get_width()

    def get_height(self):
        return self.height_answer if self.height_answer is not None else super().get_height()

    def fill(self, *args, **kwargs):
        if self.fill_raises:
            raise Boom("fill")
        return super().fill(*args, **kwargs)


@pytest.mark.parametrize("width, height, fill_raises", [
    (13, None, False), (None, 10, False), (100, 100, False), (0, 0, False), (-1, 5, False),
    (2**31, 1, False), (RaisingInt(), None, False), (StrInt(), None, False), (3.7, None, False),
    ("12", None, False), (None, None, True),
])
@pytest.mark.parametrize("transform, fill_colour", [
    (lambda s: curvix.transform_into_rounded_rect(s, 4), None),
    (lambda s: curvix.transform_into_rounded_rect(s, 4, (1, 2, 3, 200)), (1, 2, 3, 200)),
    (lambda s: curvix.transform_into_outlined_rounded_rect(s, 4, 2, (255, 0, 0)), None),
    (lambda s: curvix.transform_into_outlined_rounded_rect(s, 4, 2, (255, 0, 0), (0, 0, 255)), None),
])
def test_lying_surfaces_never_get_writes_through_their_views(width, height, fill_raises, transform,
                                                            fill_colour):
    surf = LyingSurface((12, 9), pygame.SRCALPHA)
    surf.fill((10, 20, 30, 40))
    untouched = pygame.image.tobytes(surf, "RGBA")
    filled = surf.copy()
    if fill_colour:
        filled.fill(fill_colour)
    surf.width_answer, surf.height_answer, surf.fill_raises = width, height, fill_raises
    lies = width not in (None, 12) or height not in (None, 9)
    outcome(transform, surf)
    assert not surf.get_locked()
    if lies:
        # Whatever the claimed size, the pixel passes never ran: at most the fill did.
        assert pygame.image.tobytes(surf, "RGBA") in (untouched, pygame.image.tobytes(filled, "RGBA"))


def guarded_views(shape3, shape2):
    """Pixel views that are strided windows into larger arrays of guard bytes;
    the colour view runs its channels backwards, as pygame's BGRA views do."""
    (w3, h3, c3), (w2, h2) = shape3, shape2
    big3 = np.full((w3 * 4 + 8, h3 + 8, 6), 77, np.uint8)
    big2 = np.full((w2 * 4 + 8, h2 + 8), 77, np.uint8)
    view3 = big3[4:4 + w3 * 4:4, 4:4 + h3, 4:4 - c3:-1]
    view2 = big2[4:4 + w2 * 4:4, 4:4 + h2]
    return big3, big2, view3, view2


@pytest.mark.parametrize("shape3, shape2", [
    ((12, 9, 3), (12, 9)), ((11, 9, 3), (12, 9)), ((12, 9, 3), (12, 8)), ((13, 10, 3), (13, 10)),
    ((12, 9, 2), (12, 9)), ((12, 9, 4), (12, 9)), ((0, 0, 3), (0, 0)),
])
@pytest.mark.parametrize("fn", [
    lambda s: curvix.transform_into_rounded_rect(s, 5, (1, 2, 3)),
    lambda s: curvix.transform_into_rounded_rect(s, 5),
    lambda s: curvix.transform_into_outlined_rounded_rect(s, 5, 3, (255, 0, 0)),
    lambda s: curvix.transform_into_outlined_rounded_rect(s, 5, 3, (255, 0, 0), (0, 9, 0, 9)),
])
def test_views_that_do_not_match_the_surface_are_refused(monkeypatch, shape3, shape2, fn):
    big3, big2, view3, view2 = guarded_views(shape3, shape2)
    guard3, guard2 = big3.copy(), big2.copy()
    fake = types.SimpleNamespace(surfarray=types.SimpleNamespace(
        pixels3d=lambda s: view3, pixels_alpha=lambda s: view2))
    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=fake))
    surf = pygame.Surface((12, 9), pygame.SRCALPHA)
    matches = shape3[:2] == (12, 9) and shape3[2] >= 3 and shape2 == (12, 9)
    if matches:
        fn(surf)
        # Only the cells of the views may change: the guard bytes around them stay.
        changed3 = big3 != guard3
        changed3[4:4 + 48:4, 4:13, 2:5] = False
        changed2 = big2 != guard2
        changed2[4:4 + 48:4, 4:13] = False
        assert not changed3.any() and not changed2.any()
    else:
        with pytest.raises(ValueError, match="does not match the surface size"):
            fn(surf)
        assert (big3 == guard3).all() and (big2 == guard2).all()
