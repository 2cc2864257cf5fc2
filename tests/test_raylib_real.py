"""menu_draw_raylib drawing real pixels: the stand-in host drawing through
raylib (the PyPI package, OpenGL through Mesa) into render textures that are
read back, and the same menu drawn by the SDL and pygame back ends.

Needs a display: when DISPLAY is unset the module starts its own Xvfb.
Skipped with the reason when there is neither, or raylib cannot be imported,
unless ZUVO_REAL_RAYLIB=required (set by CI), which turns the skip into a failure.
"""

import os
import shutil
import subprocess

import numpy as np
import pygame
import pytest

from panelix_host import clean_host  # noqa: F401 (fixture)
from zuvo_standin import _raylib, real_raylib, recorder
from zuvo_ui.fast.raylib import zuvo_raylib
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvrect.zvrect import ZvRect
from zuvo_ui.fast.zvrendertex.zv_render_tex import ZvRenderTexture
from zuvo_ui.fast.zvspecific import panelix
from zuvo_ui.fast.zvvector2.zvvector2 import ZvVector2

pytestmark = [pytest.mark.pygame_ce, pytest.mark.clang]

SCREEN_SIZE, MENU_SIZE, MENU_AT = (100, 80), (40, 30), (25, 15)
SCREEN = (30, 30, 30, 255)
RED, GREEN, BLUE, YELLOW = (255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255), (255, 255, 0, 255)
BLANK = (0, 0, 0, 0)
SQUARE = (30, 20, 5, 5)  # what the layout paints, in the menu's coordinates


def unavailable(reason):
    if os.environ.get("ZUVO_REAL_RAYLIB") == "required":
        pytest.fail("raylib is required here but " + reason)
    pytest.skip(reason)


@pytest.fixture(scope="module")
def display():
    """A display for raylib's window: the one given, or an Xvfb of our own."""
    if os.environ.get("DISPLAY"):
        yield os.environ["DISPLAY"]
        return
    if not shutil.which("Xvfb"):
        unavailable("DISPLAY is not set and Xvfb is not installed")
    # Xvfb picks a free display number and writes it to the pipe.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "320x240x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        server.kill()
        server.wait()
        unavailable("Xvfb did not start")
    os.environ["DISPLAY"] = ":" + number
    try:
        yield os.environ["DISPLAY"]
    finally:
        del os.environ["DISPLAY"]
        server.terminate()
        server.wait(timeout=10)


@pytest.fixture(scope="module")
def rl(display):
    reason = real_raylib.unavailable()
    if reason:
        unavailable(reason)
    real_raylib.enable()
    from raylib import rl as lib
    yield lib
    # Closed before the display goes; the tests after this module only record.
    real_raylib.close()


def texture_filled(rl, size, color, name):
    texture = ZvRenderTexture(*size, name)
    zuvo_raylib.begin_texture_mode(texture)
    rl.ClearBackground(color)
    zuvo_raylib.end_texture_mode()
    return texture


def background(rl):
    """Opaque red left half with a green corner square, transparent right half."""
    bg = texture_filled(rl, MENU_SIZE, BLANK, "bg")
    zuvo_raylib.begin_texture_mode(bg)
    rl.DrawRectangle(0, 0, 20, 30, RED)
    rl.DrawRectangle(0, 0, 5, 5, GREEN)
    zuvo_raylib.end_texture_mode()
    return bg


class Paints(ZuvoCobject):
    """A layout whose draw runs `paint` (raylib calls through its CFFI module)."""

    def __init__(self, paint):
        super().__init__()
        self.paint = paint

    def _rl_predraw_widgets(self):
        pass

    def draw(self):
        self.paint()


class Menu:
    def __init__(self, surface, layout=None):
        self._surface = surface
        self.absolute_coordinates = ZvVector2(*MENU_AT)
        self._layout = layout


