"""Benchmark cases of panelix against the same steps written in Python, over
the same stand-in host objects.

The stand-in host records every native call it receives, for the tests.  The
cases with targets run with that recording switched off, so that the host
costs what a real one does; the same cases with recording on are reported
too (each timed call then clears the record so that it does not grow).
"""

import contextlib
import functools

from harness import Case
from zuvo_standin import recorder
from zuvo_ui.fast.logic.fast_logic import get_item_abs_coords
from zuvo_ui.fast.raylib import zuvo_raylib
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvrect.zvrect import ZvRect
from zuvo_ui.fast.zvrendertex.zv_render_tex import ZvRenderTexture
from zuvo_ui.fast.zvspecific import panelix
from zuvo_ui.fast.zvvector2.zvvector2 import ZvVector2

CHILDREN = 10_000
BLEND_ALPHA_PREMULTIPLY = 5
WHITE = ZvRect(255, 255, 255, 255)


def recollide_in_python(container, items):
    """scrollable_recollide_items as the toolkit's Python would write it."""
    layout = container.get_zvrect()
    position = container.absolute_coordinates
    position.x, position.y = layout.x, layout.y
    right, bottom = layout.x + layout.w, layout.y + layout.h
    collided = []
    for item in items:
        item.absolute_coordinates = get_item_abs_coords(container, item)
        rect = item.get_zvrect()
        if (rect.x < right and rect.x + rect.w > layout.x and rect.y < bottom
                and rect.y + rect.h > layout.y):
            collided.append(item)
    return collided


class Layout(ZuvoCobject):
    def _rl_predraw_widgets(self):
        pass


class Menu:
    def __init__(self):
        self._surface = ZvRenderTexture(320, 240, "menu")
        self.absolute_coordinates = ZvVector2(12, 34)
        self._layout = Layout(0, 0, 320, 240)


def menu_draw_in_python(menu, bg):
    """menu_draw_raylib's steps in Python, with the render texture's blit
    called through its Python method."""
    texture = menu._surface
    position = menu.absolute_coordinates
    layout = menu._layout
    if layout is not None:
        layout._rl_predraw_widgets()
    zuvo_raylib.begin_texture_mode(texture)
    zuvo_raylib.clear_background_blank()
    zuvo_raylib.begin_blend_mode(BLEND_ALPHA_PREMULTIPLY)
    texture.c_fast_zvblit(bg, ZvVector2(0.0, 0.0), -1, 1, WHITE)
    if layout is not None:
        layout.draw()
    zuvo_raylib.end_blend_mode()
    zuvo_raylib.end_texture_mode()
    texture.c_fast_zvblit(texture, position, BLEND_ALPHA_PREMULTIPLY, 1, WHITE)


def recorded(fn, *args):
    """`fn` with the stand-in's call recording on, the record cleared first."""
    def run():
        recorder.clear()
        fn(*args)
    return run


@contextlib.contextmanager
def recording_off():
    recorder.set_recording(False)
    try:
        yield
    finally:
        recorder.clear()


def scrolled_container():
    """A container scrolled down by 250 and its children, about 20 of them in view."""
    container = ZuvoCobject(0, 0, 800, 600)
    container.scroll = ZvVector2(0, 250)
    return container, [ZuvoCobject(0, 30 * i, 780, 28) for i in range(CHILDREN)]


def cases():
    container, items = scrolled_container()
    # The two sides must do the same thing: same children collide, same calls.
    recorder.clear()
    if panelix.scrollable_recollide_items(container, items) != recollide_in_python(container, items):
        raise AssertionError("the Python loop disagrees with scrollable_recollide_items")
    menu, bg = Menu(), ZvRenderTexture(320, 240, "bg")
    zuvo_raylib.reset()
    recorder.clear()
    panelix.menu_draw_raylib(menu, bg)
    native_calls = repr(recorder.calls)  # vectors and rectangles compare by value here
    recorder.clear()
    menu_draw_in_python(menu, bg)
    if repr(recorder.calls) != native_calls:
        raise AssertionError("the Python steps disagree with menu_draw_raylib")
    recorder.clear()
    return [
        Case("scrollable_recollide_items, %d children" % CHILDREN,
             functools.partial(panelix.scrollable_recollide_items, container, items),
             functools.partial(recollide_in_python, container, items), "the same loop in Python",
             target=0.1, context=recording_off),
        Case("menu_draw_raylib with a layout",
             functools.partial(panelix.menu_draw_raylib, menu, bg),
             functools.partial(menu_draw_in_python, menu, bg), "the same steps in Python",
             target=0.33, context=recording_off),
        Case("scrollable_recollide_items, %d children, host recording on" % CHILDREN,
             recorded(panelix.scrollable_recollide_items, container, items),
             recorded(recollide_in_python, container, items), "the same loop in Python"),
        Case("menu_draw_raylib with a layout, host recording on",
             recorded(panelix.menu_draw_raylib, menu, bg),
             recorded(menu_draw_in_python, menu, bg), "the same steps in Python"),
    ]
