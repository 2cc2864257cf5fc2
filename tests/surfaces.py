"""Surfaces for the in-place transform tests, in every layout pygame hands out.

`bgra` is pygame's default SRCALPHA surface (its `pixels3d` has a negative
channel stride), `rgba` an RGBA-masked 32-bit surface, and `subsurface` a
window into a larger BGRA surface (a row pitch wider than the width), whose
surroundings must never change.
"""

import numpy as np
import pygame

LAYOUTS = ["bgra", "rgba", "subsurface"]
RGBA_MASKS = (0xFF, 0xFF00, 0xFF0000, 0xFF000000)
OFFSET = (3, 2)  # where a subsurface sits in its parent
SURROUNDINGS = (91, 92, 93, 94)


class Target:
    """A surface under test; for a subsurface, also its parent."""

    def __init__(self, layout, size):
        self.layout = layout
        self.parent = None
        if layout == "bgra":
            self.surf = pygame.Surface(size, pygame.SRCALPHA)
        elif layout == "rgba":
            self.surf = pygame.Surface(size, pygame.SRCALPHA, 32, RGBA_MASKS)
            assert self.surf.get_masks() == RGBA_MASKS
        elif layout == "subsurface":
            w, h = size
            self.parent = pygame.Surface((w + 7, h + 5), pygame.SRCALPHA)
            self.parent.fill(SURROUNDINGS)
            self.surf = self.parent.subsurface(pygame.Rect(OFFSET, size))
        else:
            raise ValueError(layout)
        self._outside = self._parent_pixels()

    def _parent_pixels(self):
        return None if self.parent is None else rgba(self.parent)

    def outside_unchanged(self):
        """True when no pixel of the parent outside the subsurface changed."""
        if self.parent is None:
            return True
        now = self._parent_pixels()
        x0, y0 = OFFSET
        w, h = self.surf.get_size()
        now[y0:y0 + h, x0:x0 + w] = self._outside[y0:y0 + h, x0:x0 + w]
        return np.array_equal(now, self._outside)


def make(layout, size, fill=None):
    target = Target(layout, size)
    if fill is not None:
        target.surf.fill(fill)
    return target


def rgba(surf):
    """The pixels as an array [y][x][r, g, b, a], whatever the layout."""
    w, h = surf.get_size()
    data = pygame.image.tobytes(surf, "RGBA")
    return np.frombuffer(data, dtype=np.uint8).reshape(h, w, 4).copy()


def paint_gradient(surf):
    """Distinct, varying content in every channel, alpha included."""
    w, h = surf.get_size()
    for y in range(h):
        for x in range(w):
            surf.set_at((x, y), ((x * 37) % 256, (y * 53) % 256, (x * y * 11) % 256,
                                 (40 + x * 13 + y * 7) % 256))


def pixel(surf, x, y):
    return tuple(surf.get_at((x, y)))


class RecordingSurface(pygame.Surface):
    """Logs the calls the transforms make on it; may claim a size it does not have."""

    def __init__(self, size, claimed=None):
        super().__init__(size, pygame.SRCALPHA)
        self.log = []
        self.claimed = claimed or size

    def get_width(self):
        self.log.append("get_width")
        return self.claimed[0]

    def get_height(self):
        self.log.append("get_height")
        return self.claimed[1]

    def fill(self, color, *args):
        self.log.append(("fill", color))
        return super().fill(color, *args)


class RecordingPygame:
    """Stands in for `md.pygame`: logs the view requests into the surface's log."""

    def __init__(self):
        self.surfarray = self

    def pixels3d(self, surf):
        surf.log.append("pixels3d")
        return pygame.surfarray.pixels3d(surf)

    def pixels_alpha(self, surf):
        surf.log.append("pixels_alpha")
        return pygame.surfarray.pixels_alpha(surf)

    def __getattr__(self, name):
        return getattr(pygame, name)


def load(surf, pixels):
    """Writes an array [y][x][r, g, b, a] into the surface, byte for byte."""
    colour = pygame.surfarray.pixels3d(surf)
    colour[...] = pixels[..., :3].transpose(1, 0, 2)
    del colour
    alpha = pygame.surfarray.pixels_alpha(surf)
    alpha[...] = pixels[..., 3].T
    del alpha


def random_pixels(seed, size):
    w, h = size
    return np.random.default_rng(seed).integers(0, 256, (h, w, 4), dtype=np.uint8)
