"""Several threads at once give the same bytes as one; pixel passes release the lock."""

import random
import sys
import threading
import time

import pygame
import pytest

from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]


def gradient(w, h):
    surf = pygame.Surface((w, h), pygame.SRCALPHA)
    colour = pygame.surfarray.pixels3d(surf)
    alpha = pygame.surfarray.pixels_alpha(surf)
    for x in range(w):
        colour[x, :, 0] = (x * 7) % 256
        colour[x, :, 1] = (x * 3) % 256
    colour[:, :, 2] = 90
    alpha[:, :] = 180
    del colour, alpha
    return surf


def workload(seed):
    """Generators, memo hits and both transforms; returns every result's bytes."""
    out = []
    for i in range(12):
        size = (20 + (seed + i) % 7, 12 + i % 5)
        out.append(curvix._create_rounded_rect_surface_optimized(size, (i % 6, 2, 3.5, 1), (1, 2, 3, 200)))
        out.append(curvix.create_rounded_rect_surface((30, 20), (4, 4, 4, 4), (5, 6, 7, 255)))
        out.append(curvix.create_outlined_rounded_rect_sdf(size, i % 6, 1.5, (9, 8, 7, 250)))
        surf = gradient(*size)
        curvix.transform_into_rounded_rect(surf, (i % 6, 3, 2, 1), None if i % 2 else (40, 50, 60))
        out.append(surf)
        surf = gradient(*size)
        curvix.transform_into_outlined_rounded_rect(surf, i % 7, 1 + i % 3 * 0.75, (255, 0, 0, 200),
                                                    None if i % 2 else (0, 200, 0, 128))
        out.append(surf)
    return [pygame.image.tobytes(s, "RGBA") for s in out]


def test_four_threads_match_one_thread():
    expected = {seed: workload(seed) for seed in range(4)}
    results = {}
    old_interval = sys.getswitchinterval()
    sys.setswitchinterval(1e-5)  # switch threads as often as possible
    try:
        for _ in range(5):
            threads = [threading.Thread(target=lambda s=s: results.__setitem__(s, workload(s)))
                       for s in range(4)]
            for t in threads:
                t.start()
            for t in threads:
                t.join()
            assert results == expected
    finally:
        sys.setswitchinterval(old_interval)


def blue_surface(size):
    surf = pygame.Surface(size, pygame.SRCALPHA)
    surf.fill((0, 0, 255, 255))
    return surf


def counter_ran_midway(make_call, attempts=5):
    """Whether another Python thread ran in the middle half of one of up to
    `attempts` calls of `make_call()`.  Had a call held the lock throughout,
    the counter could only have run at its very start or end."""
    started, stop = threading.Event(), threading.Event()
    stamps = []

    def count():
        started.set()
        while not stop.is_set():
            stamps.append(time.perf_counter())

    counter = threading.Thread(target=count)
    counter.start()
    started.wait()
    try:
        for _ in range(attempts):
            t0 = time.perf_counter()
            make_call()
            t1 = time.perf_counter()
            lo, hi = t0 + (t1 - t0) / 4, t1 - (t1 - t0) / 4
            if any(lo < t < hi for t in stamps):
                return True
    finally:
        stop.set()
        counter.join()
    return False


# Each call's pixel pass is most of its time: the generators' surface creation
# and fill (under the lock) come before it, so the radius is half the size and
# the corner squares cover the whole surface.
LARGE = 4096


def outline_transform():
    surf = blue_surface((LARGE, LARGE))
    return lambda: curvix.transform_into_outlined_rounded_rect(surf, 40, 3, (255, 0, 0),
                                                              (0, 255, 0, 128))


def corner_transform():
    surf = blue_surface((LARGE, LARGE))
    return lambda: curvix.transform_into_rounded_rect(surf, LARGE // 2, (40, 50, 60, 200))


def filled_generator():
    return lambda: curvix._create_rounded_rect_surface_optimized((LARGE, LARGE), LARGE // 2,
                                                                 (1, 2, 3, 200))


def outlined_generator():
    return lambda: curvix._create_outlined_rounded_rect_sdf((LARGE, LARGE), LARGE // 2, 3,
                                                            (9, 8, 7, 250))


@pytest.mark.parametrize("make", [outline_transform, corner_transform, filled_generator,
                                  outlined_generator], ids=lambda f: f.__name__)
def test_a_python_thread_runs_during_a_large_pixel_pass(make):
    assert counter_ran_midway(make())


def test_the_check_sees_a_call_that_keeps_the_lock():
    # Sorting a list of ints never lets another thread in.
    values = list(range(1_500_000))
    random.Random(7).shuffle(values)
    assert not counter_ran_midway(lambda: sorted(values), attempts=2)
