"""panelix under hostile input and repetition: exceptions or defined results,
never a crash; no growth of memory or reference counts over 100,000 calls."""

import gc
import io
import os
import sys
import tracemalloc
import types

import pygame
import pytest
from hypothesis import given, settings, strategies as st
from panelix_host import clean_host  # noqa: F401 (fixture)

from zuvo_standin import recorder
from zuvo_ui.fast.raylib import zuvo_raylib
from zuvo_ui.fast.zvrendertex.zv_render_tex import ZvRenderTexture
from zuvo_ui.fast.zvspecific import panelix
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvrect.zvrect import ZvRect
from zuvo_ui.fast.zvvector2.zvvector2 import ZvVector2

RUNS = 100_000
UNDER_ASAN = "libasan" in os.environ.get("LD_PRELOAD", "")


class Boom(Exception):
    pass


class RaisingRect(ZuvoCobject):
    def get_zvrect(self):
        raise Boom("rect")


class WrongRect(ZuvoCobject):
    def get_zvrect(self):
        return (1, 2, 3, 4)


class Shrinker(ZuvoCobject):
    """Empties the list it belongs to when asked for its rectangle or update."""

    owner = None

    def get_zvrect(self):
        if self.owner is not None:
            self.owner.clear()
        return ZvRect(0, 0, 5, 5)

    def update(self):
        if self.owner is not None:
            self.owner.clear()


class Grower(ZuvoCobject):
    owner = None

    def get_zvrect(self):
        if self.owner is not None and len(self.owner) < 50:
            self.owner.append(Grower(0, 0, 1, 1))
        return ZvRect(0, 0, 5, 5)


class ListSub(list):
    pass


def hostile_items():
    container = ZuvoCobject(0, 0, 100, 100)
    plain = [ZuvoCobject(i * 30, 10, 20, 20) for i in range(5)]
    shrinking = [Shrinker(0, 0, 5, 5) for _ in range(6)]
    for s in shrinking:
        s.owner = shrinking
    growing = [Grower(0, 0, 5, 5)]
    growing[0].owner = growing
    return container, [
        plain, [], shrinking, growing, plain + [None], plain + [object()], [RaisingRect(0, 0, 1, 1)],
        [WrongRect(0, 0, 1, 1)], (ZuvoCobject(0, 0, 1, 1),), ListSub(plain), None, 5, "abc",
        [container], [ZvRect(0, 0, 1, 1)],
    ]


CONTAINER, ITEM_LISTS = hostile_items()
SELVES = [CONTAINER, ZuvoCobject(float("nan"), 0, 10, 10), None, object(), ZvRect(0, 0, 1, 1),
          RaisingRect(0, 0, 10, 10)]


def attempt(fn, *args):
    try:
        return fn(*args)
    except Exception:  # noqa: BLE001 - any exception is an acceptable outcome here
        return None


@settings(max_examples=300, deadline=None)
@given(self_=st.sampled_from(SELVES), items=st.sampled_from(ITEM_LISTS))
def test_recollide_survives_hostile_lists(self_, items):
    if isinstance(items, list):
        items = type(items)(items)  # a fresh copy: shrinking lists empty themselves
        for child in items:
            if isinstance(child, (Shrinker, Grower)):
                child.owner = items
    result = attempt(panelix.scrollable_recollide_items, self_, items)
    assert result is None or (type(result) is list and all(isinstance(c, ZuvoCobject) for c in result))


@settings(max_examples=200, deadline=None)
@given(items=st.sampled_from(ITEM_LISTS))
def test_update_collided_survives_hostile_lists(items):
    if isinstance(items, list):
        items = type(items)(items)
        for child in items:
            if isinstance(child, (Shrinker, Grower)):
                child.owner = items
    hook, sys.unraisablehook = sys.unraisablehook, lambda unraisable: None
    stderr, sys.stderr = sys.stderr, io.StringIO()
    try:
        assert attempt(panelix.scrollable_update_collided, items) is None
    finally:
        sys.unraisablehook, sys.stderr = hook, stderr


class Menu:
    """A menu object with whatever attributes a case gives it."""

    def __init__(self, **attrs):
        self.__dict__.update(attrs)

    def get_rect(self):
        return (0, 0, 10, 10)


class Renderer:
    def __init__(self):
        self.target = None
        self.blits = 0

    def blit(self, source, where):
        self.blits += 1


def menu_values():
    surface = pygame.Surface((20, 20), pygame.SRCALPHA)
    window = types.SimpleNamespace(_renderer=Renderer())
    return [None, 5, "x", object(), surface, ZvRenderTexture(8, 8), ZvVector2(1, 2),
            ZuvoCobject(0, 0, 5, 5), RaisingRect(0, 0, 5, 5), window, (1, 2), ZvRect(0, 0, 1, 1)]