def frame(rl, menu, bg, screen):
    """One frame: the screen cleared, the menu drawn onto it; the screen's pixels."""
    zuvo_raylib.begin_texture_mode(screen)
    rl.ClearBackground(SCREEN)
    try:
        panelix.menu_draw_raylib(menu, bg)
    finally:
        zuvo_raylib.end_texture_mode()
    return real_raylib.read_texture(screen)


def at(pixels, x, y):
    return tuple(int(c) for c in pixels[y, x])


def blue_square(rl):
    return lambda: rl.DrawRectangle(*SQUARE, BLUE)


# --- the menu on real pixels ------------------------------------------------

@pytest.mark.parametrize("with_layout", [False, True])
def test_menu_is_drawn_into_its_texture_and_onto_the_target(rl, with_layout):
    screen = ZvRenderTexture(*SCREEN_SIZE, "screen")
    # Stale content of the menu's texture, which the blank clear must remove.
    menu = Menu(texture_filled(rl, MENU_SIZE, YELLOW, "menu"),
                Paints(blue_square(rl)) if with_layout else None)
    pixels = frame(rl, menu, background(rl), screen)

    inside = real_raylib.read_texture(menu._surface)
    assert at(inside, 0, 0) == GREEN and at(inside, 5, 5) == RED and at(inside, 19, 29) == RED
    assert at(inside, 20, 0) == BLANK and at(inside, 39, 29) == BLANK
    assert at(inside, 32, 22) == (BLUE if with_layout else BLANK)
    # Upright at the menu's position; blank pixels leave the screen as it was.
    x, y = MENU_AT
    assert at(pixels, x, y) == GREEN and at(pixels, x + 5, y + 5) == RED
    assert at(pixels, x + 19, y + 29) == RED and at(pixels, x + 20, y) == SCREEN
    assert at(pixels, x - 1, y) == SCREEN and at(pixels, x, y - 1) == SCREEN
    assert at(pixels, x, y + 30) == SCREEN
    assert at(pixels, x + 32, y + 22) == (BLUE if with_layout else SCREEN)
    changed = np.argwhere((pixels != SCREEN).any(axis=2))
    assert changed.min(axis=0).tolist() == [y, x]
    assert changed.max(axis=0).tolist() == ([y + 29, x + 34] if with_layout else [y + 29, x + 19])
    assert zuvo_raylib.texture_stack() == [] and zuvo_raylib.blend_stack() == []


def test_menu_composites_premultiplied_alpha(rl):
    """Half-covered pixels go through blend mode 5: the menu's colour plus the
    screen's times one minus the menu's alpha, not an alpha blend."""
    bg = texture_filled(rl, MENU_SIZE, BLANK, "bg")
    zuvo_raylib.begin_texture_mode(bg)
    zuvo_raylib.begin_blend_mode(rl.BLEND_ALPHA_PREMULTIPLY)
    rl.DrawRectangle(0, 0, 10, 10, (100, 0, 0, 128))  # premultiplied: red 100 at alpha 128
    zuvo_raylib.end_blend_mode()
    zuvo_raylib.end_texture_mode()
    menu = Menu(ZvRenderTexture(*MENU_SIZE, "menu"))
    pixels = frame(rl, menu, bg, ZvRenderTexture(*SCREEN_SIZE, "screen"))
    assert at(real_raylib.read_texture(menu._surface), 3, 3) == (100, 0, 0, 128)
    keep = 1 - 128 / 255
    expected = (100 + 30 * keep, 30 * keep, 30 * keep, 255)
    assert np.abs(pixels[MENU_AT[1] + 3, MENU_AT[0] + 3] - np.array(expected)).max() <= 1


def test_layout_draws_into_the_menus_texture_in_its_coordinates(rl):
    seen = []
    screen = ZvRenderTexture(*SCREEN_SIZE, "screen")
    menu = Menu(ZvRenderTexture(*MENU_SIZE, "menu"))

    def paint():
        seen.append((zuvo_raylib.texture_stack(), zuvo_raylib.blend_stack()))
        rl.DrawRectangle(0, 0, 1, 1, BLUE)

    menu._layout = Paints(paint)
    pixels = frame(rl, menu, background(rl), screen)
    assert seen == [([screen, menu._surface], [rl.BLEND_ALPHA_PREMULTIPLY])]
    assert at(pixels, *MENU_AT) == BLUE and at(pixels, 0, 0) == SCREEN


