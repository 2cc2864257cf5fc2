"""Every path of the outline transform equals the plain scalar kernel, byte for byte.

The test-only module zuvo_kernelprobe runs one chosen path (the scalar kernel,
each instruction set, with and without run filling) on four uint8 planes.
Each case runs the scalar kernel on one copy of a pixel buffer and a path on
another, then compares the whole buffers, padding included, so that a path
that writes a byte the scalar kernel does not (or misses one) fails too.
"""

import math
import platform
import random

import numpy as np
from numpy.lib.stride_tricks import as_strided
import pygame
import pytest

pytestmark = [pytest.mark.native_mirrored]

probe = pytest.importorskip("zuvo_kernelprobe")

FAST_PATHS = [p for p in probe.all_paths() if p != "scalar"]
AVAILABLE = set(probe.paths())
# Only the paths this processor and build run are compared: one skipped case per
# test and missing path told nothing new (hundreds of them on every machine).
# pytest's header names the missing ones (tests/conftest.py), and
# test_the_processor_runs_the_baseline_and_reports_its_paths checks that each
# processor has the paths it should.


@pytest.fixture(params=[p for p in FAST_PATHS if p in AVAILABLE])
def path(request):
    return request.param


@pytest.mark.clang
def test_the_processor_runs_the_baseline_and_reports_its_paths():
    # The portable paths are everywhere; each processor adds its own.
    assert {"scalar", "scalar+runs"} <= AVAILABLE <= set(probe.all_paths())
    machine = platform.machine().lower()
    if machine in ("x86_64", "amd64"):
        assert {"sse2", "sse2+runs"} <= AVAILABLE and not {"neon", "neon+runs"} & AVAILABLE
    elif machine in ("aarch64", "arm64"):
        assert {"neon", "neon+runs"} <= AVAILABLE and not {"sse2", "avx2"} & AVAILABLE


# --- pixel buffers in the layouts the kernels meet ---------------------------

