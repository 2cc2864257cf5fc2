"""The outlined rounded-rectangle generator: exact pixels and safe limits."""

import math
import random

import numpy as np
import pygame
import pytest

from reference import outlined_planes
from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.clang]

generate = curvix._create_outlined_rounded_rect_sdf

TEN_BY_EIGHT = [
    [0, 0, 67, 100, 200, 200, 100, 67, 0, 0],
    [0, 134, 147, 100, 0, 0, 100, 147, 134, 0],
    [67, 147, 0, 0, 0, 0, 0, 0, 147, 67],
    [100, 100, 0, 0, 0, 0, 0, 0, 100, 100],
    [100, 100, 0, 0, 0, 0, 0, 0, 100, 100],
    [67, 147, 0, 0, 0, 0, 0, 0, 147, 67],
    [0, 134, 147, 100, 0, 0, 100, 147, 134, 0],
    [0, 0, 67, 100, 200, 200, 100, 67, 0, 0],
]


def alpha_rows(surf):
    return pygame.surfarray.array_alpha(surf).T


def test_ten_by_eight_worked_example():
    surf = generate((10, 8), 3, 1, (10, 20, 30, 200))
    rows = alpha_rows(surf)
    assert rows.tolist() == TEN_BY_EIGHT
    rgb = pygame.surfarray.array3d(surf).transpose(1, 0, 2)
    assert (rgb[rows > 0] == (10, 20, 30)).all()
    assert (rgb[rows == 0] == (0, 0, 0)).all()


def test_zero_radius_still_gets_anti_aliased_corners():
    rows = alpha_rows(generate((12, 10), 0, 2, (255, 0, 0)))
    assert rows[0].tolist() == [21, 127] + [255] * 8 + [127, 21]
    assert rows[1, :2].tolist() == [127, 255]


@pytest.mark.parametrize("call_a, call_b", [
    # Radius 10 clamps to 5 on width 10, then to 3 on height 6.
    (((10, 6), 10, 1, (1, 2, 3)), ((10, 6), 3, 1, (1, 2, 3))),
    # A float radius truncates; a float width of the size truncates.
    (((10, 8), 3.9, 1, (1, 2, 3)), ((10, 8), 3, 1, (1, 2, 3))),
    (((10.9, 8), 3, 1, (1, 2, 3)), ((10, 8), 3, 1, (1, 2, 3))),
    # Three colour items draw with alpha 255.
    (((10, 8), 3, 1, (1, 2, 3)), ((10, 8), 3, 1, (1, 2, 3, 255))),
])
def test_equivalent_calls(call_a, call_b):
    a, b = generate(*call_a), generate(*call_b)
    assert pygame.image.tobytes(a, "RGBA") == pygame.image.tobytes(b, "RGBA")


def test_alpha_zero_returns_the_cleared_surface_without_reading_the_channels():
    surf = generate((9, 9), 2, 2, ("not a number", None, object(), 0))
    assert pygame.image.tobytes(surf, "RGBA") == bytes(9 * 9 * 4)


def test_alpha_above_255_wraps_to_its_low_eight_bits():
    rows = alpha_rows(generate((10, 8), 3, 1, (10, 20, 30, 300)))
    assert rows[0, 4] == 300 % 256
    # Pixel (2, 0) lies outside the stroke's centre line, a rounded box of
    # corner radius 3 - 0.5 whose corner centre is 1 across and 3 up from it:
    # the pixel is sqrt(10) - 2.5 from the line, and its coverage of the
    # 1-pixel stroke is scaled by 300 before the low eight bits are kept.
    f32 = np.float32
    from_line = f32(np.sqrt(10.0)) - f32(2.5)
    coverage = (f32(0.5) - from_line) + f32(0.5)
    assert rows[0, 2] == int(coverage * f32(300)) % 256 != int(coverage * f32(300 % 256))
    assert rows.tolist() == outlined_planes(10, 8, 3, 1, (10, 20, 30, 300))[1].T.tolist()


def test_fractional_width_rounds_the_bands_up():
    rows = alpha_rows(generate((30, 20), 3, 1.5, (0, 0, 0)))
    # Straight sides: two full-alpha rows and columns, no ramp.
    assert rows[:3, 15].tolist() == [255, 255, 0]
    assert rows[10, :3].tolist() == [255, 255, 0]


def test_zero_width_paints_no_band():
    rows = alpha_rows(generate((30, 20), 6, 0, (0, 0, 0)))
    assert (rows[:, 8:22] == 0).all() and (rows[8:12, :] == 0).all()
    assert 0 < rows.max() <= 127
    assert (alpha_rows(generate((30, 20), 0, 0, (0, 0, 0))) == 0).all()


@pytest.mark.parametrize("size, radius, width", [
    ((10, 8), -3, 1),      # negative radius: the ranges start before the surface
    ((10, 8), 0, 9),       # stroke wider than the height
    ((6, 12), 2, 7.5),     # stroke wider than the width
    ((5, 5), -2**31, 3e9),  # extreme values, no overflow
    ((1, 1), 5, 2),
    ((0, 4), 2, 2),
    ((4, 0), 2, 2),
])
def test_out_of_range_geometry_is_clipped_to_the_surface(size, radius, width):
    surf = generate(size, radius, width, (1, 2, 3, 200))
    assert surf.get_size() == size
    rgb, alpha = outlined_planes(*size, radius, width, (1, 2, 3, 200))
    assert (pygame.surfarray.array_alpha(surf) == alpha).all()
    assert (pygame.surfarray.array3d(surf) == rgb).all()


@pytest.mark.parametrize("width", [math.nan, math.inf, -math.inf])
def test_non_finite_width_is_refused(width):
    with pytest.raises(ValueError, match="^width must be a finite number$"):
        generate((10, 8), 3, width, (1, 2, 3))


def test_random_outlines_match_the_reference_model():
    rng = random.Random(99)
    for _ in range(120):
        w, h = rng.randint(1, 40), rng.randint(1, 40)
        radius = rng.randint(-3, 25)
        width = rng.choice([rng.uniform(0, 8), rng.randint(0, 6), 0.5, 1.5])
        color = (rng.randint(0, 255), rng.randint(0, 255), rng.randint(0, 255), rng.randint(1, 400))
        surf = generate((w, h), radius, width, color)
        rgb, alpha = outlined_planes(w, h, radius, width, color)
        case = (w, h, radius, width, color)
        assert (pygame.surfarray.array_alpha(surf) == alpha).all(), case
        assert (pygame.surfarray.array3d(surf) == rgb).all(), case
