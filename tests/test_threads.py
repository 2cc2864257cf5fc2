"""Several threads at once give the same bytes as one; pixel passes release the lock."""

import sys
import threading
import time

import pygame

from zuvo_ui.fast.shapes import curvix


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


def test_a_python_thread_runs_while_a_large_transform_runs():
    surf = pygame.Surface((4096, 4096), pygame.SRCALPHA)
    surf.fill((0, 0, 255, 255))
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
        calls = []
        for _ in range(3):
            t0 = time.perf_counter()
            curvix.transform_into_outlined_rounded_rect(surf, 40, 3, (255, 0, 0), (0, 255, 0, 128))
            calls.append((t0, time.perf_counter()))
    finally:
        stop.set()
        counter.join()
    # Had the call held the lock throughout, the counter could only have run at
    # its very start or end, never in the middle half of it.
    middles = [(t0 + (t1 - t0) / 4, t1 - (t1 - t0) / 4) for t0, t1 in calls]
    assert any(lo < t < hi for lo, hi in middles for t in stamps)