MENU_VALUES = menu_values()
values = st.sampled_from(MENU_VALUES)


@settings(max_examples=400, deadline=None)
@given(surface=values, coords=values, layout=values, sdl_texture=values, window=values,
       tuple_coords=values, bg=values, fn=st.sampled_from(["menu_draw_raylib", "menu_draw_sdl",
                                                          "menu_draw_pygame"]))
def test_menu_drawing_survives_hostile_menus(surface, coords, layout, sdl_texture, window,
                                             tuple_coords, bg, fn):
    menu = Menu(_surface=surface, absolute_coordinates=coords, _layout=layout,
                _sdl_texture=sdl_texture, _window=window, _tuple_absolute_coordinates=tuple_coords)
    panelix.zuvo_state.renderer = Renderer()
    assert attempt(getattr(panelix, fn), menu, bg) is None
    # Whatever happened, the drawing state is back where it was.
    assert zuvo_raylib.texture_stack() == [] and zuvo_raylib.blend_stack() == []
    assert panelix.zuvo_state.renderer.target is None


def make_menu():
    surface = pygame.Surface((16, 16), pygame.SRCALPHA)
    return Menu(_surface=ZvRenderTexture(16, 16), absolute_coordinates=ZvVector2(3, 4),
                _layout=ZuvoCobject(0, 0, 16, 16), _sdl_texture=object(),
                _window=types.SimpleNamespace(_renderer=Renderer()),
                _tuple_absolute_coordinates=(3, 4)), surface


MENU, SURFACE = make_menu()
PYGAME_MENU = Menu(_surface=SURFACE, _layout=None, _window=MENU._window,
                   _tuple_absolute_coordinates=(3, 4))
BG_TEX, BG_SURF = ZvRenderTexture(16, 16), pygame.Surface((16, 16), pygame.SRCALPHA)
CHILDREN = [ZuvoCobject(i * 30, 10, 20, 20) for i in range(8)]


def failing_update_list():
    return [ZuvoCobject(0, 0, 1, 1), RaisingUpdate(0, 0, 1, 1)]


class RaisingUpdate(ZuvoCobject):
    def update(self):
        raise Boom("update")


PATHS = {
    "recollide": lambda: panelix.scrollable_recollide_items(CONTAINER, CHILDREN),
    "recollide, tuple": lambda: panelix.scrollable_recollide_items(CONTAINER, tuple(CHILDREN)),
    "recollide, bad element": lambda: panelix.scrollable_recollide_items(CONTAINER, [CONTAINER, 5]),
    "update collided": lambda: panelix.scrollable_update_collided(CHILDREN),
    "update collided, failing child": lambda: panelix.scrollable_update_collided(FAILING),
    "menu raylib": lambda: panelix.menu_draw_raylib(MENU, BG_TEX),
    "menu raylib, bad bg": lambda: panelix.menu_draw_raylib(MENU, BG_SURF),
    "menu sdl": lambda: panelix.menu_draw_sdl(MENU, BG_SURF),
    "menu pygame": lambda: panelix.menu_draw_pygame(PYGAME_MENU, BG_SURF),
    "menu pygame, self None": lambda: panelix.menu_draw_pygame(None, BG_SURF),
}
FAILING = failing_update_list()


def run_quietly(fn, n):
    for i in range(n):
        try:
            fn()
        except Exception:  # noqa: BLE001 - failure paths are exercised on purpose
            pass
        if i % 1000 == 0:
            recorder.clear()  # the stand-in host's call log is not ours to count


@pytest.mark.parametrize("name", list(PATHS))
def test_no_growth_over_repeated_calls(name):
    fn = PATHS[name]
    panelix.zuvo_state.renderer = Renderer()
    hook, sys.unraisablehook = sys.unraisablehook, lambda unraisable: None
    stderr, sys.stderr = sys.stderr, io.StringIO()
    tracked = [CONTAINER, CHILDREN, MENU, BG_TEX, BG_SURF, FAILING, *CHILDREN, *FAILING]
    try:
        run_quietly(fn, 2000)
        recorder.clear()
        gc.collect()
        refs = [sys.getrefcount(o) for o in tracked]
        tracemalloc.start()
        run_quietly(fn, RUNS // 10)
        sys.stderr = io.StringIO()
        gc.collect()
        base, _ = tracemalloc.get_traced_memory()
        run_quietly(fn, RUNS)
        sys.stderr = io.StringIO()
        recorder.clear()
        gc.collect()
        after, _ = tracemalloc.get_traced_memory()
    finally:
        tracemalloc.stop()
        sys.unraisablehook, sys.stderr = hook, stderr
    assert after - base < 64 * 1024, "%d bytes grew over %d calls" % (after - base, RUNS)
    assert [sys.getrefcount(o) for o in tracked] == refs
