"""Calls the modules refuse, or run to no purpose: mypy --strict flags every marked
line (and no other), and each one, run, does what its comment says."""

import fractions

import numpy as np
import pygame
from zuvo_ui.fast.shapes import curvix, draw
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvspecific import panelix

SIZE = (24, 16)
RGB = (1, 2, 3)
card = pygame.Surface(SIZE, pygame.SRCALPHA)
container, child = ZuvoCobject(0, 0, 100, 100), ZuvoCobject(10, 10, 20, 20)


class PygameMenu:
    def __init__(self) -> None:
        self._surface = pygame.Surface((40, 30), pygame.SRCALPHA)
        self._layout = None
        self._window = None
        self._tuple_absolute_coordinates = (10, 20)


class SdlMenu:
    def __init__(self) -> None:
        self._sdl_texture = None
        self._layout = None
        self._window = None
        self._tuple_absolute_coordinates = (10, 20)

    def get_rect(self) -> None:
        return None


# Sizes: an exact tuple of two numbers.
curvix._create_rounded_rect_surface_optimized(None, 4, RGB)  # raises TypeError: 'NoneType' object is not subscriptable
curvix._create_rounded_rect_surface_optimized([24, 16], 4, RGB)  # raises TypeError: Argument 'size' has incorrect type (expected tuple, got list)
curvix._create_outlined_rounded_rect_sdf([24, 16], 4, 1, RGB)  # raises TypeError: Argument 'size' has incorrect type (expected tuple, got list)
curvix.create_outlined_rounded_rect_sdf(None, 4, 1, RGB)  # raises TypeError: 'NoneType' object is not subscriptable
curvix.create_rounded_rect_surface((24,), (4, 4, 4, 4), RGB)  # raises IndexError: tuple index out of range
curvix._create_rounded_rect_surface_optimized(("24", "16"), 4, RGB).get_size()  # -> (24, 16)
curvix._create_rounded_rect_surface_optimized((24, 16, 1), 4, RGB).get_size()  # -> (24, 16)

# Radii of the filled generator and the transforms.
curvix._create_rounded_rect_surface_optimized(SIZE, None, RGB)  # raises TypeError: object of type 'NoneType' has no len()
curvix._create_rounded_rect_surface_optimized(SIZE, np.int64(4), RGB)  # raises TypeError: object of type 'numpy.int64' has no len()
curvix.transform_into_rounded_rect(card, fractions.Fraction(4))  # raises TypeError: object of type 'Fraction' has no len()
curvix.transform_into_rounded_rect(card, "abcd")  # raises TypeError: must be real number, not str
curvix.transform_into_outlined_rounded_rect(card, (1, 2, 3, None), 1, RGB)  # raises TypeError: must be real number, not NoneType
# Two radii run, but every corner stays square.
tuple(curvix._create_rounded_rect_surface_optimized(SIZE, (4, 4), RGB).get_at((0, 0)))  # -> (1, 2, 3, 255)
curvix.transform_into_rounded_rect(card, (4, 4, 4))  # -> None

# The memoised filled entry point and its memo: a tuple (or, for the entry point, a list) of radii.
curvix.create_rounded_rect_surface(SIZE, 4, RGB)  # raises TypeError: Argument 'radii' has incorrect type (expected tuple, got int)
curvix.create_rounded_rect_surface(SIZE, 4.5, RGB)  # raises TypeError: Argument 'radii' has incorrect type (expected tuple, got float)
curvix._get_cached_rounded_rect_surface(SIZE, [4, 4, 4, 4], RGB)  # raises TypeError: unhashable type: 'list'
curvix._get_cached_rounded_rect_surface(SIZE, 4, RGB)  # raises TypeError: Argument 'radii' has incorrect type (expected tuple, got int)

# The outlined generators: one radius, an integer or a number int() truncates.
curvix._create_outlined_rounded_rect_sdf(SIZE, (4, 4, 4, 4), 1, RGB)  # raises TypeError: an integer is required
curvix.create_outlined_rounded_rect_sdf(SIZE, "4", 1, RGB)  # raises TypeError: an integer is required
curvix.create_outlined_rounded_rect_sdf(SIZE, None, 1, RGB)  # raises TypeError: an integer is required
curvix.create_outlined_rounded_rect_sdf(SIZE, 4, "1", RGB)  # raises TypeError: must be real number, not str
curvix.transform_into_outlined_rounded_rect(card, 4, None, RGB)  # raises TypeError: must be real number, not NoneType

