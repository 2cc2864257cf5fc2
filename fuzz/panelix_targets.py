"""Fuzz target for panelix's five entry points: lists of widgets and non-widgets
whose overrides change the list, the widget or the menu during the call, and
menus whose every attribute read may run code.  An exception is fine; an
assertion here, a crash or a sanitizer report is a finding."""

import gc
import math
import sys
import types

import pygame

from zuvo_standin import recorder
from zuvo_ui.fast.raylib import zuvo_raylib
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvrect.zvrect import ZvRect
from zuvo_ui.fast.zvrendertex.zv_render_tex import ZvRenderTexture
from zuvo_ui.fast.zvspecific import panelix
from zuvo_ui.fast.zvvector2.zvvector2 import ZvVector2

sys.unraisablehook = lambda unraisable: None  # update() failures are reported, not raised


class Boom(Exception):
    pass


class Context:
    """The list, menu and child a call works on; actions change them."""

    def __init__(self, fdp):
        self.items, self.menu = [], None
        self.actions = [fdp.ConsumeIntInRange(0, len(ACTIONS) - 1) for _ in range(fdp.ConsumeIntInRange(0, 5))]

    def act(self):
        if self.actions:
            ACTIONS[self.actions.pop(0)](self)


def mutate_list(fn):
    def action(ctx):
        if isinstance(ctx.items, list):
            fn(ctx.items)
    return action


def mutate_menu(ctx, name, value):
    if ctx.menu is not None:
        ctx.menu.__dict__[name] = value


def raise_boom(ctx):
    raise Boom("hostile override")


ACTIONS = [
    mutate_list(list.clear),
    mutate_list(lambda items: items.pop() if items else None),
    mutate_list(lambda items: items.append(ZuvoCobject(5, 5, 10, 10))),
    mutate_list(lambda items: items.extend([ZuvoCobject(1, 1, 2, 2)] * 30)),
    mutate_list(lambda items: items.insert(0, None)),
    mutate_list(lambda items: items.__setitem__(slice(0, 1), [object()])),
    mutate_list(list.reverse),
    lambda ctx: mutate_menu(ctx, "_surface", None),
    lambda ctx: mutate_menu(ctx, "_layout", ZuvoCobject(0, 0, 1, 1)),
    lambda ctx: ctx.menu.__dict__.clear() if ctx.menu is not None else None,
    lambda ctx: setattr(panelix.zuvo_state, "renderer", None),
    raise_boom,
    lambda ctx: gc.collect(),
]
OVERRIDES = ["get_zvrect", "update", "draw", "_rl_predraw_widgets", "__eq__"]


def override(name):
    def method(self, *args):
        self.ctx.act()
        if name == "get_zvrect":
            return self.rect
        if name == "__eq__":
            return self is args[0]
        return getattr(ZuvoCobject, name)(self) if hasattr(ZuvoCobject, name) else None
    return method


# One widget class for every set of overridden methods.
CHILDREN = [type("Child%d" % bits, (ZuvoCobject,),
                 {"ctx": None, "rect": None, "__hash__": object.__hash__,
                  **{n: override(n) for i, n in enumerate(OVERRIDES) if bits >> i & 1}})
            for bits in range(1 << len(OVERRIDES))]


def coordinate(fdp):
    # Choices read 0 once the input is used up: 0 picks the ordinary case here and below.
    if fdp.ConsumeIntInRange(0, 7) != 7:
        return fdp.ConsumeIntInRange(-50, 150)
    return fdp.PickValueInList([math.nan, math.inf, -math.inf, 0.5, 1e300, -1e-300])


def widget(fdp, ctx):
    cls = CHILDREN[fdp.ConsumeIntInRange(0, len(CHILDREN) - 1)]
    child = cls(*(coordinate(fdp) for _ in range(4)))
    child.ctx = ctx
    child.rect = (ZvRect(*(coordinate(fdp) for _ in range(4))) if fdp.ConsumeIntInRange(0, 3) != 3
                  else fdp.PickValueInList([None, (1, 2, 3, 4), ZvVector2(1, 2)]))
    return child


def element(fdp, ctx):
    if fdp.ConsumeIntInRange(0, 5) != 5:
        return widget(fdp, ctx)
    return fdp.PickValueInList([None, object(), 5, ZvRect(0, 0, 1, 1), ZvVector2(1, 2), "widget"])


class ListSub(list):
    """A list subclass whose length and item reads run the actions."""

    ctx = None

    def __len__(self):
        self.ctx.act()
        return list.__len__(self)

    def __getitem__(self, i):
        self.ctx.act()
        return list.__getitem__(self, i)


def items(fdp, ctx):
    values = [element(fdp, ctx) for _ in range(fdp.ConsumeIntInRange(0, 8))]
    kind = fdp.ConsumeIntInRange(0, 5)
    if kind <= 2:
        return values
    if kind == 3:
        sub = ListSub(values)
        sub.ctx = ctx
        return sub
    if kind == 4:
        return tuple(values)
    return fdp.PickValueInList([None, 5, "abc", iter(values), {1: 2}])


