"""Gallery section: a menu and a scrolled list drawn through panelix, on the
pygame back end of the stand-in host toolkit.

`draw(canvas, font, top)` renders the section and returns the y below it.
"""

from typing import Any

import pygame

from zuvo_ui.fast.shapes import curvix
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvspecific import panelix
from zuvo_ui.fast.zvvector2.zvvector2 import ZvVector2

TEXT = (40, 44, 52)
LIGHT = (236, 239, 244)
ACCENT = (94, 129, 172)
MENU_SIZE = (200, 150)
LIST_SIZE = (220, 150)
ENTRIES = ["Open…", "Save", "Save as…", "Export PNG", "Quit"]


def _label(canvas: pygame.Surface, font: pygame.font.Font, text: str, pos: tuple[int, int],
           color: tuple[int, int, int] = TEXT) -> None:
    canvas.blit(font.render(text, True, color), pos)


class MenuLayout(ZuvoCobject):  # type: ignore[misc]  # the host's type is untyped
    """The menu's layout: panelix calls its draw through the widget method table."""

    def __init__(self, target: pygame.Surface, font: pygame.font.Font, selected: int) -> None:
        super().__init__(0, 0, *MENU_SIZE)
        self.target, self.font, self.selected = target, font, selected

    def draw(self) -> None:
        for i, entry in enumerate(ENTRIES):
            y = 12 + i * 27
            if i == self.selected:
                self.target.blit(curvix.create_rounded_rect_surface((176, 24), [6] * 4, ACCENT),
                                 (12, y - 4))
            _label(self.target, self.font, entry, (24, y), LIGHT)


class _Renderer:
    def __init__(self, canvas: pygame.Surface) -> None:
        self.blit = canvas.blit


class _Window:
    def __init__(self, canvas: pygame.Surface) -> None:
        self._renderer = _Renderer(canvas)


class Menu:
    """The attributes menu_draw_pygame reads from a toolkit menu."""

    def __init__(self, canvas: pygame.Surface, font: pygame.font.Font,
                 position: tuple[int, int]) -> None:
        self._surface = pygame.Surface(MENU_SIZE, pygame.SRCALPHA)
        self._layout = MenuLayout(self._surface, font, selected=3)
        self._window = _Window(canvas)
        self._tuple_absolute_coordinates = position


class Row(ZuvoCobject):  # type: ignore[misc]
    def __init__(self, index: int) -> None:
        super().__init__(8, index * 30, LIST_SIZE[0] - 16, 26, name="Row %d" % (index + 1))
        self.index = index


def _scrolled_list(canvas: pygame.Surface, font: pygame.font.Font,
                   origin: tuple[int, int]) -> tuple[int, int]:
    """A scrolled list: panelix finds the rows that show, only those are drawn."""
    x, y = origin
    container = ZuvoCobject(x, y, *LIST_SIZE)
    container.scroll = ZvVector2(0, 42)  # scrolled down by 42 pixels
    rows: list[Any] = [Row(i) for i in range(12)]
    visible = panelix.scrollable_recollide_items(container, rows)
    panelix.scrollable_update_collided(visible)

    view = canvas.subsurface((x, y, *LIST_SIZE))
    view.blit(curvix.create_rounded_rect_surface(LIST_SIZE, [10] * 4, (255, 255, 255)), (0, 0))
    for row in visible:
        top = int(row.absolute_coordinates.y - y)
        shade = (229, 233, 240) if row.index % 2 else (216, 222, 233)
        view.blit(curvix.create_rounded_rect_surface((int(row.size.x), 26), [5] * 4, shade),
                  (8, top))
        _label(view, font, "%s  (updated %d×)" % (row.name, row.update_count), (18, top + 5))
    view.blit(curvix.create_outlined_rounded_rect_sdf(LIST_SIZE, 10, 1.5, (76, 86, 106)), (0, 0))
    return len(visible), len(rows)


def draw(canvas: pygame.Surface, font: pygame.font.Font, top: int) -> int:
    _label(canvas, font, "Widgets through panelix: menu_draw_pygame, scrollable_recollide_items",
           (24, top))
    menu_at = (24, top + 28)
    bg = curvix.create_rounded_rect_surface(MENU_SIZE, [12] * 4, (46, 52, 64, 235))
    panelix.menu_draw_pygame(Menu(canvas, font, menu_at), bg)

    shown, total = _scrolled_list(canvas, font, (260, top + 28))
    _label(canvas, font, "menu with a layout", (menu_at[0] + 40, top + 34 + MENU_SIZE[1]))
    _label(canvas, font, "%d of %d rows intersect the view" % (shown, total),
           (290, top + 34 + LIST_SIZE[1]))
    return top + 60 + MENU_SIZE[1]


if __name__ == "__main__":
    import os
    import pathlib

    os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
    pygame.init()
    canvas = pygame.Surface((720, 260), pygame.SRCALPHA)
    canvas.fill(LIGHT)
    bottom = draw(canvas, pygame.font.Font(None, 22), 16)
    out = pathlib.Path(__file__).resolve().parent.parent / "demo-output" / "gallery_panelix.png"
    out.parent.mkdir(parents=True, exist_ok=True)
    pygame.image.save(canvas.subsurface((0, 0, 720, bottom)), str(out))
    print("written to %s" % out)
