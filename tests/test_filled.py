"""The filled rounded-rectangle generator: exact pixels."""

import itertools
import math
import random

import numpy as np
import pygame
import pytest

from reference import filled_alpha
from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.clang]

generate = curvix._create_rounded_rect_surface_optimized


def alpha_rows(surf):
    """The alpha plane as rows (index [y][x])."""
    return pygame.surfarray.array_alpha(surf).T


def rgb_planes(surf):
    return pygame.surfarray.array3d(surf)


TOP_LEFT_255 = [[0, 50, 176, 245], [50, 245, 255, 255], [176, 255, 255, 255], [245, 255, 255, 255]]
TOP_LEFT_128 = [[0, 25, 88, 123], [25, 123, 128, 128], [88, 128, 128, 128], [123, 128, 128, 128]]


@pytest.mark.parametrize("color, corner, interior", [
    ((10, 20, 30), TOP_LEFT_255, 255),
    ((10, 20, 30, 128), TOP_LEFT_128, 128),
])
@pytest.mark.py313
def test_radius_four_on_ten_by_ten(color, corner, interior):
    rows = alpha_rows(generate((10, 10), 4, color))
    assert rows[:4, :4].tolist() == corner
    # The other corners mirror the top-left one.
    assert (rows[:4, -4:] == np.fliplr(rows[:4, :4])).all()
    assert (rows[-4:, :4] == np.flipud(rows[:4, :4])).all()
    assert (rows[-4:, -4:] == np.flipud(np.fliplr(rows[:4, :4]))).all()
    # Outside the corner squares the fill alpha stays.
    assert (rows[4:6, :] == interior).all() and (rows[:, 4:6] == interior).all()
    assert (rgb_planes(generate((10, 10), 4, color)) == color[:3]).all()


@pytest.mark.parametrize("size, radii, row, expected", [
    # A pill: every radius clamps to half the smaller side.
    ((20, 10), 100, 0, [0, 0, 89, 192, 247, 255]),
    ((20, 10), 100, 4, [247]),
    # n = 2: only a 2 x 2 square per corner is visited.
    ((8, 8), 2.7, 0, [22, 176, 255, 255, 255, 255, 176, 22]),
    # Radius 10 clamps to 2 on a 6 x 4 surface.
    ((6, 4), (10, 0, 0, 0), 0, [96, 234, 255, 255, 255, 255]),
    ((6, 4), (10, 0, 0, 0), 1, [234, 255, 255, 255, 255, 255]),
    ((6, 4), (10, 0, 0, 0), 3, [255] * 6),
])
@pytest.mark.py313
def test_worked_rows(size, radii, row, expected):
    rows = alpha_rows(generate(size, radii, (1, 2, 3)))
    assert rows[row, :len(expected)].tolist() == expected


def test_radius_one_changes_only_the_corner_pixels():
    rows = alpha_rows(generate((10, 10), 1, (0, 0, 0)))
    expected = np.full((10, 10), 255)
    for y, x in itertools.product((0, 9), (0, 9)):
        expected[y, x] = 202
    assert (rows == expected).all()


@pytest.mark.parametrize("radii", [0, 0.99, -3, (1, 2, 3), [], (1, 2, 3, 4, 5), float("nan"),
                                   float("-inf")])
def test_radii_that_leave_a_plain_rectangle(radii):
    assert (alpha_rows(generate((12, 9), radii, (5, 6, 7, 77))) == 77).all()


@pytest.mark.parametrize("radii, rounded", [
    ((10, 0, 0, 0), "top-left"),
    ((0, 10, 0, 0), "top-right"),
    ((0, 0, 10, 0), "bottom-right"),
    ((0, 0, 0, 10), "bottom-left"),
])
def test_each_corner_is_its_own_radius(radii, rounded):
    rows = alpha_rows(generate((30, 20), radii, (1, 1, 1)))
    corners = {"top-left": rows[0, 0], "top-right": rows[0, -1],
               "bottom-left": rows[-1, 0], "bottom-right": rows[-1, -1]}
    assert {name for name, a in corners.items() if a == 0} == {rounded}


def test_infinite_radius_acts_as_half_the_smaller_side():
    assert (alpha_rows(generate((20, 10), math.inf, (1, 2, 3)))
            == alpha_rows(generate((20, 10), 5, (1, 2, 3)))).all()


def test_alpha_zero_gives_transparent_black():
    surf = generate((7, 5), 3, (200, 100, 50, 0))
    assert surf.get_size() == (7, 5)
    assert pygame.image.tobytes(surf, "RGBA") == bytes(7 * 5 * 4)


def test_fractional_alpha_and_size_are_truncated():
    surf = generate((10.9, 5.2), 0, (1, 2, 3, 127.9))
    assert surf.get_size() == (10, 5)
    assert surf.get_at((0, 0)) == (1, 2, 3, 127)


def test_numeric_strings_are_parsed_as_sizes():
    assert generate(("12", "8"), 2, (0, 0, 0)).get_size() == (12, 8)


def test_true_counts_as_radius_one():
    assert (alpha_rows(generate((10, 10), True, (0, 0, 0)))
            == alpha_rows(generate((10, 10), 1, (0, 0, 0)))).all()


@pytest.mark.parametrize("size", [(0, 0), (0, 7), (7, 0), (1, 1)])
def test_degenerate_sizes(size):
    surf = generate(size, 4, (1, 2, 3))
    assert surf.get_size() == size
    assert (pygame.surfarray.array_alpha(surf) == 255).all()


def test_surface_is_unlocked_and_has_per_pixel_alpha():
    surf = generate((16, 16), 5, (1, 2, 3))
    assert not surf.get_locked()
    assert surf.get_flags() & pygame.SRCALPHA


def test_random_shapes_match_the_reference_model():
    rng = random.Random(1234)
    for _ in range(150):
        w, h = rng.randint(1, 40), rng.randint(1, 40)
        radii = tuple(rng.choice([rng.uniform(-2, 25), rng.randint(0, 25)]) for _ in range(4))
        a = rng.randint(1, 255)
        surf = generate((w, h), radii, (9, 8, 7, a))
        expected = filled_alpha(w, h, radii, a, a)
        assert (pygame.surfarray.array_alpha(surf) == expected).all(), (w, h, radii, a)