@pytest.mark.parametrize("failure", ["layout draw", "background blit", "final blit"])
def test_failure_mid_draw_ends_the_modes_and_the_next_frame_draws(rl, failure):
    screen = ZvRenderTexture(*SCREEN_SIZE, "screen")
    bg = background(rl)
    error = ValueError("failed mid-draw")

    def paint_then_fail():
        rl.DrawRectangle(*SQUARE, BLUE)
        raise error

    menu = Menu(ZvRenderTexture(*MENU_SIZE, "menu"),
                Paints(paint_then_fail if failure == "layout draw" else blue_square(rl)))
    if failure != "layout draw":
        recorder.fail_on("c_fast_zvblit", error, skip=0 if failure == "background blit" else 1)
    zuvo_raylib.begin_texture_mode(screen)
    rl.ClearBackground(SCREEN)
    with pytest.raises(ValueError) as info:
        panelix.menu_draw_raylib(menu, bg)
    assert info.value is error
    # Back on the screen's texture in the default blend mode: a draw now lands there.
    assert zuvo_raylib.texture_stack() == [screen] and zuvo_raylib.blend_stack() == []
    rl.DrawRectangle(0, 0, 3, 3, YELLOW)
    zuvo_raylib.end_texture_mode()
    pixels = real_raylib.read_texture(screen)
    assert at(pixels, 0, 0) == YELLOW and at(pixels, 2, 2) == YELLOW
    assert (pixels[3:, 3:] == SCREEN).all()  # the menu never reached the screen
    inside = real_raylib.read_texture(menu._surface)
    assert at(inside, 0, 0) == (BLANK if failure == "background blit" else GREEN)

    menu._layout = Paints(blue_square(rl))
    pixels = frame(rl, menu, bg, screen)
    x, y = MENU_AT
    assert at(pixels, 0, 0) == SCREEN and at(pixels, x, y) == GREEN
    assert at(pixels, x + 10, y + 10) == RED and at(pixels, x + 32, y + 22) == BLUE


# --- the stand-in's raylib machinery --------------------------------------------

def test_render_textures_are_loaded_with_a_size_and_unloaded_with_the_object(rl):
    before = _raylib.texture_count()
    texture = ZvRenderTexture(16, 8, "owned")
    fields = _raylib.texture(texture)
    assert fields is not None and fields[1:3] == (16, 8) and fields[0] > 0
    assert _raylib.texture_count() == before + 1
    assert _raylib.texture(ZvRenderTexture()) is None  # no size, no render texture
    del texture
    assert _raylib.texture_count() == before


def test_blit_flags_flip_and_blend(rl):
    source = texture_filled(rl, (4, 4), BLANK, "source")
    zuvo_raylib.begin_texture_mode(source)
    zuvo_raylib.begin_blend_mode(rl.BLEND_ALPHA_PREMULTIPLY)
    rl.DrawRectangle(0, 0, 4, 1, RED)  # top row red
    rl.DrawRectangle(0, 1, 4, 3, (0, 0, 100, 100))  # premultiplied translucent blue
    zuvo_raylib.end_blend_mode()
    zuvo_raylib.end_texture_mode()
    target = texture_filled(rl, (12, 4), (0, 200, 0, 255), "target")
    white = ZvRect(255, 255, 255, 255)
    zuvo_raylib.begin_texture_mode(target)
    target.c_fast_zvblit(source, ZvVector2(0, 0), 5, 1, white)   # upright, premultiplied
    target.c_fast_zvblit(source, ZvVector2(4, 0), 5, 0, white)   # rows as stored: upside down
    target.c_fast_zvblit(source, ZvVector2(8, 0), -1, 1, white)  # blend mode in force: alpha
    zuvo_raylib.end_texture_mode()
    pixels = real_raylib.read_texture(target)
    assert at(pixels, 0, 0) == RED and at(pixels, 4, 3) == RED and at(pixels, 8, 0) == RED
    keep = 1 - 100 / 255
    # Blend mode 5: the source's colour plus the target's times one minus its alpha.
    assert np.abs(pixels[2, 1] - np.array((0, 200 * keep, 100, 255))).max() <= 1
    # -1 keeps raylib's default alpha blend: the source's colour scaled by its alpha.
    assert np.abs(pixels[2, 9, :3] - np.array((0, 200 * keep, 100 * 100 / 255))).max() <= 1


