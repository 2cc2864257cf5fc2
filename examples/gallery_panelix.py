"""Gallery section: a menu and a scrolled list drawn through panelix, on the
pygame back end of the stand-in host toolkit; with every back end (raylib
through the stand-in's real raylib mode, SDL through pygame's renderer, and
pygame), the same menu three times side by side.

`draw(canvas, font, top, every_back_end=False)` renders the section and
returns the y below it.
"""

from collections.abc import Callable
from typing import Any

import numpy as np
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


# Pictures (pygame surfaces, or a back end's textures of them) and where they go.
Pieces = list[tuple[Any, tuple[int, int]]]


def menu_pieces(font: pygame.font.Font, selected: int = 3) -> Pieces:
    """What the menu's layout draws, in order, at positions inside the menu."""
    pieces: Pieces = []
    for i, entry in enumerate(ENTRIES):
        y = 12 + i * 27
        if i == selected:
            pieces.append((curvix.create_rounded_rect_surface((176, 24), [6] * 4, ACCENT),
                           (12, y - 4)))
        pieces.append((font.render(entry, True, LIGHT), (24, y)))
    return pieces


def menu_background() -> pygame.Surface:
    return curvix.create_rounded_rect_surface(MENU_SIZE, [12] * 4, (46, 52, 64, 235))


class MenuLayout(ZuvoCobject):  # type: ignore[misc]  # the host's type is untyped
    """The menu's layout: panelix calls its draw through the widget method table;
    `paint` puts one piece where it belongs with the back end's own call."""

    def __init__(self, paint: Callable[[Any, tuple[int, int]], object], pieces: Pieces) -> None:
        super().__init__(0, 0, *MENU_SIZE)
        self.paint, self.pieces = paint, pieces

    def _rl_predraw_widgets(self) -> None:
        """Called by menu_draw_raylib before drawing; nothing to prepare here."""

    def draw(self) -> None:
        for surface, position in self.pieces:
            self.paint(surface, position)


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
        self._layout = MenuLayout(self._surface.blit, menu_pieces(font))
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


def every_back_end_unavailable() -> str | None:
    """Why the menu cannot be drawn by all three back ends here, or None."""
    try:
        from zuvo_standin import real_raylib  # type: ignore[import-untyped]
        import pygame._sdl2.video  # noqa: F401
    except ImportError as exc:
        return str(exc)
    reason: str | None = real_raylib.unavailable()
    return reason


def _raylib_texture(surface: pygame.Surface) -> Any:
    """A raylib texture of `surface` with premultiplied alpha, as raylib's
    blend mode 5 (which menu_draw_raylib draws in) expects."""
    from raylib import ffi, rl
    w, h = surface.get_size()
    rgba = np.frombuffer(pygame.image.tobytes(surface, "RGBA"), np.uint8).reshape(h, w, 4)
    wide = rgba.astype(np.uint32)
    wide[..., :3] = (wide[..., :3] * wide[..., 3:] + 127) // 255
    pixels = ffi.new("unsigned char[]", wide.astype(np.uint8).tobytes())
    image = ffi.new("Image *", [pixels, w, h, 1, rl.PIXELFORMAT_UNCOMPRESSED_R8G8B8A8])[0]
    return rl.LoadTextureFromImage(image)


def _menu_through_raylib(font: pygame.font.Font, backdrop: tuple[int, int, int]) -> pygame.Surface:
    """The menu drawn by menu_draw_raylib onto a render texture filled with
    `backdrop`, read back."""
    from raylib import rl
    from zuvo_standin import real_raylib
    from zuvo_ui.fast.raylib import zuvo_raylib
    from zuvo_ui.fast.zvrendertex.zv_render_tex import ZvRenderTexture

    opened = not real_raylib.active()
    real_raylib.enable()
    pieces = [(_raylib_texture(surface), at) for surface, at in menu_pieces(font)]
    background = _raylib_texture(menu_background())
    white = (255, 255, 255, 255)
    try:
        bg, screen = ZvRenderTexture(*MENU_SIZE, "bg"), ZvRenderTexture(*MENU_SIZE, "screen")
        zuvo_raylib.begin_texture_mode(bg)
        zuvo_raylib.clear_background_blank()
        zuvo_raylib.begin_blend_mode(rl.BLEND_ALPHA_PREMULTIPLY)
        rl.DrawTexture(background, 0, 0, white)
        zuvo_raylib.end_blend_mode()
        zuvo_raylib.end_texture_mode()

        menu = _RaylibMenu(MenuLayout(lambda texture, at: rl.DrawTexture(texture, *at, white),
                                      pieces))
        zuvo_raylib.begin_texture_mode(screen)
        rl.ClearBackground((*backdrop, 255))
        try:
            panelix.menu_draw_raylib(menu, bg)
        finally:
            zuvo_raylib.end_texture_mode()
        rows = real_raylib.read_texture(screen)
    finally:
        for texture, _ in pieces:
            rl.UnloadTexture(texture)
        rl.UnloadTexture(background)
        if opened:
            real_raylib.close()
    return pygame.image.frombuffer(rows.tobytes(), MENU_SIZE, "RGBA").copy()


