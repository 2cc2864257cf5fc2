"""Every path of the generators' and the corner transform's kernels equals their
scalar kernels, byte for byte, on the same buffers the outline transform's
paths are held to (see test_kernel_paths.py): each instruction set's corner
rows, and the outlined generator's bands written as runs.
"""

import random

import numpy as np
import pygame
import pytest

from test_kernel_paths import LAYOUTS, SHARED_LAYOUTS, RADII, SIZES, STROKES, assert_same, path  # noqa: F401

pytestmark = [pytest.mark.native_mirrored]

probe = pytest.importorskip("zuvo_kernelprobe")

KINDS = ["filled", "outlined", "corners", "corners-scale"]
LARGER_SIZES = [127, 128, 129, 200, 255, 257]
# Colour alphas reach the kernels as any int32: products past the int32 range
# must truncate alike on every path.
ALPHAS = [0, 1, 127, 128, 255, 300, -7, 70000, 2 ** 31 - 1, -2 ** 31]
EXTREME_RADII = [float("nan"), float("inf"), -float("inf"), 3e38, -3e38]


def run(kind, path, layout, seed, w, h, args):
    """The buffer after the scalar kernel and after `path`, from equal content."""
    out = []
    for p in ("scalar", path):
        buf, planes = {**LAYOUTS, **SHARED_LAYOUTS}[layout](np.random.default_rng(seed), w, h)
        probe.kernel(kind, *planes, w, h, *args, p)
        out.append(buf)
    return out


def random_args(rnd, kind):
    w = rnd.choice(LARGER_SIZES) if rnd.random() < 0.1 else rnd.choice(SIZES)
    h = rnd.choice(LARGER_SIZES) if rnd.random() < 0.1 else rnd.choice(SIZES)
    def radius():
        if kind != "outlined" and rnd.random() < 0.05:
            return rnd.choice(EXTREME_RADII)
        return rnd.choice(RADII) if rnd.random() < 0.6 else rnd.uniform(-2, 60)
    radii = (radius(),) * 4 if rnd.random() < 0.5 else tuple(radius() for _ in range(4))
    if kind == "outlined":  # an int radius: the generator's, up to the int32 limits
        radii = (float(rnd.choice([-5, 0, 1, 3, 8, 10, 40, 1000, 2 ** 31 - 1, -2 ** 31])),) * 4
    width = rnd.choice(STROKES) if rnd.random() < 0.7 else rnd.uniform(0, 20)
    rgb = tuple(rnd.randrange(256) for _ in range(3))
    alpha = rnd.choice(ALPHAS) if rnd.random() < 0.3 else rnd.randrange(256)
    return w, h, (radii, width, rgb, alpha)


@pytest.mark.parametrize("kind", KINDS)
@pytest.mark.parametrize("layout", list(LAYOUTS))
def test_random_cases_match_the_scalar_kernel(path, kind, layout):
    rnd = random.Random(len(kind) * 100 + len(layout))
    for case in range(80):
        w, h, args = random_args(rnd, kind)
        expected, got = run(kind, path, layout, case, w, h, args)
        assert_same(expected, got, "%s, %s %dx%d %r" % (kind, layout, w, h, args))


@pytest.mark.parametrize("kind", KINDS)
@pytest.mark.parametrize("layout", list(SHARED_LAYOUTS))
def test_layouts_that_share_bytes_are_written_as_the_scalar_kernel_does(path, kind, layout):
    rnd = random.Random(len(kind) + len(layout))
    for case in range(30):
        w, h, args = random_args(rnd, kind)
        expected, got = run(kind, path, layout, case, w, h, args)
        assert_same(expected, got, "%s, %s, case %d" % (kind, layout, case))


CHOSEN = [
    # (kind, w, h, radii, width, alpha): odd sizes, radii past half the side,
    # fractional and negative radii and widths, the benchmarks' shapes
    ("filled", 120, 40, (8, 8, 8, 8), 0, 255),
    ("filled", 400, 300, (24, 8, 24, 8), 0, 200),
    ("filled", 33, 17, (100, 2.5, -3, 8.9), 0, 128),
    ("filled", 9, 9, (4.5, 4.5, 4.5, 4.5), 0, 255),
    ("outlined", 120, 40, (8,) * 4, 2.0, 255),
    ("outlined", 400, 300, (24,) * 4, 3.5, 200),
    ("outlined", 33, 17, (100,) * 4, 1.5, 128),
    ("outlined", 31, 29, (3,) * 4, -0.5, 255),
    ("outlined", 12, 10, (0,) * 4, 2.0, 300),
    ("outlined", 64, 48, (10,) * 4, 0.3, 255),
    ("corners", 1920, 1080, (12, 12, 12, 12), 0, 255),
    ("corners", 41, 23, (30, 0.7, -2, 11.5), 0, 128),
    ("corners-scale", 41, 23, (30, 0.7, -2, 11.5), 0, 255),
    ("corners-scale", 100, 50, (10, 10, 10, 10), 0, 255),
]


@pytest.mark.parametrize("layout", ["RGBA", "ARGB subsurface", "planar"])
@pytest.mark.parametrize("case", CHOSEN, ids=lambda c: "%s-%dx%d-r%s-w%s" % c[:5])
def test_chosen_cases_match_the_scalar_kernel(path, layout, case):
    kind, w, h, radii, width, alpha = case
    args = (tuple(float(r) for r in radii), width, (30, 60, 90), alpha)
    before, _ = LAYOUTS[layout](np.random.default_rng(4), w, h)
    expected, got = run(kind, path, layout, 4, w, h, args)
    assert not np.array_equal(before, expected)  # the case does draw
    assert_same(expected, got, layout)


@pytest.mark.pygame_ce
@pytest.mark.parametrize("kind", KINDS)
@pytest.mark.parametrize("sub", [False, True])
def test_pygame_surface_views_match_the_scalar_kernel(path, kind, sub):
    results = []
    for p in ("scalar", path):
        surf = pygame.Surface((91, 53), pygame.SRCALPHA)
        pygame.surfarray.pixels3d(surf)[...] = np.random.default_rng(5).integers(
            0, 256, size=(91, 53, 3), dtype=np.uint8)
        pygame.surfarray.pixels_alpha(surf)[...] = np.random.default_rng(6).integers(
            0, 256, size=(91, 53), dtype=np.uint8)
        target = surf.subsurface((7, 5, 61, 37)) if sub else surf
        w, h = target.get_size()
        colour, alpha = pygame.surfarray.pixels3d(target), pygame.surfarray.pixels_alpha(target)
        probe.kernel(kind, colour[:, :, 0], colour[:, :, 1], colour[:, :, 2], alpha, w, h,
                     (9.0, 9.0, 4.0, 4.0), 2.5, (200, 10, 10), 180, p)
        del colour, alpha
        results.append(pygame.image.tobytes(surf, "RGBA"))
    assert results[0] == results[1]