def interleaved(rng, w, h, order, pad):
    """A (h, w + pad) buffer of 4-byte pixels; planes are [x][y] views of it."""
    buf = rng.integers(0, 256, size=(h + pad, w + pad, 4), dtype=np.uint8)
    sub = buf[pad // 2:pad // 2 + h, pad // 2:pad // 2 + w]
    planes = [sub[:, :, order.index(c)].T for c in "RGBA"]
    return buf, planes


def planar(rng, w, h, order, pad):
    """Four separate planes in one buffer, column-major, so no 32-bit stores apply."""
    buf = rng.integers(0, 256, size=(4, w + pad, h + pad), dtype=np.uint8)
    planes = [buf[order.index(c), :w, pad:pad + h] for c in "RGBA"]
    return buf, planes


LAYOUTS = {
    "RGBA": lambda rng, w, h: interleaved(rng, w, h, "RGBA", 0),
    "BGRA": lambda rng, w, h: interleaved(rng, w, h, "BGRA", 0),
    "ARGB subsurface": lambda rng, w, h: interleaved(rng, w, h, "ARGB", 6),
    "planar": lambda rng, w, h: planar(rng, w, h, "RGBA", 3),
}


def rows_apart(rng, w, h, step):
    """4-byte RGBA pixels in rows that start `step` bytes apart, less than a row,
    so that neighbouring rows share bytes."""
    buf = rng.integers(0, 256, size=4 * w + step * max(h - 1, 0) + 8, dtype=np.uint8)
    return buf, [as_strided(buf[c:], shape=(w, h), strides=(4, step)) for c in range(4)]


def alpha_on_red(rng, w, h):
    buf, planes = interleaved(rng, w, h, "RGBA", 2)
    return buf, planes[:3] + planes[:1]


# Layouts whose cells share bytes: every path must write them as the scalar
# kernel does, pixel after pixel (vectors, runs and row copies would not).
SHARED_LAYOUTS = {
    "rows overlap by a pixel": lambda rng, w, h: rows_apart(rng, w, h, max(4 * w - 4, 0)),
    "rows one pixel apart": lambda rng, w, h: rows_apart(rng, w, h, 4),
    "every row the same": lambda rng, w, h: rows_apart(rng, w, h, 0),
    "alpha on red": alpha_on_red,
}


def run(path, layout, seed, w, h, args):
    """The buffer after the scalar kernel and after `path`, from equal content."""
    out = []
    for p in ("scalar", path):
        buf, planes = {**LAYOUTS, **SHARED_LAYOUTS}[layout](np.random.default_rng(seed), w, h)
        probe.outline(*planes, w, h, *args, p)
        out.append(buf)
    return out


def assert_same(expected, got, what):
    if not np.array_equal(expected, got):
        where = np.argwhere(expected != got)
        pytest.fail("%s: %d bytes differ, first at %s: scalar %s, path %s"
                    % (what, len(where), tuple(where[0]), expected[tuple(where[0])],
                       got[tuple(where[0])]))


# --- random cases ---------------------------------------------------------------

SIZES = [0, 1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 31, 33, 40, 64, 65, 101]
RADII = [0.0, -3.0, 0.4, 1.0, 2.5, 5.0, 8.0, 12.0, 17.3, 50.0, 1e6, -1e6]
STROKES = [0.0, 0.3, 1.0, 1.5, 2.0, 2.7, 4.0, 7.5, 30.0, 200.0, -0.5, -3.0]


def random_args(rnd):
    w, h = rnd.choice(SIZES), rnd.choice(SIZES)
    if rnd.random() < 0.5:
        radii = (rnd.choice(RADII),) * 4
    else:
        radii = tuple(rnd.choice(RADII) if rnd.random() < 0.7 else rnd.uniform(-2, 40)
                      for _ in range(4))
    stroke = rnd.choice(STROKES) if rnd.random() < 0.7 else rnd.uniform(0, 12)
    if rnd.random() < 0.15:
        stroke = float(max(w, h) + rnd.randint(0, 20))  # wider than the surface
    rgb = tuple(rnd.randrange(256) for _ in range(3))
    alpha = rnd.choice([0, 1, 127, 128, 254, 255, rnd.randrange(256)])
    bg, bg_alpha = None, -1
    if rnd.random() < 0.6:
        bg = tuple(rnd.randrange(256) for _ in range(3))
        bg_alpha = rnd.choice([-1, -1, 0, 1, 128, 255, rnd.randrange(256)])
    return w, h, (radii, stroke, rgb, alpha, bg, bg_alpha)


@pytest.mark.parametrize("layout", list(LAYOUTS))
@pytest.mark.parametrize("seed", range(6))
def test_random_cases_match_the_scalar_kernel(path, layout, seed):
    rnd = random.Random(1000 * seed + len(layout))
    for case in range(60):
        w, h, args = random_args(rnd)
        expected, got = run(path, layout, seed * 100 + case, w, h, args)
        assert_same(expected, got, "%s %dx%d %r" % (layout, w, h, args))


# --- chosen cases: large runs, odd middles, values beyond the float range -------

CASES = [
    # (w, h, radii, stroke, rgb, alpha, bg, bg_alpha)
    (300, 200, (12, 12, 12, 12), 2.0, (255, 0, 0), 255, (0, 255, 0), 128),
    (300, 200, (12, 12, 12, 12), 2.0, (255, 0, 0), 200, None, -1),
    (257, 129, (0, 40, 3, 90), 3.5, (10, 20, 30), 90, (200, 100, 50), -1),
    (257, 129, (0, 40, 3, 90), 3.5, (10, 20, 30), 90, None, -1),
    (99, 77, (200, 200, 200, 200), 1.0, (1, 2, 3), 255, (4, 5, 6), 0),
    (64, 64, (32, 32, 32, 32), 64.0, (9, 9, 9), 255, (7, 7, 7), 255),
    (20, 20, (0, 0, 0, 0), 1.5, (255, 0, 0), 255, None, -1),
    (20, 20, (0, 0, 0, 0), 1.5, (255, 0, 0), 255, (0, 255, 0), 128),
    (33, 17, (5, 5, 5, 5), 2.0, (255, 0, 0), 0, (0, 0, 255), 255),
    (48, 30, (3e38, 1, 2, 3), 2.0, (255, 255, 255), 255, (0, 0, 0), 77),
    (48, 30, (4, 4, 4, 4), -3e38, (255, 255, 255), 128, (0, 0, 0), 77),
    (48, 30, (4, 4, 4, 4), 3e38, (255, 255, 255), 128, None, -1),
    (48, 30, (math.inf, 4, math.nan, 4), 2.0, (50, 60, 70), 128, (1, 2, 3), 200),
    (48, 30, (math.inf, 4, math.nan, 4), 2.0, (50, 60, 70), 128, None, -1),
    (48, 30, (6, 6, 6, 6), math.nan, (50, 60, 70), 128, (1, 2, 3), 200),
    (48, 30, (6, 6, 6, 6), 2.0, (50, 60, 70), 300, (1, 2, 3), 200),
    (48, 30, (6, 6, 6, 6), 2.0, (50, 60, 70), -7, None, -1),
]


@pytest.mark.parametrize("layout", list(LAYOUTS))
@pytest.mark.parametrize("case", CASES, ids=lambda c: "%dx%d-r%s-s%s-a%s-bg%s" % (
    c[0], c[1], c[2][0], c[3], c[5], c[6] is not None))
def test_chosen_cases_match_the_scalar_kernel(path, layout, case):
    w, h, *args = case
    expected, got = run(path, layout, 7, w, h, tuple(args))
    assert_same(expected, got, layout)


@pytest.mark.parametrize("layout", list(SHARED_LAYOUTS))
def test_layouts_that_share_bytes_are_written_as_the_scalar_kernel_does(path, layout):
    rnd = random.Random(len(layout))
    for case in range(40):
        w, h, args = random_args(rnd)
        expected, got = run(path, layout, case, w, h, args)
        assert_same(expected, got, "%s, case %d" % (layout, case))


def test_a_path_changes_the_pixels_it_is_meant_to(path):
    """Guards the comparison itself: the scalar kernel does write these buffers."""
    before, _ = LAYOUTS["RGBA"](np.random.default_rng(3), 40, 30)
    expected, got = run(path, "RGBA", 3, 40, 30, ((8, 8, 8, 8), 2.0, (255, 0, 0), 255,
                                                  (0, 0, 255), 255))
    assert not np.array_equal(before, expected)
    assert_same(expected, got, "RGBA 40x30")


# --- pygame surfaces and their subsurfaces ------------------------------------------

@pytest.mark.pygame_ce
@pytest.mark.parametrize("masks", ["RGBA", "BGRA"])
@pytest.mark.parametrize("sub", [False, True])
@pytest.mark.parametrize("bg", [None, (20, 40, 60)])
def test_pygame_surface_views_match_the_scalar_kernel(path, masks, sub, bg):
    shifts = {"RGBA": (0, 8, 16, 24), "BGRA": (16, 8, 0, 24)}[masks]
    results = []
    for p in ("scalar", path):
        surf = pygame.Surface((91, 53), pygame.SRCALPHA, 32,
                              masks=tuple(0xFF << s for s in shifts))
        pygame.surfarray.pixels3d(surf)[...] = np.random.default_rng(5).integers(
            0, 256, size=(91, 53, 3), dtype=np.uint8)
        pygame.surfarray.pixels_alpha(surf)[...] = np.random.default_rng(6).integers(
            0, 256, size=(91, 53), dtype=np.uint8)
        target = surf.subsurface((7, 5, 61, 37)) if sub else surf
        w, h = target.get_size()
        colour, alpha = pygame.surfarray.pixels3d(target), pygame.surfarray.pixels_alpha(target)
        probe.outline(colour[:, :, 0], colour[:, :, 1], colour[:, :, 2], alpha, w, h,
                      (9, 9, 4, 4), 2.5, (200, 10, 10), 180, bg, 100, p)
        del colour, alpha
        results.append(pygame.image.tobytes(surf, "RGBA"))
    assert results[0] == results[1]


@pytest.mark.clang
def test_planes_of_the_wrong_shape_are_refused():
    planes = [np.zeros((4, 5), np.uint8) for _ in range(4)]
    with pytest.raises(ValueError):
        probe.outline(*planes, 5, 4, (1, 1, 1, 1), 1.0, (0, 0, 0), 255, None, -1, "scalar")
    with pytest.raises(ValueError):
        probe.outline(*planes, 4, 5, (1, 1, 1, 1), 1.0, (0, 0, 0), 255, None, -1, "avx512")


# --- the SSE2 path's emulated fused multiply-adds ------------------------------------
# Rounding a * b + c to double first and then once more gets a few inputs wrong
# that no pixel of a test reaches by chance, so they are built on purpose.

sse2_only = pytest.mark.skipif("sse2" not in AVAILABLE,
                               reason="the SSE2 path and its emulation are in x86-64 builds only")


def fma_by(which, a, b, c):
    out = np.empty_like(a)
    probe.fma(a, b, c, out, which)
    return out


def assert_same_values(expected, got):
    same = (expected == got) | (np.isnan(expected) & np.isnan(got))
    assert same.all(), list(zip(expected[~same][:5], got[~same][:5]))
    # +0 and -0 compare equal above; their bits must agree too.
    assert (np.signbit(expected) == np.signbit(got))[~np.isnan(expected)].all()


def single_precision_ties():
    """a * a exactly halfway between two floats, c nudging it by less than half a
    double's unit: the double rounding lands on the tie and picks the even side."""
    odd = np.arange(4097, 5793, 2, dtype=np.float64)  # odd squares of 25 bits
    scale = np.float64(2.0) ** np.resize([-40, -12, 0, 20], odd.size)
    a = odd * scale
    c = np.resize([2.0 ** -30, -(2.0 ** -30), 2.0 ** -40], odd.size) * scale * scale
    return a.astype(np.float32), a.astype(np.float32), c.astype(np.float32)


def double_precision_cases(rng):
    """The blend's a * (1 - sa) + sa: a float in [0, 1], sa a float in [0, 1]."""
    a = rng.random(4000).astype(np.float32)
    # 1 - sa has more bits than a float once sa < 2^-6, so the product is inexact.
    sa = (rng.random(4000) * np.where(np.arange(4000) % 2 == 0, 1.0,
                                      2.0 ** -rng.integers(7, 45, 4000))).astype(np.float32)
    sa[:40] = [0, 1, 2.0 ** -30, 2.0 ** -24, 1 - 2.0 ** -24, 0.5] + [2.0 ** -k for k in range(1, 35)]
    a[:6] = [0, 1, 1, np.nan, 2.0 ** -149, 1]
    return a.astype(np.float64), 1.0 - sa.astype(np.float64), sa.astype(np.float64)


@pytest.mark.clang
@sse2_only
def test_the_single_precision_emulation_rounds_once():
    a, b, c = single_precision_ties()
    exact = fma_by("std", a, b, c)
    twice = (a.astype(np.float64) * b + c).astype(np.float32)
    assert (twice != exact).sum() > 100  # the cases are hard ones
    assert_same_values(exact, fma_by("sse2", a, b, c))


@pytest.mark.clang
@sse2_only
def test_the_single_precision_emulation_on_random_and_special_values():
    rng = np.random.default_rng(12)
    a = (rng.standard_normal(5000) * 10.0 ** rng.integers(-20, 20, 5000)).astype(np.float32)
    b = np.abs(a)
    c = (np.abs(rng.standard_normal(5000)) * 10.0 ** rng.integers(-40, 38, 5000)).astype(np.float32)
    a[:6], b[:6], c[:6] = 0, [0, 1, 3e38, 3e38, 1e-45, 2], [0, np.inf, 1, 0, 1e-45, 1e-45]
    assert_same_values(fma_by("std", a, b, c), fma_by("sse2", a, b, c))


@pytest.mark.clang
@sse2_only
def test_the_double_precision_emulation_rounds_once():
    a, b, c = double_precision_cases(np.random.default_rng(13))
    exact = fma_by("std", a, b, c)
    twice = a * b + c
    assert (twice != exact).sum() > 100
    assert_same_values(exact, fma_by("sse2", a, b, c))


@pytest.mark.parametrize("layout", ["RGBA", "ARGB subsurface"])
def test_a_large_surface_with_long_runs(path, layout):
    """Long rows, long string-store fills, many reused rows, and (at over 32 MiB) the
    non-temporal stores of large surfaces: still the same bytes."""
    w, h = 3001, 2900
    args = ((12, 30, 0, 7), 2.0, (220, 40, 40), 200, (30, 60, 90), 250)
    expected, got = run(path, layout, 21, w, h, args)
    assert_same(expected, got, layout)
