"""Regression tests for what `make fuzz` found, each reduced to a plain script.

Each runs in a fresh interpreter: before its fix the case crashed the process
(a segmentation fault inside pygame, or a null-pointer read in the view code),
which here fails the test instead of ending the suite.
"""

import pytest

from isolated import run

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]


def test_fill_gets_a_colour_that_runs_no_caller_code():
    # Found by the curvix_reentrant target: the corner transform handed the
    # caller's colour to Surface.fill, and pygame converts the items while it
    # holds the surface's pixels; an item whose conversion re-initialised the
    # surface then made SDL read freed memory.
    out = run("""
        import pygame
        from zuvo_ui.fast.shapes import curvix

        surf = pygame.Surface((59, 59), pygame.SRCALPHA)
        conversions = []

        class ReinitOnThird:
            def __index__(self):
                conversions.append(1)
                if len(conversions) == 3:
                    surf.__init__((0, 0), pygame.SRCALPHA)
                return 5
            __int__ = __index__

        try:
            curvix.transform_into_rounded_rect(surf, 4, [ReinitOnThird(), 38, ReinitOnThird()])
        except Exception as exc:
            print(type(exc).__name__)
        print("locked" if surf.get_locked() else "unlocked")
    """)
    assert out.splitlines()[-1] == "unlocked"


def test_views_without_strides_give_the_pixels_of_strided_ones():
    # Found by the curvix_views target: a ctypes array exports no strides
    # (strides == NULL), and the view code read them anyway.  The same calls
    # over NumPy arrays of the same C-contiguous layout give the reference.
    out = run("""
        import ctypes, types
        import numpy as np
        from zuvo_ui.fast.shapes import curvix

        class Surface:
            def __init__(self, size, flags=0):
                self.size = size
            def get_width(self):
                return self.size[0]
            def get_height(self):
                return self.size[1]
            def fill(self, colour):
                pass

        def pixels_after(colour, alpha, call):
            fake = types.SimpleNamespace(Surface=Surface, SRCALPHA=65536,
                                         surfarray=types.SimpleNamespace(
                                             pixels3d=lambda s: colour, pixels_alpha=lambda s: alpha))
            curvix.md = types.SimpleNamespace(pygame=fake)
            call()
            return bytes(colour).hex() + "/" + bytes(alpha).hex()

        calls = [
            lambda: curvix._create_rounded_rect_surface_optimized((5, 4), 2, (1, 2, 3, 200)),
            lambda: curvix.transform_into_rounded_rect(Surface((5, 4)), 2),
            lambda: curvix.transform_into_outlined_rounded_rect(Surface((5, 4)), 2, 1, (9, 8, 7)),
        ]
        for call in calls:
            ctypes_colour = (((ctypes.c_uint8 * 3) * 4) * 5)()
            ctypes_alpha = ((ctypes.c_uint8 * 4) * 5)()
            ctypes_colour[2][1][0] = ctypes_alpha[3][2] = 200
            numpy_colour, numpy_alpha = np.zeros((5, 4, 3), np.uint8), np.zeros((5, 4), np.uint8)
            numpy_colour[2, 1, 0] = numpy_alpha[3, 2] = 200
            got = pixels_after(ctypes_colour, ctypes_alpha, call)
            want = pixels_after(numpy_colour, numpy_alpha, call)
            print("same" if got == want else "differ: %s != %s" % (got, want))
    """)
    assert out.splitlines() == ["same"] * 3