# Colours.
curvix._create_rounded_rect_surface_optimized(SIZE, 4, None)  # raises TypeError: object of type 'NoneType' has no len()
curvix.create_rounded_rect_surface(SIZE, (4, 4, 4, 4), None)  # raises TypeError: object of type 'NoneType' has no len()
curvix._create_rounded_rect_surface_optimized(SIZE, 4, [1, 2, 3])  # raises TypeError: Argument 'color' has incorrect type (expected tuple, got list)
curvix._create_rounded_rect_surface_optimized(SIZE, 4, (1, 2))  # raises ValueError: invalid color ...
curvix._create_rounded_rect_surface_optimized(SIZE, 4, (1, 2, 3, 4, 5))  # raises ValueError: invalid color ...
curvix.create_outlined_rounded_rect_sdf(SIZE, 4, 1, None)  # raises TypeError: object of type 'NoneType' has no len()
curvix.create_outlined_rounded_rect_sdf(SIZE, 4, 1, [1, 2, 3])  # raises TypeError: unhashable type: 'list'
curvix._create_outlined_rounded_rect_sdf(SIZE, 4, 1, (1, 2))  # raises IndexError: tuple index out of range
curvix._create_outlined_rounded_rect_sdf(SIZE, 4, 1, ("1", 2, 3))  # raises TypeError: an integer is required
curvix.transform_into_rounded_rect(card, 4, (1, 2))  # raises IndexError: tuple index out of range
curvix.transform_into_rounded_rect(card, 4, "red")  # raises TypeError: an integer is required
curvix.transform_into_rounded_rect(card, 4, 7)  # raises TypeError: object of type 'int' has no len()
curvix.transform_into_outlined_rounded_rect(card, 4, 1, None)  # raises TypeError: object of type 'NoneType' has no len()
curvix.transform_into_outlined_rounded_rect(card, 4, 1, [1, 2, 3])  # raises TypeError: Argument 'color' has incorrect type (expected tuple, got list)
curvix.transform_into_outlined_rounded_rect(card, 4, 1, pygame.Color(1, 2, 3))  # raises TypeError: Argument 'color' has incorrect type (expected tuple, got ...
curvix.transform_into_outlined_rounded_rect(card, 4, 1, RGB, (0, 0))  # raises IndexError: tuple index out of range
curvix.transform_into_outlined_rounded_rect(card, 4, 1, RGB, 5)  # raises TypeError: 'int' object is not subscriptable

# Surfaces.
curvix.transform_into_rounded_rect(None, 4)  # raises AttributeError: 'NoneType' object has no attribute 'get_width'
curvix.transform_into_outlined_rounded_rect("card", 4, 1, RGB)  # raises AttributeError: 'str' object has no attribute 'get_width'

# panelix: exact lists, and menus that are not None.
panelix.scrollable_recollide_items(container, (child,))  # raises TypeError: Argument 'items' has incorrect type (expected list, got tuple)
panelix.scrollable_recollide_items(container, None)  # raises TypeError: Argument 'items' has incorrect type (expected list, got NoneType)
panelix.scrollable_update_collided(None)  # raises TypeError: Argument 'collided_items' has incorrect type (expected list, got NoneType)
panelix.scrollable_update_collided({child})  # raises TypeError: Argument 'collided_items' has incorrect type (expected list, got set)
panelix.menu_draw_pygame(None, card)  # raises TypeError: Argument 'self' must not be None
panelix.menu_draw_pygame(PygameMenu(), None)  # raises TypeError: Argument 'bg' must not be None
panelix.menu_draw_pygame(object(), card)  # raises AttributeError: 'object' object has no attribute '_surface'
panelix.menu_draw_sdl(SdlMenu(), None)  # raises TypeError: Argument 'bg' must not be None
panelix.menu_draw_raylib(None, None)  # raises TypeError: Argument 'self' must not be None

# draw.rect: a pygame Surface; a colour and a rect pygame takes; real numbers.
RECT = (0, 0, 2, 2)
draw.rect("x", RGB, RECT)  # raises TypeError: argument 1 must be pygame.surface.Surface, not str
draw.rect(card, None, RECT)  # raises TypeError
draw.rect(card, 1.5, RECT)  # raises TypeError
draw.rect(card, RGB, None)  # raises TypeError: rect argument is invalid
draw.rect(card, RGB, "abcd")  # raises TypeError: rect argument is invalid
draw.rect(card, RGB, (0, 0, 2, "2"))  # raises TypeError: rect argument is invalid
draw.rect(card, RGB, RECT, "1")  # raises TypeError: must be real number, not str
draw.rect(card, RGB, RECT, None)  # raises TypeError: must be real number, not NoneType
draw.rect(card, RGB, RECT, border_radius="3")  # raises TypeError: must be real number, not str
draw.rect(card, RGB, RECT, border=1)  # raises TypeError: 'border' is an invalid keyword argument for rect()
draw.rect(card, RGB, RECT, 1, 2, 3, 4, 5, 6, RGB)  # raises TypeError: rect() takes at most 9 positional arguments (10 given)
draw.rect(card, RGB, RECT, 1, border_color=[1.5])  # raises ValueError: invalid color ...
