"""Repeated calls on success and failure paths leak neither memory nor references."""

import gc
import os
import sys
import tracemalloc

import pygame
import pytest

from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]

SIZE, RADII, COLOR = (3, 2), (1.5, 1.5, 1.5, 1.5), (1, 2, 3, 200)
BAD_COLOR = (1, 2, 3, "x")


def memo_hit_filled():
    return curvix.create_rounded_rect_surface(SIZE, [1.5, 1.5, 1.5, 1.5], COLOR)


def memo_hit_outlined():
    return curvix.create_outlined_rounded_rect_sdf(SIZE, 1, 1.5, COLOR)


PATHS = {
    "filled": lambda: curvix._create_rounded_rect_surface_optimized(SIZE, RADII, COLOR),
    "filled, transparent": lambda: curvix._create_rounded_rect_surface_optimized(SIZE, 1, (1, 2, 3, 0)),
    "filled, bad alpha": lambda: curvix._create_rounded_rect_surface_optimized(SIZE, RADII, BAD_COLOR),
    "filled, bad radius item": lambda: curvix._create_rounded_rect_surface_optimized(SIZE, (1, 2, 3, "x"), COLOR),
    "filled, bad size": lambda: curvix._create_rounded_rect_surface_optimized(("x", 2), RADII, COLOR),
    "filled, keywords": lambda: curvix._create_rounded_rect_surface_optimized(size=SIZE, radii_input=1, color=COLOR),
    "filled, unknown keyword": lambda: curvix._create_rounded_rect_surface_optimized(SIZE, 1, COLOR, bad=1),
    "filled memo hit": memo_hit_filled,
    "filled memo, type error": lambda: curvix.create_rounded_rect_surface(SIZE, 3, COLOR),
    "outlined": lambda: curvix._create_outlined_rounded_rect_sdf(SIZE, 1, 1.5, COLOR),
    "outlined, bad channel": lambda: curvix._create_outlined_rounded_rect_sdf(SIZE, 1, 1.5, (300, 0, 0)),
    "outlined, short colour": lambda: curvix._create_outlined_rounded_rect_sdf(SIZE, 1, 1.5, (3, 0)),
    "outlined, NaN width": lambda: curvix._create_outlined_rounded_rect_sdf(SIZE, 1, float("nan"), COLOR),
    "outlined memo hit": memo_hit_outlined,
}

RUNS = 100_000
UNDER_ASAN = "libasan" in os.environ.get("LD_PRELOAD", "")


# The current resident size comes from Linux's procfs.  resource.getrusage is
# no substitute: its ru_maxrss is the peak, which growth that happened before
# the measurement already set, and its unit differs between Linux and macOS.
STATM = "/proc/self/statm"
HAVE_STATM = os.path.exists(STATM)
NO_RESIDENT_SIZE = ("tracemalloc and reference counts checked; the resident size is not, "
                    "as there is no /proc/self/statm to read the current one from")


def resident_bytes():
    if not HAVE_STATM:
        return 0
    with open(STATM) as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def run_quietly(fn, n):
    for _ in range(n):
        try:
            fn()
        except Exception:  # noqa: BLE001 - failure paths are exercised on purpose
            pass


@pytest.mark.repeated
@pytest.mark.parametrize("name", list(PATHS))
def test_no_growth_over_repeated_calls(name):
    fn = PATHS[name]
    tracked = [SIZE, RADII, COLOR, BAD_COLOR]
    run_quietly(fn, 2000)  # warm up: memos, interned names, free lists
    gc.collect()
    refs_before = [sys.getrefcount(obj) for obj in tracked]
    tracemalloc.start()
    try:
        run_quietly(fn, RUNS // 10)
        gc.collect()
        base, _ = tracemalloc.get_traced_memory()
        rss_base = resident_bytes()
        run_quietly(fn, RUNS)
        gc.collect()
        after, _ = tracemalloc.get_traced_memory()
        rss_after = resident_bytes()
    finally:
        tracemalloc.stop()
    # A leak of even one small object per call would be megabytes here.
    assert after - base < 64 * 1024, "%d bytes grew over %d calls" % (after - base, RUNS)
    assert [sys.getrefcount(obj) for obj in tracked] == refs_before
    # Pixel memory is pygame's own, outside tracemalloc's view: the resident size
    # covers it (except under AddressSanitizer, whose quarantine keeps freed memory).
    if not HAVE_STATM:
        pytest.skip(NO_RESIDENT_SIZE)
    if not UNDER_ASAN:
        assert rss_after - rss_base < 2 * 1024 * 1024, "resident size grew by %d" % (rss_after - rss_base)


def test_failed_calls_leave_no_locked_surfaces():
    surfaces = []

    class Recording:
        SRCALPHA = pygame.SRCALPHA
        surfarray = pygame.surfarray

        @staticmethod
        def Surface(size, flags):
            surfaces.append(pygame.Surface(size, flags))
            return surfaces[-1]

    saved = curvix.md
    curvix.md = type("md", (), {"pygame": Recording})
    try:
        for fn in PATHS.values():
            run_quietly(fn, 3)
    finally:
        curvix.md = saved
    assert surfaces and not any(s.get_locked() for s in surfaces)
