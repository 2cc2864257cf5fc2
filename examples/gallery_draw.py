"""Gallery section: draw.rect beside pygame.draw.rect, the same calls on both.

`draw(canvas, font, top)` renders the section and returns the y below it.
"""

import math
from collections.abc import Callable

import pygame

from gallery_transforms import photo
from zuvo_ui.fast.shapes import draw as fast_draw

TEXT = (40, 44, 52)
MUTED = (110, 116, 128)
PANEL = (255, 255, 255)
BLUE = (52, 101, 164)
RED = (204, 0, 0)
COLUMNS = (("pygame.draw.rect", 24), ("zuvo_ui draw.rect", 372))
ZOOM = 6

Colour = tuple[int, int, int] | tuple[int, int, int, int]
Rect = Callable[[pygame.Surface, Colour, tuple[float, float, float, float], float, float, Colour | None], None]


def pygame_rect(surf: pygame.Surface, color: Colour, rect: tuple[float, float, float, float],
                width: float, radius: float, border_color: Colour | None) -> None:
    """pygame.draw.rect takes whole pixels only, and one colour: a fill, then a
    stroke over it."""
    whole = pygame.Rect([int(v) for v in rect])
    if border_color is None:
        pygame.draw.rect(surf, color, whole, int(width), int(radius))
        return
    pygame.draw.rect(surf, color, whole, 0, int(radius))
    pygame.draw.rect(surf, border_color, whole, max(int(width), 1), int(radius))


def fast_rect(surf: pygame.Surface, color: Colour, rect: tuple[float, float, float, float],
              width: float, radius: float, border_color: Colour | None) -> None:
    fast_draw.rect(surf, color, rect, width, radius, border_color=border_color)


def _label(canvas: pygame.Surface, font: pygame.font.Font, text: str, pos: tuple[int, int],
           color: tuple[int, int, int] = TEXT) -> None:
    canvas.blit(font.render(text, True, color), pos)


def _corner(rect: Rect) -> pygame.Surface:
    """The top-left corner of a rounded rect at a fractional position, zoomed."""
    small = pygame.Surface((26, 22))
    small.fill(PANEL)
    rect(small, BLUE, (3.5, 3.25, 40, 30), 0, 14, None)
    rect(small, RED, (12.5, 11.5, 40, 30), 2, 8, None)
    return pygame.transform.scale(small, (26 * ZOOM, 22 * ZOOM))


def _shapes(canvas: pygame.Surface, font: pygame.font.Font, rect: Rect, x: int, top: int) -> None:
    """Filled, then stroked 1, 1.5 and 2.25 pixels wide, each at a fractional place."""
    panel = pygame.Surface((328, 74))
    panel.fill(PANEL)
    rect(panel, BLUE, (6.5, 8.5, 70, 44), 0, 12.5, None)
    for i, width in enumerate((1, 1.5, 2.25)):
        rect(panel, TEXT, (88.5 + i * 80, 8.25, 70, 44), width, 12.5, None)
    canvas.blit(panel, (x, top))
    for i, text in enumerate(("filled", "width 1", "width 1.5", "width 2.25")):
        _label(canvas, font, text, (x + 12 + i * 80, top + 56), MUTED)


def _translucent(rect: Rect, target: pygame.Surface) -> None:
    """Translucent panels over a photo-like picture."""
    rect(target, (255, 255, 255, 110), (12.5, 14.5, 130, 70), 0, 16, None)
    rect(target, (20, 24, 40, 150), (160.25, 40.5, 150, 56), 0, 28, None)
    rect(target, (255, 210, 120, 200), (176.5, 8.5, 110, 26), 2.5, 10, (90, 40, 120, 160))


def _bordered(canvas: pygame.Surface, rect: Rect, x: int, top: int) -> None:
    """Buttons filled in one colour and ringed in another."""
    panel = pygame.Surface((328, 56))
    panel.fill(PANEL)
    rings: list[tuple[Colour, Colour, float]] = [
        ((230, 238, 250), BLUE, 1.5), ((255, 235, 235), RED, 2.5), ((52, 101, 164), (20, 40, 80), 3)]
    for i, (fill, ring, width) in enumerate(rings):
        rect(panel, fill, (8.5 + i * 106, 8.5, 96, 38), width, 12, ring)
    canvas.blit(panel, (x, top))