def test_nested_texture_modes_give_raylib_the_outer_target_back(rl):
    outer = texture_filled(rl, (4, 4), BLANK, "outer")
    inner = texture_filled(rl, (4, 4), BLANK, "inner")
    zuvo_raylib.begin_texture_mode(outer)
    zuvo_raylib.begin_texture_mode(inner)
    rl.DrawRectangle(0, 0, 4, 4, RED)
    zuvo_raylib.end_texture_mode()
    rl.DrawRectangle(0, 0, 2, 2, GREEN)
    zuvo_raylib.end_texture_mode()
    assert at(real_raylib.read_texture(inner), 1, 1) == RED
    outer_pixels = real_raylib.read_texture(outer)
    assert at(outer_pixels, 1, 1) == GREEN and at(outer_pixels, 3, 3) == BLANK


def test_a_texture_going_mid_frame_leaves_the_target_in_place(rl):
    """raylib's LoadRenderTexture and UnloadRenderTexture bind the window: a
    texture made and collected while another is the target must neither lose
    the draws batched so far nor send the next ones to the window."""
    target = texture_filled(rl, (4, 4), BLANK, "target")
    zuvo_raylib.begin_texture_mode(target)
    rl.DrawRectangle(0, 0, 2, 4, RED)
    ZvRenderTexture(8, 8, "gone at once")
    rl.DrawRectangle(2, 0, 2, 4, GREEN)
    zuvo_raylib.end_texture_mode()
    pixels = real_raylib.read_texture(target)
    assert at(pixels, 0, 3) == RED and at(pixels, 3, 0) == GREEN


def test_disabled_raylib_records_without_drawing(rl):
    target = texture_filled(rl, (4, 4), BLUE, "target")
    real_raylib.disable()
    try:
        zuvo_raylib.begin_texture_mode(target)
        zuvo_raylib.clear_background_blank()
        zuvo_raylib.end_texture_mode()
    finally:
        real_raylib.enable()
    assert recorder.names()[-3:] == ["begin_texture_mode", "c_clear_background_blank",
                                     "end_texture_mode"]
    assert at(real_raylib.read_texture(target), 0, 0) == BLUE


# --- the same menu drawn by every back end ------------------------------------------

def raylib_menu_pixels(rl):
    menu = Menu(ZvRenderTexture(*MENU_SIZE, "menu"), Paints(blue_square(rl)))
    bg = texture_filled(rl, MENU_SIZE, RED, "bg")
    zuvo_raylib.begin_texture_mode(bg)
    rl.DrawRectangle(0, 0, 5, 5, GREEN)
    zuvo_raylib.end_texture_mode()
    return frame(rl, menu, bg, ZvRenderTexture(*SCREEN_SIZE, "screen"))


def pygame_background():
    bg = pygame.Surface(MENU_SIZE, pygame.SRCALPHA)
    bg.fill(RED)
    bg.fill(GREEN, (0, 0, 5, 5))
    return bg


class Blits:
    def __init__(self, blit):
        self.blit = blit


