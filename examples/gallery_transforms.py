"""Gallery section: surfaces reshaped in place by curvix's transforms.

`draw(canvas, font, top)` renders the section and returns the y below it.
"""

from typing import Callable

import numpy as np
import pygame

from zuvo_ui.fast.shapes import curvix

TEXT = (40, 44, 52)
PHOTO_SIZE = (150, 100)


def _label(canvas: pygame.Surface, font: pygame.font.Font, text: str, pos: tuple[int, int],
           color: tuple[int, int, int] = TEXT) -> None:
    canvas.blit(font.render(text, True, color), pos)


def photo(size: tuple[int, int] = PHOTO_SIZE, sun: tuple[float, float] = (0.7, 0.35)) -> pygame.Surface:
    """A photo-like picture: a dusk sky over a dark hill, with a soft sun."""
    w, h = size
    x = np.linspace(0.0, 1.0, w)[:, None]
    y = np.linspace(0.0, 1.0, h)[None, :]
    sky = np.stack([40 + 200 * y, 60 + 90 * y, 140 - 60 * y], axis=-1) * np.ones((w, 1, 1))
    glow = np.exp(-((x - sun[0]) ** 2 + (y - sun[1]) ** 2) / 0.02)[..., None]
    sky = sky + glow * np.array([255.0, 200.0, 120.0]) * 0.8
    hill = y > 0.72 + 0.12 * np.sin(x * 5.0)
    sky[np.broadcast_to(hill, (w, h))] = (28, 36, 30)
    surf = pygame.Surface(size, pygame.SRCALPHA)
    surf.fill((0, 0, 0, 255))
    pixels = pygame.surfarray.pixels3d(surf)
    pixels[...] = np.clip(sky, 0, 255).astype(np.uint8)
    del pixels  # unlocks the surface
    return surf


def draw(canvas: pygame.Surface, font: pygame.font.Font, top: int) -> int:
    _label(canvas, font, "In place: transform_into_rounded_rect, transform_into_outlined_rounded_rect",
           (24, top))
    y = top + 28
    step = PHOTO_SIZE[0] + 20

    # Corners cut out of an existing picture: its alpha is scaled, its colours kept.
    shots: list[tuple[float | tuple[float, float, float, float], str]] = [(16, "radius 16"), ((40, 0, 40, 0), "radii 40, 0, 40, 0"),
             (50, "radius 50: clamped")]
    for i, (radii, caption) in enumerate(shots):
        surf = photo(sun=(0.3 + 0.2 * i, 0.35))
        curvix.transform_into_rounded_rect(surf, radii)
        canvas.blit(surf, (24 + i * step, y))
        _label(canvas, font, caption, (24 + i * step, y + PHOTO_SIZE[1] + 4))
    # With a colour the surface is filled first, then its corners are cut.
    tile = pygame.Surface((100, 100), pygame.SRCALPHA)
    curvix.transform_into_rounded_rect(tile, 24, (117, 80, 123, 220))
    canvas.blit(tile, (24 + 3 * step, y))
    _label(canvas, font, "filled, radius 24", (24 + 3 * step, y + PHOTO_SIZE[1] + 4))

    y += PHOTO_SIZE[1] + 32
    # Outlined cards: a stroke laid over a picture, and a card recomputed from
    # a stroke and a background colour alone.
    cards: list[tuple[str, Callable[[pygame.Surface], None]]] = [
        ("over a picture", lambda s: curvix.transform_into_outlined_rounded_rect(
            s, 14, 3, (255, 255, 255))),
        ("translucent stroke", lambda s: curvix.transform_into_outlined_rounded_rect(
            s, (24, 6, 24, 6), 4, (255, 200, 80, 160))),
        ("with background", lambda s: curvix.transform_into_outlined_rounded_rect(
            s, 14, 2, (52, 101, 164), (255, 255, 255))),
        ("translucent background", lambda s: curvix.transform_into_outlined_rounded_rect(
            s, 20, 1.5, (204, 0, 0), (255, 255, 255, 140))),
    ]
    for i, (caption, reshape) in enumerate(cards):
        surf = photo(sun=(0.25 + 0.15 * i, 0.4))
        reshape(surf)
        canvas.blit(surf, (24 + i * step, y))
        _label(canvas, font, caption, (24 + i * step, y + PHOTO_SIZE[1] + 4))
    return y + PHOTO_SIZE[1] + 28
