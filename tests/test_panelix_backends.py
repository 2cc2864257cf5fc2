"""Menu drawing onto real pygame surfaces and through pygame's own SDL2
renderer (software rendering under the dummy video driver), read back as pixels."""

import numpy as np
import pygame
import pytest

from panelix_host import clean_host  # noqa: F401 (fixture)
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvspecific import panelix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.clang]

RED = (255, 0, 0, 255)
BLUE = (0, 0, 255, 255)
SCREEN = (30, 30, 30, 255)


class Paints(ZuvoCobject):
    """A layout that paints a blue square into the given surface when drawn."""

    def __init__(self, paint):
        super().__init__()
        self.paint = paint

    def draw(self):
        self.paint()


class Menu:
    pass


class ScreenRenderer:
    def __init__(self, screen):
        self.blit = screen.blit


def pygame_menu(layout_paints):
    menu = Menu()
    menu._surface = pygame.Surface((40, 30), pygame.SRCALPHA)
    menu._surface.fill((9, 9, 9, 255))  # stale content that the fill must clear
    screen = pygame.Surface((100, 80), pygame.SRCALPHA)
    screen.fill(SCREEN)
    menu._window = Menu()
    menu._window._renderer = ScreenRenderer(screen)
    menu._tuple_absolute_coordinates = (25, 15)
    menu._layout = Paints(lambda: menu._surface.fill(BLUE, (30, 20, 5, 5))) if layout_paints else None
    return menu, screen


@pytest.mark.parametrize("with_layout", [False, True])
def test_pygame_menu_on_real_surfaces(with_layout):
    menu, screen = pygame_menu(with_layout)
    # The background covers the left half; its right half is fully transparent.
    bg = pygame.Surface((20, 30), pygame.SRCALPHA)
    bg.fill(RED, (0, 0, 10, 30))
    panelix.menu_draw_pygame(menu, bg)
    surface = menu._surface
    assert surface.get_at((0, 0)) == RED and surface.get_at((9, 29)) == RED
    assert surface.get_at((10, 0)) == (0, 0, 0, 0)    # Blank where bg is transparent
    assert surface.get_at((39, 29)) == (0, 0, 0, 0)   # Blank beyond bg
    assert surface.get_at((32, 22)) == (BLUE if with_layout else (0, 0, 0, 0))
    # Onto the window at the menu's position; blank pixels leave the screen as it was.
    assert screen.get_at((25, 15)) == RED and screen.get_at((24, 15)) == SCREEN
    assert screen.get_at((34, 44)) == RED and screen.get_at((35, 15)) == SCREEN
    assert screen.get_at((57, 37)) == (BLUE if with_layout else SCREEN)


@pytest.fixture
def sdl(monkeypatch):
    video = pytest.importorskip("pygame._sdl2.video")
    pygame.display.init()
    window = video.Window("panelix", size=(64, 48))
    renderer = video.Renderer(window)
    if not hasattr(renderer, "to_surface"):
        pytest.skip("this pygame cannot read an SDL renderer back")
    monkeypatch.setattr(panelix.zuvo_state, "renderer", renderer)
    yield video, renderer
    window.destroy()


class WindowRenderer:
    """The window's side: pygame's Renderer.blit takes a destination Rect,
    the toolkit hands a position."""

    def __init__(self, renderer):
        self.renderer = renderer

    def blit(self, texture, position):
        self.renderer.blit(texture, pygame.Rect(position, texture.get_rect().size))


@pytest.mark.parametrize("with_layout", [False, True])
def test_sdl_menu_through_the_real_renderer(sdl, with_layout):
    video, renderer = sdl
    menu = Menu()
    menu._sdl_texture = video.Texture(renderer, (32, 16), target=True)
    # What the texture held before: green, kept when there is no layout to redraw it.
    renderer.target = menu._sdl_texture
    renderer.draw_color = (0, 255, 0, 255)
    renderer.clear()
    renderer.target = None
    menu.get_rect = lambda: pygame.Rect(0, 0, 32, 16)
    menu._window = Menu()
    menu._window._renderer = WindowRenderer(renderer)
    menu._tuple_absolute_coordinates = (4, 6)

    def paint():
        assert renderer.target is menu._sdl_texture
        renderer.draw_color = BLUE
        renderer.fill_rect(pygame.Rect(2, 2, 4, 4))

    menu._layout = Paints(paint) if with_layout else None
    red = pygame.Surface((32, 16))
    red.fill(RED)
    bg = video.Texture.from_surface(renderer, red)
    renderer.draw_color = (0, 0, 0, 255)
    renderer.clear()
    panelix.menu_draw_sdl(menu, bg)
    assert renderer.target is None
    pixels = renderer.to_surface()
    inside = RED if with_layout else (0, 255, 0, 255)
    assert pixels.get_at((4, 6)) == inside and pixels.get_at((35, 21)) == inside
    assert pixels.get_at((7, 9)) == (BLUE if with_layout else inside)
    assert pixels.get_at((3, 6)) == (0, 0, 0, 255) and pixels.get_at((36, 22)) == (0, 0, 0, 255)


def test_sdl_failure_gives_the_window_back_to_the_real_renderer(sdl):
    video, renderer = sdl
    menu = Menu()
    menu._sdl_texture = video.Texture(renderer, (8, 8), target=True)
    menu.get_rect = lambda: pygame.Rect(0, 0, 8, 8)

    def fail():
        raise ValueError("layout failed")

    menu._layout = Paints(fail)
    with pytest.raises(ValueError, match="layout failed"):
        panelix.menu_draw_sdl(menu, video.Texture(renderer, (8, 8)))
    assert renderer.target is None


def test_gallery_section_draws_the_menu_and_the_visible_rows():
    import pathlib
    import sys
    sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "examples"))
    try:
        import gallery_panelix
    finally:
        sys.path.pop(0)
    pygame.font.init()
    font = pygame.font.Font(None, 22)
    canvas = pygame.Surface((720, 400), pygame.SRCALPHA)
    canvas.fill((1, 2, 3, 255))
    top = 100
    bottom = gallery_panelix.draw(canvas, font, top)
    # The y returned lies below everything drawn, the menu included, and no
    # more than a line of text below the lowest row drawn.
    drawn = np.argwhere((pygame.surfarray.array3d(canvas) != (1, 2, 3)).any(axis=2))
    lowest = drawn[:, 1].max()
    assert drawn[:, 1].min() >= top
    assert top + gallery_panelix.MENU_SIZE[1] < lowest < bottom <= lowest + font.get_linesize()
    # The menu's background (46, 52, 64) at alpha 235 over the canvas, at (24, 128).
    pixel = canvas.get_at((30, 240))
    assert all(abs(a - b) <= 6 for a, b in zip(pixel[:3], (46, 52, 64)))
    assert canvas.get_at((30, 120)) == (1, 2, 3, 255)
