"""Benchmark cases of the in-place transforms against pygame, pycairo and the
plain scalar kernel.

Every pair works on a surface of the same size with the same arguments, and
each side takes whatever views it needs inside the timed call, so that both
pay the same per-call costs of pygame.
"""

import math

import pygame

from harness import Case
from zuvo_ui.fast.shapes import curvix

try:
    import zuvo_kernelprobe as probe
except ImportError:  # the probe is built by make; without it those cases are left out
    probe = None
try:
    import cairo
except ImportError:  # make bench installs pycairo; a bare run may lack it
    cairo = None

SIZE = (1920, 1080)
RADIUS = 12
STROKE = 2.0
STROKE_COLOUR = (220, 40, 40, 255)
BACKGROUND = (30, 30, 30, 255)
FILL_COLOUR = (30, 30, 30, 255)
GROWTH_SIDES = (256, 512, 1024, 2048, 4096)


def surface(size=SIZE):
    surf = pygame.Surface(size, pygame.SRCALPHA)
    surf.fill(FILL_COLOUR)
    return surf


def fill_and_views(surf, colour):
    def run():
        surf.fill(colour)
        c = pygame.surfarray.pixels3d(surf)
        a = pygame.surfarray.pixels_alpha(surf)
        del c, a
    return run


def outline(surf, background):
    return lambda: curvix.transform_into_outlined_rounded_rect(
        surf, RADIUS, STROKE, STROKE_COLOUR, background)


def probe_outline(surf, background, path):
    """The same transform through the probe: the same views, then one chosen kernel path."""
    w, h = surf.get_size()
    bg = None if background is None else background[:3]
    bg_alpha = -1 if background is None or len(background) < 4 else background[3]

    def run():
        c = pygame.surfarray.pixels3d(surf)
        a = pygame.surfarray.pixels_alpha(surf)
        probe.outline(c[:, :, 0], c[:, :, 1], c[:, :, 2], a, w, h, (RADIUS,) * 4, STROKE,
                      STROKE_COLOUR[:3], STROKE_COLOUR[3], bg, bg_alpha, path)
        del c, a
    return run


def cairo_outline(size, background):
    """Paint the background, then stroke the same anti-aliased rounded rectangle:
    the stroke's outer edge on the surface's border, its centre line inset by
    half the stroke width with the radius shrunk alike."""
    w, h = size
    target = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    ctx = cairo.Context(target)
    half = STROKE / 2
    r = max(RADIUS - half, 0.0)
    x0, y0, x1, y1 = half, half, w - half, h - half

    def run():
        ctx.set_operator(cairo.OPERATOR_SOURCE)
        ctx.set_source_rgba(*(c / 255 for c in background))
        ctx.paint()
        ctx.set_operator(cairo.OPERATOR_OVER)
        ctx.new_path()
        ctx.arc(x1 - r, y0 + r, r, -math.pi / 2, 0)
        ctx.arc(x1 - r, y1 - r, r, 0, math.pi / 2)
        ctx.arc(x0 + r, y1 - r, r, math.pi / 2, math.pi)
        ctx.arc(x0 + r, y0 + r, r, math.pi, 3 * math.pi / 2)
        ctx.close_path()
        ctx.set_line_width(STROKE)
        ctx.set_source_rgba(*(c / 255 for c in STROKE_COLOUR))
        ctx.stroke()
        target.flush()
    return run


def cases():
    surf, other = surface(), surface()
    label = "%d x %d" % SIZE
    result = [
        Case("corner transform with colour, %s, radius %d" % (label, RADIUS),
             lambda: curvix.transform_into_rounded_rect(surf, RADIUS, FILL_COLOUR),
             fill_and_views(other, FILL_COLOUR), "surf.fill + both views", target=1.05),
        Case("outline transform with background, %s, radius %d, stroke 2" % (label, RADIUS),
             outline(surf, BACKGROUND), lambda: other.fill(BACKGROUND), "surf.fill", target=1.05),
    ]
    if cairo is not None:
        result.append(Case("outline transform with background, %s, vs pycairo" % label,
                           outline(surf, BACKGROUND), cairo_outline(SIZE, BACKGROUND),
                           "pycairo paint + stroke, ARGB32", target=0.999,
                           note="target: strictly below 1"))
    else:
        print("pycairo is not installed: its case is left out (make bench installs it)")
    result.append(Case("outline transform without background, %s" % label,
                       outline(surf, None), lambda: other.fill(BACKGROUND), "surf.fill",
                       target=0.5))
    if probe is not None:
        result.append(Case("outline transform with background, %s, vs scalar kernel" % label,
                           outline(surf, BACKGROUND), probe_outline(other, BACKGROUND, "scalar"),
                           "plain scalar kernel (probe)", target=0.1))
        result.append(Case("outline transform without background, %s, vs scalar kernel" % label,
                           outline(surf, None), probe_outline(other, None, "scalar"),
                           "plain scalar kernel (probe)"))
        available = probe.paths()
        for background in (BACKGROUND, None):
            kind = "with" if background else "without"
            for path in ("scalar+runs", "sse2", "sse2+runs", "neon", "neon+runs", "avx2",
                         "avx2+runs"):
                if path in available:
                    result.append(Case("outline kernel path %s %s background, %s"
                                       % (path, kind, label),
                                       probe_outline(surf, background, path),
                                       probe_outline(other, background, "scalar"),
                                       "plain scalar kernel (probe)",
                                       target=0.05 if path == "scalar+runs" and background
                                       else None))
    for side in GROWTH_SIDES:
        big, big_other = surface((side, side)), surface((side, side))
        result.append(Case("growth: outline transform with background, %d x %d" % (side, side),
                           outline(big, BACKGROUND), lambda s=big_other: s.fill(BACKGROUND),
                           "surf.fill", note="pixels=%d" % (side * side)))
    return result