class _RaylibMenu:
    """The attributes menu_draw_raylib reads from a toolkit menu."""

    def __init__(self, layout: MenuLayout) -> None:
        from zuvo_ui.fast.zvrendertex.zv_render_tex import ZvRenderTexture
        self._surface = ZvRenderTexture(*MENU_SIZE, "menu")
        self.absolute_coordinates = ZvVector2(0, 0)
        self._layout = layout


class _SdlMenu:
    """The attributes menu_draw_sdl reads from a toolkit menu; its window is
    the render target texture `screen`, which can be read back."""

    def __init__(self, renderer: Any, screen: Any, layout: MenuLayout) -> None:
        from pygame._sdl2 import video
        self._sdl_texture = video.Texture(renderer, MENU_SIZE, target=True)
        self._sdl_texture.blend_mode = pygame.BLENDMODE_BLEND
        renderer.target = self._sdl_texture
        renderer.draw_color = (0, 0, 0, 0)
        renderer.clear()
        renderer.target = None
        self._layout = layout
        self._window = _SdlWindow(renderer, screen)
        self._tuple_absolute_coordinates = (0, 0)

    def get_rect(self) -> pygame.Rect:
        return pygame.Rect((0, 0), MENU_SIZE)


class _SdlWindow:
    """A window whose renderer blits onto the texture `screen`."""

    def __init__(self, renderer: Any, screen: Any) -> None:
        self._renderer = self
        self.renderer, self.screen = renderer, screen

    def blit(self, texture: Any, position: tuple[int, int]) -> None:
        self.renderer.target = self.screen
        self.renderer.blit(texture, pygame.Rect(position, MENU_SIZE))
        self.renderer.target = None


def _menu_through_sdl(font: pygame.font.Font, backdrop: tuple[int, int, int]) -> pygame.Surface:
    """The menu drawn by menu_draw_sdl with pygame's SDL renderer onto a
    target texture filled with `backdrop`, read back."""
    from pygame._sdl2 import video
    from zuvo_ui.core.state import zuvo_state

    window = video.Window("zuvo_ui menu", size=MENU_SIZE, hidden=True)
    previous = zuvo_state.renderer
    try:
        renderer = zuvo_state.renderer = video.Renderer(window, target_texture=True)
        pieces = [(video.Texture.from_surface(renderer, surface), at)
                  for surface, at in menu_pieces(font)]
        for texture, _ in pieces:
            texture.blend_mode = pygame.BLENDMODE_BLEND
        # Copied into the blank menu texture, as pygame's blit onto a blank surface does.
        bg = video.Texture.from_surface(renderer, menu_background())
        bg.blend_mode = pygame.BLENDMODE_NONE
        screen = video.Texture(renderer, MENU_SIZE, target=True)
        renderer.target = screen
        renderer.draw_color = (*backdrop, 255)
        renderer.clear()
        renderer.target = None
        layout = MenuLayout(lambda texture, at: renderer.blit(
            texture, pygame.Rect(at, texture.get_rect().size)), pieces)
        panelix.menu_draw_sdl(_SdlMenu(renderer, screen, layout), bg)
        renderer.target = screen
        picture: pygame.Surface = renderer.to_surface()
        renderer.target = None
        return picture
    finally:
        zuvo_state.renderer = previous
        window.destroy()


def _menu_through_pygame(font: pygame.font.Font, backdrop: tuple[int, int, int]) -> pygame.Surface:
    screen = pygame.Surface(MENU_SIZE, pygame.SRCALPHA)
    screen.fill(backdrop)
    panelix.menu_draw_pygame(Menu(screen, font, (0, 0)), menu_background())
    return screen


BACK_ENDS = [("raylib", _menu_through_raylib), ("SDL renderer", _menu_through_sdl),
             ("pygame", _menu_through_pygame)]


def draw_every_back_end(canvas: pygame.Surface, font: pygame.font.Font, top: int) -> int:
    """The same menu by each back end side by side, then the scrolled list."""
    _label(canvas, font, "One menu, three back ends: menu_draw_raylib, menu_draw_sdl, "
           "menu_draw_pygame", (24, top))
    under = canvas.get_at((24, top + 28))
    backdrop = (under.r, under.g, under.b)
    for i, (name, draw_menu) in enumerate(BACK_ENDS):
        x = 24 + i * 232
        canvas.blit(draw_menu(font, backdrop), (x, top + 28))
        _label(canvas, font, name, (x + 60, top + 34 + MENU_SIZE[1]))
    top += 60 + MENU_SIZE[1]
    _label(canvas, font, "A scrolled list: scrollable_recollide_items", (24, top))
    shown, total = _scrolled_list(canvas, font, (24, top + 28))
    _label(canvas, font, "%d of %d rows intersect the view" % (shown, total),
           (54, top + 34 + LIST_SIZE[1]))
    return top + 60 + LIST_SIZE[1]


def draw(canvas: pygame.Surface, font: pygame.font.Font, top: int,
         every_back_end: bool = False) -> int:
    """With `every_back_end`, and raylib and a display at hand, the menu by
    all three back ends; otherwise by pygame, beside the scrolled list."""
    if every_back_end and every_back_end_unavailable() is None:
        return draw_every_back_end(canvas, font, top)
    _label(canvas, font, "Widgets through panelix: menu_draw_pygame, scrollable_recollide_items",
           (24, top))
    menu_at = (24, top + 28)
    panelix.menu_draw_pygame(Menu(canvas, font, menu_at), menu_background())

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
