"""Calls the stubs accept: type-checked with mypy --strict, then run, and every one works."""

import decimal
import fractions

import numpy as np
import pygame
from zuvo_ui.fast.shapes import curvix, draw
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvrendertex.zv_render_tex import ZvRenderTexture
from zuvo_ui.fast.zvspecific import panelix

pygame.display.init()
pygame.display.set_mode((1, 1))
SIZE = (24, 16)


def card() -> pygame.Surface:
    return pygame.Surface(SIZE, pygame.SRCALPHA)


# Sizes: exact tuples of anything int() takes (floats truncate).
curvix._create_rounded_rect_surface_optimized((24, 16), 4, (1, 2, 3))
curvix._create_rounded_rect_surface_optimized((24.9, np.int64(16)), 4, (1, 2, 3))
curvix._create_outlined_rounded_rect_sdf((fractions.Fraction(48, 2), decimal.Decimal(16)), 4, 1, (1, 2, 3))

# Radii of the filled generator and the transforms: an int or float, four in a tuple, or a list.
for radii in (4, 4.5, True, np.float64(4), (4, 4.5, 0, np.int64(2)), [4, 4, 4, 4], [4.0]):
    curvix._create_rounded_rect_surface_optimized(SIZE, radii, (1, 2, 3, 4))
    curvix.transform_into_rounded_rect(card(), radii)
    curvix.transform_into_outlined_rounded_rect(card(), radii, 1, (1, 2, 3))
curvix._create_rounded_rect_surface_optimized(SIZE, (fractions.Fraction(7, 2), decimal.Decimal(3), 1, 1), (1, 2, 3))

# The memoised filled entry point: a tuple or a list of radii; its memo: a tuple.
curvix.create_rounded_rect_surface(SIZE, (4, 4, 4, 4), (1, 2, 3))
curvix.create_rounded_rect_surface(SIZE, [4, 4.5, 0, 0], (1, 2, 3, 200))
curvix._get_cached_rounded_rect_surface(SIZE, (4, 4, 4, 4), (1, 2, 3))
curvix._get_cached_rounded_rect_surface.cache_info()
curvix._get_cached_rounded_rect_surface.cache_clear()

# The outlined generators: one radius that int() takes, any real width.
for radius in (4, 4.9, -2, np.int64(4), fractions.Fraction(9, 2), True):
    for width in (1, 1.5, np.float32(2), fractions.Fraction(3, 2), decimal.Decimal("0.5")):
        curvix._create_outlined_rounded_rect_sdf(SIZE, radius, width, (1, 2, 3, 200))
        curvix.create_outlined_rounded_rect_sdf(SIZE, radius, width, (np.uint8(1), 2, 3))
curvix._get_cached_outlined_rounded_rect_sdf(SIZE, 4, 1.5, (1, 2, 3))
curvix._get_cached_outlined_rounded_rect_sdf.cache_info()

# Colours of the corner transform and backgrounds: tuples, lists, pygame.Color, None.
for colour in ((1, 2, 3), (1, 2, 3, 4), [1, 2, 3], [1.9, 2, 3, 4], pygame.Color(1, 2, 3), None):
    curvix.transform_into_rounded_rect(card(), 4, colour)
    curvix.transform_into_outlined_rounded_rect(card(), 4, 2, (9, 9, 9, 99), colour)
curvix.transform_into_rounded_rect(surf=card(), radii_input=4, color=(1, 2, 3))
curvix.transform_into_outlined_rounded_rect(card(), 4, stroke_width=2, color=(1, 2, 3),
                                            background_color=(4, 5, 6))
curvix.transform_into_rounded_rect(pygame.Surface(SIZE).convert_alpha(), 4)

# panelix: widgets and render textures are the toolkit's (Any to the type checker).
container = ZuvoCobject(0, 0, 100, 100)
children = [ZuvoCobject(x, 10, 20, 20) for x in (-20, 50)]
panelix.scrollable_update_collided(panelix.scrollable_recollide_items(container, children))
panelix.scrollable_update_collided([])


class Window:
    def __init__(self, screen: pygame.Surface) -> None:
        self._renderer = screen


class PygameMenu:
    def __init__(self) -> None:
        self._surface = pygame.Surface((40, 30), pygame.SRCALPHA)
        self._layout = None
        self._window = Window(pygame.Surface((80, 60)))
        self._tuple_absolute_coordinates = (10, 20)


class RaylibMenu:
    def __init__(self) -> None:
        self._surface = ZvRenderTexture(40, 30, "menu")
        self.absolute_coordinates = None
        self._layout = None


panelix.menu_draw_pygame(PygameMenu(), pygame.Surface((40, 30)))
panelix.menu_draw_raylib(RaylibMenu(), ZvRenderTexture(40, 30, "bg"))


# draw.rect: any 24- or 32-bit surface; whatever pygame takes as a colour and a rect.
class Button:
    def __init__(self) -> None:
        self.rect = pygame.Rect(2, 2, 10, 6)


screen = pygame.display.set_mode((8, 8))
for target in (card(), pygame.Surface(SIZE), pygame.Surface(SIZE, 0, 24), screen, card().subsurface((1, 1, 8, 8))):
    for paint in ((1, 2, 3), (1, 2, 3, 4), [1, 2, 3], pygame.Color(1, 2, 3), "red", "#ff800080", 0x102030):
        draw.rect(target, paint, (1, 2, 8, 6))
    draw.rect(target, (1, 2, 3), (1.5, 2.25, 8, 6), 1.5, 3)
    draw.rect(target, (1, 2, 3), ((1, 2), (8.5, 6)), 1.5, 3)
    draw.rect(target, (1, 2, 3), [1, 2, 8, 6], 1.5, 3)
    draw.rect(target, (1, 2, 3), pygame.Rect(1, 2, 8, 6), 1.5, 3)
    draw.rect(target, (1, 2, 3), Button(), 1.5, 3)
bounds: pygame.Rect = draw.rect(card(), (1, 2, 3, 200), (1, 1, 20, 12), np.float64(2.25), 4.5, 0, 0, -1, 6,
                                border_color=(9, 8, 7), blend=False)
draw.rect(surface=card(), color=(1, 2, 3), rect=(1, 1, 9, 9), width=0, border_radius=3,
          border_top_left_radius=True, border_bottom_right_radius=np.int64(2), blend=True)
