"""Property tests: both generators against the float32 reference models."""

import math

import pygame
import pytest
from hypothesis import given, settings, strategies as st

from reference import filled_alpha, outlined_planes
from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.clang]

sizes = st.integers(min_value=0, max_value=40)
radii = st.one_of(
    st.floats(min_value=-5, max_value=30, width=32),
    st.integers(min_value=-5, max_value=30),
    st.sampled_from([math.nan, math.inf, -math.inf, 1e30, -1e30, 0.5, 1.0, 2.5]),
)
channels = st.integers(min_value=0, max_value=255)


def colours(max_alpha):
    three = st.tuples(channels, channels, channels)
    four = st.tuples(channels, channels, channels, st.integers(min_value=0, max_value=max_alpha))
    return st.one_of(three, four)


@settings(max_examples=300, deadline=None)
@given(w=sizes, h=sizes, corner_radii=st.one_of(radii, st.tuples(radii, radii, radii, radii)),
       color=colours(255))
def test_filled_generator_matches_the_model(w, h, corner_radii, color):
    surf = curvix._create_rounded_rect_surface_optimized((w, h), corner_radii, color)
    assert surf.get_size() == (w, h)
    alpha_base = color[3] if len(color) > 3 else 255
    if alpha_base == 0:
        assert pygame.image.tobytes(surf, "RGBA") == bytes(4 * w * h)
        return
    four = corner_radii if isinstance(corner_radii, tuple) else (corner_radii,) * 4
    expected = filled_alpha(w, h, four, alpha_base, alpha_base)
    assert (pygame.surfarray.array_alpha(surf) == expected).all()
    assert (pygame.surfarray.array3d(surf) == color[:3]).all()


@settings(max_examples=300, deadline=None)
@given(w=sizes, h=sizes, radius=st.integers(min_value=-50, max_value=50),
       width=st.one_of(st.floats(min_value=-3, max_value=60, width=32), st.integers(0, 60)),
       color=colours(300))
def test_outlined_generator_matches_the_model(w, h, radius, width, color):
    surf = curvix._create_outlined_rounded_rect_sdf((w, h), radius, width, color)
    rgb, alpha = outlined_planes(w, h, radius, width, color)
    assert (pygame.surfarray.array_alpha(surf) == alpha).all()
    assert (pygame.surfarray.array3d(surf) == rgb).all()
    assert not surf.get_locked()


@pytest.mark.parametrize("radius", [math.nan, math.inf, -math.inf])
def test_non_finite_radii_are_defined_in_the_filled_generator(radius):
    # NaN skips a corner; +inf clamps to half the smaller side; -inf skips.
    surf = curvix._create_rounded_rect_surface_optimized((12, 8), (radius, 0, 0, 0), (1, 2, 3))
    expected = 0 if radius == math.inf else 255
    assert pygame.surfarray.array_alpha(surf)[0, 0] == expected