def pygame_menu_pixels():
    screen = pygame.Surface(SCREEN_SIZE, pygame.SRCALPHA)
    screen.fill(SCREEN)
    menu = Menu(pygame.Surface(MENU_SIZE, pygame.SRCALPHA))
    menu._layout = Paints(lambda: menu._surface.fill(BLUE, SQUARE))
    menu._window = Menu(None)
    menu._window._renderer = Blits(screen.blit)
    menu._tuple_absolute_coordinates = MENU_AT
    panelix.menu_draw_pygame(menu, pygame_background())
    return pygame.surfarray.pixels3d(screen).swapaxes(0, 1), screen


def sdl_menu_pixels(monkeypatch):
    video = pytest.importorskip("pygame._sdl2.video")
    pygame.display.init()
    window = video.Window("menu", size=SCREEN_SIZE)
    try:
        renderer = video.Renderer(window)
        if not hasattr(renderer, "to_surface"):
            pytest.skip("this pygame cannot read an SDL renderer back")
        monkeypatch.setattr(panelix.zuvo_state, "renderer", renderer)
        menu = Menu(None)
        menu._sdl_texture = video.Texture(renderer, MENU_SIZE, target=True)
        menu.get_rect = lambda: pygame.Rect((0, 0), MENU_SIZE)

        def paint():
            renderer.draw_color = BLUE
            renderer.fill_rect(pygame.Rect(SQUARE))

        menu._layout = Paints(paint)
        menu._window = Menu(None)
        menu._window._renderer = Blits(
            lambda texture, where: renderer.blit(texture, pygame.Rect(where, MENU_SIZE)))
        menu._tuple_absolute_coordinates = MENU_AT
        bg = video.Texture.from_surface(renderer, pygame_background())
        renderer.draw_color = SCREEN
        renderer.clear()
        panelix.menu_draw_sdl(menu, bg)
        surface = renderer.to_surface()
        return pygame.surfarray.array3d(surface).swapaxes(0, 1)
    finally:
        window.destroy()


def test_the_same_menu_looks_the_same_on_every_back_end(rl, monkeypatch):
    drawn_by_raylib = raylib_menu_pixels(rl)[:, :, :3]
    drawn_by_pygame, _ = pygame_menu_pixels()
    drawn_by_sdl = sdl_menu_pixels(monkeypatch)
    x, y = MENU_AT
    for pixels in (drawn_by_raylib, drawn_by_pygame, drawn_by_sdl):
        assert tuple(pixels[y, x]) == GREEN[:3] and tuple(pixels[y + 29, x + 39]) == RED[:3]
        assert tuple(pixels[y + 22, x + 32]) == BLUE[:3] and tuple(pixels[y, x - 1]) == SCREEN[:3]
    assert (drawn_by_raylib == drawn_by_pygame).all()
    assert (drawn_by_raylib == drawn_by_sdl).all()


def test_gallery_shows_the_same_menu_by_every_back_end(rl):
    import pathlib
    import sys
    sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "examples"))
    try:
        import gallery_panelix
    finally:
        sys.path.pop(0)
    assert gallery_panelix.every_back_end_unavailable() is None
    pygame.font.init()
    canvas = pygame.Surface((720, 500), pygame.SRCALPHA)
    canvas.fill((236, 239, 244))
    bottom = gallery_panelix.draw(canvas, pygame.font.Font(None, 22), 10, every_back_end=True)
    assert real_raylib.active()  # the window the tests opened is left open
    pixels = pygame.surfarray.array3d(canvas).swapaxes(0, 1).astype(int)
    w, h = gallery_panelix.MENU_SIZE
    menus = [pixels[38:38 + h, x:x + w] for x in (24, 256, 488)]
    background = np.array((236, 239, 244))
    for menu in menus:
        assert (np.abs(menu[6, 6] - (61, 67, 78)) <= 2).all()  # the panel, over the page
        assert (menu[0, 0] == background).all()  # outside the rounded corner
    # Blending rounds a few levels differently (most at text edges); a piece
    # missing or misplaced would differ by a hundred or more.
    for drawn in menus[:2]:
        assert np.abs(drawn - menus[2]).max() <= 8
    assert bottom > 38 + h + gallery_panelix.LIST_SIZE[1]
