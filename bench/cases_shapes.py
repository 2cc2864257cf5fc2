"""Benchmark cases of the rounded-rectangle generators and their memos."""

import functools

import numpy as np
import pygame

from harness import Case
from zuvo_ui.fast.shapes import curvix

COLOR = (30, 30, 30, 255)
SIZE = (120, 40)
RADII = (8, 8, 8, 8)
LARGE = (400, 300)


# What a generator miss must do anyway: pygame's Surface, its fill and the
# views the generator takes, in that order.
def alpha_floor(size):
    def run():
        surf = pygame.Surface(size, pygame.SRCALPHA)
        surf.fill(COLOR)
        pygame.surfarray.pixels_alpha(surf)
        return surf
    return run


def both_floor(size):
    def run():
        surf = pygame.Surface(size, pygame.SRCALPHA)
        surf.fill((0, 0, 0, 0))
        colour = pygame.surfarray.pixels3d(surf)
        pygame.surfarray.pixels_alpha(surf)
        del colour
        return surf
    return run


def numpy_filled(size, radius, color):
    """The filled generator written with NumPy array arithmetic, for comparison."""
    w, h = size
    surf = pygame.Surface(size, pygame.SRCALPHA)
    surf.fill(color)
    alpha = pygame.surfarray.pixels_alpha(surf)
    r = np.float32(min(radius, min(w, h) * 0.5))
    n = int(r)
    xs = np.abs(np.arange(w, dtype=np.float32) - np.float32((w - 1) * 0.5)) - np.float32(w * 0.5) + r
    ys = np.abs(np.arange(h, dtype=np.float32) - np.float32((h - 1) * 0.5)) - np.float32(h * 0.5) + r
    for xsl, ysl in ((slice(0, n), slice(0, n)), (slice(w - n, w), slice(0, n)),
                     (slice(0, n), slice(h - n, h)), (slice(w - n, w), slice(h - n, h))):
        qx, qy = xs[xsl, None], ys[None, ysl]
        outside = np.sqrt(np.maximum(qx, 0) ** 2 + np.maximum(qy, 0) ** 2)
        signed = outside + np.minimum(np.maximum(qx, qy), 0) - r
        corner = alpha[xsl, ysl]
        ramp = ((np.float32(0.5) - signed) * np.float32(color[3])).astype(np.uint8)
        corner[...] = np.where(signed >= 0.5, 0, np.where(signed > -0.5, ramp, corner))
    del alpha
    return surf


def cases():
    lru_hit = functools.lru_cache(maxsize=256)("".format)
    filled_key = (SIZE, RADII, COLOR)
    outlined_key = (SIZE, 8, 2, COLOR)
    curvix.create_rounded_rect_surface(*filled_key)
    curvix.create_outlined_rounded_rect_sdf(*outlined_key)
    lru_hit(*filled_key)
    lru_hit(*outlined_key)
    filled, outlined = curvix.create_rounded_rect_surface, curvix.create_outlined_rounded_rect_sdf
    filled_miss, outlined_miss = (curvix._create_rounded_rect_surface_optimized,
                                  curvix._create_outlined_rounded_rect_sdf)
    return [
        Case("filled generator miss, 120 x 40, radius 8",
             lambda: filled_miss(SIZE, 8, COLOR), alpha_floor(SIZE),
             "Surface + fill + pixels_alpha", target=1.10),
        Case("filled generator miss, 400 x 300, radii (24, 8, 24, 8)",
             lambda: filled_miss(LARGE, (24, 8, 24, 8), COLOR), alpha_floor(LARGE),
             "Surface + fill + pixels_alpha", target=1.10),
        Case("outlined generator miss, 120 x 40, radius 8, width 2",
             lambda: outlined_miss(SIZE, 8, 2, COLOR), both_floor(SIZE),
             "Surface + fill + both views", target=1.15),
        Case("outlined generator miss, 400 x 300, radius 24, width 3.5",
             lambda: outlined_miss(LARGE, 24, 3.5, COLOR), both_floor(LARGE),
             "Surface + fill + both views", target=1.15),
        Case("memo hit, create_rounded_rect_surface",
             lambda: filled(SIZE, RADII, COLOR),
             lambda: lru_hit(SIZE, RADII, COLOR), "lru_cache hit", target=1.25),
        Case("memo hit, create_outlined_rounded_rect_sdf",
             lambda: outlined(SIZE, 8, 2, COLOR),
             lambda: lru_hit(SIZE, 8, 2, COLOR), "lru_cache hit", target=1.25),
        Case("memo hit, create_rounded_rect_surface with list radii",
             lambda: filled(SIZE, [8, 8, 8, 8], COLOR),
             lambda: lru_hit(SIZE, RADII, COLOR), "lru_cache hit",
             note="the list is turned into a tuple on every call"),
        Case("filled generator vs pygame.draw.rect(border_radius=8), aliased",
             lambda: filled_miss(SIZE, 8, COLOR),
             lambda: pygame.draw.rect(pygame.Surface(SIZE, pygame.SRCALPHA), COLOR,
                                      pygame.Rect(0, 0, *SIZE), border_radius=8),
             "Surface + draw.rect"),
        Case("filled generator vs the same algorithm in NumPy",
             lambda: filled_miss(SIZE, 8, COLOR),
             lambda: numpy_filled(SIZE, 8, COLOR), "NumPy version"),
    ]
