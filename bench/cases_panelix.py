"""Benchmark cases of panelix against the same steps written in Python, over
the same stand-in host objects.

The stand-in host records every native call it receives (a Python call into
zuvo_standin.recorder), on both sides alike; each timed call clears that
record so that it does not grow across the run.
"""

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
    """menu_draw_raylib's steps in Python.  The stand-in's blit is reachable only
    from native code; its whole work is checking its arguments and recording the
    call, so the Python side records the same call directly."""
    texture = menu._surface
    position = menu.absolute_coordinates
    layout = menu._layout
    if layout is not None:
        layout._rl_predraw_widgets()
    zuvo_raylib.begin_texture_mode(texture)
    zuvo_raylib.clear_background_blank()
    zuvo_raylib.begin_blend_mode(BLEND_ALPHA_PREMULTIPLY)
    recorder.record("c_fast_zvblit", texture, bg, ZvVector2(0.0, 0.0), -1, 1, WHITE)
    if layout is not None:
        layout.draw()
    zuvo_raylib.end_blend_mode()
    zuvo_raylib.end_texture_mode()
    recorder.record("c_fast_zvblit", texture, texture, position, BLEND_ALPHA_PREMULTIPLY, 1,
                    WHITE)


def cleared(fn, *args):
    def run():
        recorder.calls.clear()
        fn(*args)
    return run


def _ignore(*args):
    return None


def unrecorded(fn, *args):
    """`fn` with the stand-in's call recording replaced by a function that does
    nothing, for both sides: what is left is closer to a real host's cost."""
    def run():
        record, recorder.record = recorder.record, _ignore
        try:
            fn(*args)
        finally:
            recorder.record = record
    return run


def cases():
    container = ZuvoCobject(0, 0, 800, 600)
    container.scroll = ZvVector2(0, 250)
    items = [ZuvoCobject(0, 30 * i, 780, 28) for i in range(CHILDREN)]
    # The two sides must do the same thing: same children collide.
    if panelix.scrollable_recollide_items(container, items) != recollide_in_python(container, items):
        raise AssertionError("the Python loop disagrees with scrollable_recollide_items")
    menu, bg = Menu(), ZvRenderTexture(320, 240, "bg")
    zuvo_raylib.reset()
    return [
        Case("scrollable_recollide_items, %d children" % CHILDREN,
             cleared(panelix.scrollable_recollide_items, container, items),
             cleared(recollide_in_python, container, items), "the same loop in Python",
             target=0.1),
        Case("menu_draw_raylib with a layout",
             cleared(panelix.menu_draw_raylib, menu, bg), cleared(menu_draw_in_python, menu, bg),
             "the same steps in Python", target=0.33),
        Case("scrollable_recollide_items, %d children, host recording off" % CHILDREN,
             unrecorded(panelix.scrollable_recollide_items, container, items),
             unrecorded(recollide_in_python, container, items), "the same loop in Python"),
        Case("menu_draw_raylib with a layout, host recording off",
             unrecorded(panelix.menu_draw_raylib, menu, bg),
             unrecorded(menu_draw_in_python, menu, bg), "the same steps in Python"),
    ]