class Menu:
    """Any set of menu attributes; with `hostile`, every read runs the next action."""

    def __init__(self, ctx, hostile, attrs):
        object.__setattr__(self, "_ctx", (ctx, hostile))
        self.__dict__.update(attrs)

    def __getattribute__(self, name):
        ctx, hostile = object.__getattribute__(self, "_ctx")
        if hostile and not name.startswith("__"):
            ctx.act()
        return object.__getattribute__(self, name)

    def get_rect(self):
        return (0, 0, 10, 10)


class Renderer:
    def __init__(self, refuse):
        object.__setattr__(self, "refuse", refuse)
        object.__setattr__(self, "target", None)

    def __setattr__(self, name, value):
        if self.refuse:
            raise OSError("renderer refused the target")
        object.__setattr__(self, name, value)

    def blit(self, source, where):
        pass


def menu_value(fdp, ctx):
    return fdp.PickValueInList([
        None, 5, "x", object(), (3, 4), (1.5, math.nan), ZvRenderTexture(8, 8), ZvRenderTexture(0, 0),
        ZvVector2(1, 2), ZvRect(0, 0, 1, 1), pygame.Surface((8, 8), pygame.SRCALPHA),
        types.SimpleNamespace(_renderer=Renderer(False)), types.SimpleNamespace(_renderer=None),
        widget(fdp, ctx), ZuvoCobject(0, 0, 5, 5)])


def well_formed_menu(fdp, ctx, which):
    """The attributes the back end (2 raylib, 3 SDL, 4 pygame) expects."""
    layout = widget(fdp, ctx) if fdp.ConsumeBool() else None
    surface = ZvRenderTexture(8, 8) if which == 2 else pygame.Surface((8, 8), pygame.SRCALPHA)
    return {"_surface": surface, "absolute_coordinates": ZvVector2(3, 4), "_layout": layout,
            "_sdl_texture": object(), "_window": types.SimpleNamespace(_renderer=Renderer(False)),
            "_tuple_absolute_coordinates": (3, 4)}


MENU_ATTRS = ["_surface", "absolute_coordinates", "_layout", "_sdl_texture", "_window",
              "_tuple_absolute_coordinates"]
HOST_CALLS = ["begin_texture_mode", "end_texture_mode", "begin_blend_mode", "end_blend_mode",
              "c_fast_zvblit", "c_clear_background_blank", "draw", "update", "get_item_abs_coords"]


def panelix_entry_points(data):
    fdp = __import__("atheris").FuzzedDataProvider(data)
    recorder.clear()
    zuvo_raylib.reset()
    ctx = Context(fdp)
    renderer = Renderer(fdp.ConsumeIntInRange(0, 7) == 0)
    panelix.zuvo_state.renderer = renderer
    armed = None
    if fdp.ConsumeIntInRange(0, 3) == 0:
        armed = fdp.PickValueInList(HOST_CALLS)
        recorder.fail_on(armed, Boom("host failure"), fdp.ConsumeIntInRange(0, 3))
    which = fdp.ConsumeIntInRange(0, 4)
    try:
        if which <= 1:
            ctx.items = items(fdp, ctx)
            container = widget(fdp, ctx) if fdp.ConsumeIntInRange(0, 5) != 5 else None
            call = ((lambda: panelix.scrollable_update_collided(ctx.items)) if which == 0 else
                    (lambda: panelix.scrollable_recollide_items(container, ctx.items)))
        else:
            attrs = well_formed_menu(fdp, ctx, which)
            for name in MENU_ATTRS:  # then any attribute may be missing or of any type
                kind = fdp.ConsumeIntInRange(0, 7)
                if kind == 1:
                    del attrs[name]
                elif kind == 2:
                    attrs[name] = menu_value(fdp, ctx)
            ctx.menu = Menu(ctx, fdp.ConsumeBool(), attrs)
            bg = menu_value(fdp, ctx) if fdp.ConsumeIntInRange(0, 3) == 3 else attrs.get("_surface")
            fn = [panelix.menu_draw_raylib, panelix.menu_draw_sdl, panelix.menu_draw_pygame][which - 2]
            call = lambda: fn(ctx.menu, bg)  # noqa: E731
        try:
            result = call()
        except Exception:  # noqa: BLE001 - any exception is an acceptable outcome
            result = None
    finally:
        ctx.actions = []
    if which == 1:
        assert result is None or (type(result) is list and all(isinstance(c, ZuvoCobject) for c in result))
    else:
        assert result is None, result
    if armed not in ("end_texture_mode", "end_blend_mode"):  # a failed end is the host's own
        assert zuvo_raylib.texture_stack() == [] and zuvo_raylib.blend_stack() == [], "modes left open"
    assert renderer.target is None, "the SDL renderer's target was not reset"
    panelix.zuvo_state.renderer = None
    recorder.clear()
    zuvo_raylib.reset()


TARGETS = {"panelix": panelix_entry_points}
