"""Hostile arguments for every curvix function: an exception or a defined result,
never a crash, and never a write outside the pixels a call was given.

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


def call(fn, *args):
    try:
        return fn(*args)
    except Exception:  # noqa: BLE001 - any exception is an acceptable outcome here
        return None


@SETTINGS
@given(size=sizes, radii_input=radii, color=colours)
def test_filled_generator_survives(size, radii_input, color):
    result = call(curvix._create_rounded_rect_surface_optimized, size, radii_input, color)
    assert result is None or isinstance(result, pygame.Surface)
    result = call(curvix.create_rounded_rect_surface, size, radii_input, color)
    assert result is None or isinstance(result, pygame.Surface)


@SETTINGS
@given(size=sizes, radius=numbers, width=numbers, color=colours)
def test_outlined_generator_survives(size, radius, width, color):
    for fn in (curvix._create_outlined_rounded_rect_sdf, curvix.create_outlined_rounded_rect_sdf):
        result = call(fn, size, radius, width, color)
        assert result is None or isinstance(result, pygame.Surface)


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


@SETTINGS
@given(radii_input=radii, color=st.sampled_from(COLOURS + [None]))
def test_corner_transform_stays_inside_its_surface(radii_input, color):
    parent, surf = framed_surface()
    before = outside_of(parent)
    assert call(curvix.transform_into_rounded_rect, surf, radii_input, color) is None
    assert outside_of(parent) == before
    assert not surf.get_locked() and not parent.get_locked()


@SETTINGS
@given(radii_input=radii, stroke_width=numbers, color=colours,
       background=st.sampled_from(COLOURS + [None]))
def test_outline_transform_stays_inside_its_surface(radii_input, stroke_width, color, background):
    parent, surf = framed_surface()
    before = outside_of(parent)
    assert call(curvix.transform_into_outlined_rounded_rect, surf, radii_input, stroke_width,
                color, background) is None
    assert outside_of(parent) == before
    assert not surf.get_locked() and not parent.get_locked()


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
    call(transform, surf)
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