def _blurred_box(box: tuple[float, float, float, float], radius: float, sigma: float,
                 px: float, py: float) -> float:
    """The box's area convolved with the Gaussian at one point, in float64: a
    midpoint integral over the box's rows, each row exact (two normal CDFs)."""
    x0, y0, x1, y1 = box
    lo, hi = max(y0, py - 6 * sigma), min(y1, py + 6 * sigma)
    if lo >= hi:
        return 0.0
    steps = 200
    step = (hi - lo) / steps
    total = 0.0
    for k in range(steps):
        y = lo + (k + 0.5) * step
        dy = max(y0 + radius - y, y - (y1 - radius), 0.0)
        inset = radius - math.sqrt(max(radius * radius - dy * dy, 0.0))
        left, right = x0 + inset, x1 - inset
        across = 0.5 * (math.erf((right - px) / (sigma * math.sqrt(2))) -
                        math.erf((left - px) / (sigma * math.sqrt(2))))
        total += math.exp(-0.5 * ((py - y) / sigma) ** 2) * across * step
    return total / (sigma * math.sqrt(2 * math.pi))


SHADOW = (0, 0, 0, 160)


def _shadow_corner(exact: bool) -> pygame.Surface:
    """The top-left corner of a card's shadow (blur 8, radius 10), zoomed:
    draw.shadow's, or the float64 integral's, on the same panel."""
    size, box, radius, blur = (26, 22), (6.5, 5.5, 60.0, 40.0), 10, 8
    small = pygame.Surface(size)
    small.fill(PANEL)
    if exact:
        alpha = SHADOW[3] / 255
        for y in range(size[1]):
            for x in range(size[0]):
                cover = alpha * _blurred_box(box, radius, blur / 2, x + 0.5, y + 0.5)
                small.set_at((x, y), [round(c * (1 - cover) + s * cover) for c, s in zip(PANEL, SHADOW)])
    else:
        fast_draw.shadow(small, SHADOW, (box[0], box[1], box[2] - box[0], box[3] - box[1]), blur, radius)
    return pygame.transform.scale(small, (size[0] * ZOOM, size[1] * ZOOM))


def _shadows(canvas: pygame.Surface, font: pygame.font.Font, top: int) -> int:
    """Cards over their shadows at several blurs and spreads, then a corner
    beside the exact integral."""
    _label(canvas, font, "draw.shadow: the exact blur of the box, in one call", (24, top))
    top += 26
    panel = pygame.Surface((672, 124))
    panel.fill((236, 238, 242))
    cards = [(4, 0, (0, 2), "blur 4"), (12, 0, (0, 4), "blur 12"), (24, 0, (0, 8), "blur 24"),
             (16, 6, (0, 0), "spread 6")]
    for i, (blur, spread, offset, text) in enumerate(cards):
        card = (24.5 + i * 166, 22.5, 128, 72)
        fast_draw.shadow(panel, SHADOW, card, blur, 12, spread=spread, offset=offset)
        fast_draw.rect(panel, PANEL, card, 0, 12)
        panel.blit(font.render(text, True, MUTED), (card[0] + 12, card[1] + 28))
    canvas.blit(panel, (24, top))
    top += 136
    for exact, x in ((False, COLUMNS[0][1]), (True, COLUMNS[1][1])):
        canvas.blit(_shadow_corner(exact), (x, top))
        text = "the float64 integral, %dx" % ZOOM if exact else "draw.shadow, %dx" % ZOOM
        _label(canvas, font, text, (x + 26 * ZOOM + 12, top + 4), MUTED)
    return top + 22 * ZOOM + 12


def draw(canvas: pygame.Surface, font: pygame.font.Font, top: int) -> int:
    _label(canvas, font, "draw.rect: pygame.draw.rect's arguments, drawn anti-aliased and exact", (24, top))
    top += 26
    for name, x in COLUMNS:
        _label(canvas, font, name, (x, top), BLUE)
    top += 24
    rects: list[tuple[Rect, int]] = [(pygame_rect, COLUMNS[0][1]), (fast_rect, COLUMNS[1][1])]

    for rect, x in rects:
        canvas.blit(_corner(rect), (x, top))
    _label(canvas, font, "a corner, %dx" % ZOOM, (COLUMNS[0][1] + 26 * ZOOM + 12, top + 4), MUTED)
    _label(canvas, font, "a corner, %dx" % ZOOM, (COLUMNS[1][1] + 26 * ZOOM + 12, top + 4), MUTED)
    top += 22 * ZOOM + 12

    for rect, x in rects:
        _shapes(canvas, font, rect, x, top)
    _label(canvas, font, "pygame.draw.rect takes whole pixels: widths 1.5 and 2.25 draw as 1 and 2",
           (24, top + 78), MUTED)
    top += 104

    for rect, x in rects:
        picture = photo((328, 104), sun=(0.3, 0.4))
        _translucent(rect, picture)
        canvas.blit(picture, (x, top))
    _label(canvas, font, "translucent colours over a picture (pygame writes them without blending)",
           (24, top + 108), MUTED)
    top += 134

    for rect, x in rects:
        _bordered(canvas, rect, x, top)
    _label(canvas, font, "border colour: a fill and a stroke (pygame) / border_color (draw.rect)",
           (24, top + 60), MUTED)
    return _shadows(canvas, font, top + 84)
