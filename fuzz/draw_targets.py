"""Fuzz target for draw.rect and draw.shadow: surfaces of every depth and kind (subsurfaces, clip
rects, subclasses overriding the locking and views), colours and rects in every
form pygame takes and many it refuses, odd numbers, and arguments whose
conversions re-initialise the surface, move its clip rect or raise.  A call may
return a Rect or raise; afterwards the surface is unlocked and no pixel outside
its clip rect, or outside the Rect returned, has changed."""

import gc
import math

import numpy as np
import pygame

from zuvo_ui.fast.shapes import draw

SRCALPHA = pygame.SRCALPHA
MASKS = [(0xFF, 0xFF00, 0xFF0000, 0xFF000000), (0xFF000000, 0xFF0000, 0xFF00, 0xFF),
         (0xFF00, 0xFF0000, 0xFF000000, 0xFF)]
ODD = [0, -0.0, math.nan, -math.nan, math.inf, -math.inf, 1e308, -1e308, 5e-324, 1e300, 2**31, -2**31 - 1,
       2**63, 2**64, 10**400, -10**400, True, np.float32(2.5), np.int64(3), np.float64("nan"), "3", None,
       b"4", 3 + 0j, object()]
COLOUR_VALUES = [None, "red", "nonsense", "#ff800080", "#12", pygame.Color(1, 2, 3, 4), 0, 0xFFFFFFFF,
                 2**32, 2**40, -1, 1.5, object(), (1, 2), (1, 2, 3, 4, 5), (256, 0, 0), (-1, 0, 0)]
CORNERS = ["border_radius", "border_top_left_radius", "border_top_right_radius",
           "border_bottom_left_radius", "border_bottom_right_radius"]
PARAMS = {draw.rect: ["width"] + CORNERS, draw.shadow: ["blur_radius"] + CORNERS}


class Boom(Exception):
    pass


class Context:
    """What the hostile conversions may change: the surface, its clip rect."""

    def __init__(self, fdp, surf):
        self.surf = surf
        self.actions = [fdp.ConsumeIntInRange(0, len(ACTIONS) - 1) for _ in range(fdp.ConsumeIntInRange(0, 4))]
        self.sizes = [(fdp.ConsumeIntInRange(0, 40), fdp.ConsumeIntInRange(0, 40)) for _ in range(2)]
        self.depths = [fdp.PickValueInList([8, 16, 24, 32, 32]) for _ in range(2)]
        self.clips = [tuple(fdp.ConsumeIntInRange(-8, 48) for _ in range(4)) for _ in range(2)]
        self.reinitialised = False
        # Half the calls get well-formed values only, so that they reach the pixels.
        self.tame = fdp.ConsumeBool()
        self.overrides_run = []

    def act(self):
        if self.actions:
            ACTIONS[self.actions.pop(0)](self)


def reinit(ctx, flags=0):
    if ctx.surf is pygame.display.get_surface():
        return  # the window's surface belongs to the display
    size = ctx.sizes.pop() if ctx.sizes else (1, 1)
    depth = ctx.depths.pop() if ctx.depths else 32
    if flags and depth != 32:
        flags = 0
    ctx.surf.__init__(size, flags, depth)
    ctx.reinitialised = True


def set_clip(ctx):
    pygame.Surface.set_clip(ctx.surf, ctx.clips.pop() if ctx.clips else None)


def raise_boom(ctx):
    raise Boom("hostile conversion")


ACTIONS = [
    reinit,
    lambda ctx: reinit(ctx, SRCALPHA),
    set_clip,
    raise_boom,
    lambda ctx: gc.collect(),
    lambda ctx: pygame.Surface.set_alpha(ctx.surf, 100),
]


class Hostile:
    """A number, a truth value and a sequence at once; each use first runs the next action."""

    def __init__(self, ctx, value, items):
        self.ctx, self.value, self.items = ctx, value, items

    def __float__(self):
        self.ctx.act()
        return float(self.value)

    def __index__(self):
        self.ctx.act()
        return int(self.value)

    __int__ = __index__

    def __bool__(self):
        self.ctx.act()
        return bool(self.value)

    def __len__(self):
        self.ctx.act()
        return len(self.items)

    def __getitem__(self, i):
        self.ctx.act()
        if not isinstance(i, int) or not -len(self.items) <= i < len(self.items):
            raise IndexError(i)
        return self.items[i]


class HasRect:
    """An object pygame takes for its `rect` attribute; `hostile` runs an action on each read."""

    def __init__(self, ctx, value, hostile, method):
        self.ctx, self.value, self.hostile, self.method = ctx, value, hostile, method

    @property
    def rect(self):
        if self.hostile:
            self.ctx.act()
        return (lambda: self.value) if self.method else self.value


class OverridingSurface(pygame.Surface):
    """A surface whose locking and views draw.rect must never call."""

    ctx = None

    def _noted(self, name):
        if self.ctx is not None:
            self.ctx.overrides_run.append(name)
        raise Boom(name)

    def lock(self):
        self._noted("lock")

    def unlock(self):
        self._noted("unlock")

    def get_view(self, *args):
        self._noted("get_view")

    def get_locked(self):
        self._noted("get_locked")


def number(fdp, ctx):
    if ctx.tame:
        return fdp.ConsumeFloatInRange(-4.0, 44.0)
    kind = fdp.ConsumeIntInRange(0, 5)
    if kind == 0:
        return fdp.ConsumeIntInRange(-8, 60)
    if kind in (1, 2):
        return fdp.ConsumeFloatInRange(-8.0, 60.0)
    if kind == 3:
        return fdp.ConsumeFloat()  # any double, NaN and infinities included
    if kind == 4:
        return Hostile(ctx, fdp.ConsumeFloatInRange(-8.0, 60.0), [])
    return fdp.PickValueInList(ODD)


# Each choice's first option (what an exhausted input gives) is a plain, valid value.
def channel(fdp, ctx):
    kind = 0 if ctx.tame else fdp.ConsumeIntInRange(0, 7)
    if kind == 7:
        return Hostile(ctx, fdp.ConsumeIntInRange(-2, 300), [])
    if kind == 6:
        return fdp.PickValueInList(ODD)
    return fdp.ConsumeIntInRange(-2, 300) if kind == 5 else fdp.ConsumeIntInRange(0, 255)


def colour(fdp, ctx):
    kind = 0 if ctx.tame else fdp.ConsumeIntInRange(0, 7)
    if kind == 7:
        return fdp.PickValueInList(COLOUR_VALUES)
    items = [channel(fdp, ctx) for _ in range(fdp.ConsumeIntInRange(2, 5) if kind == 6 else 3 + fdp.ConsumeBool())]
    if kind == 5:
        return Hostile(ctx, 0, items)
    return fdp.PickValueInList([tuple, list])(items)


def rect_value(fdp, ctx, depth=0):
    if ctx.tame:  # mostly on the surface
        return (fdp.ConsumeFloatInRange(-4.0, 16.0), fdp.ConsumeFloatInRange(-4.0, 16.0),
                fdp.ConsumeFloatInRange(-8.0, 40.0), fdp.ConsumeFloatInRange(-8.0, 40.0))
    kind = fdp.ConsumeIntInRange(0, 9)
    numbers = [number(fdp, ctx) for _ in range(4)]
    if kind <= 3:
        return fdp.PickValueInList([tuple, list])(numbers)
    if kind == 4:
        return ((numbers[0], numbers[1]), [numbers[2], numbers[3]])
    if kind == 5:
        return Hostile(ctx, 0, numbers if fdp.ConsumeBool() else [numbers[:2], numbers[2:]])
    if kind == 6 and depth < 3:
        inner = rect_value(fdp, ctx, depth + 1)
        return HasRect(ctx, inner, fdp.ConsumeBool(), fdp.ConsumeBool())
    if kind == 7:
        cls = pygame.FRect if hasattr(pygame, "FRect") and fdp.ConsumeBool() else pygame.Rect
        return cls(*(fdp.ConsumeIntInRange(-20, 60) for _ in range(4)))
    if kind == 8 and depth < 3:
        return [rect_value(fdp, ctx, depth + 1)]  # a one-item sequence of a rect
    return fdp.PickValueInList([None, "abcd", (1, 2, 3), ((1, 2), (3,)), 5, [], (1, 2, 3, 4, 5)])


def surface(fdp):
    """The surface drawn on, its parent when it is a subsurface, and whether it
    is an OverridingSurface."""
    w, h = 40 - fdp.ConsumeIntInRange(0, 40), 40 - fdp.ConsumeIntInRange(0, 40)
    kind = fdp.ConsumeIntInRange(0, 7)
    overriding = kind == 7
    cls = OverridingSurface if overriding else pygame.Surface
    if kind in (0, 7):
        surf, parent = cls((w, h), SRCALPHA), None
    elif kind == 1:
        surf, parent = cls((w, h), SRCALPHA, 32, fdp.PickValueInList(MASKS)), None
    elif kind == 2:
        surf, parent = cls((w, h), 0, fdp.PickValueInList([8, 16, 24, 32])), None
    elif kind == 3:
        surf, parent = cls((w, h), 0, 32, fdp.PickValueInList(MASKS)[:3] + (0,)), None
    elif kind == 4:
        surf, parent = pygame.display.set_mode((max(w, 1), max(h, 1))), None
    else:
        parent = pygame.Surface((w + 6, h + 5), SRCALPHA if kind == 5 else 0, 32 if kind == 5 else 24)
        surf = parent.subsurface((3, 2, w, h))
    target = parent if parent is not None else surf
    noise = np.frombuffer(fdp.ConsumeBytes(16).ljust(16, b"\x5a"), np.uint8)
    tw, th = target.get_size()
    if tw and th:
        tiled = np.resize(noise, th * tw * 4).tobytes()
        target.blit(pygame.image.frombuffer(tiled, (tw, th), "RGBA"), (0, 0))
    if fdp.ConsumeBool():
        pygame.Surface.set_clip(surf, tuple(fdp.ConsumeIntInRange(-8, 48) for _ in range(4)))
    return surf, parent, overriding


def pixels(surf):
    """The surface's pixels as [y][x][4] bytes, read without any method a subclass overrides."""
    w, h = pygame.Surface.get_size(surf)
    return np.frombuffer(pygame.image.tobytes(surf, "RGBA"), np.uint8).reshape(h, w, 4)


def draw_rect(data):
    """draw.rect and draw.shadow over hostile surfaces, colours, rects and numbers."""
    fdp = __import__("atheris").FuzzedDataProvider(data)
    fn = draw.shadow if fdp.ConsumeBool() else draw.rect
    surf, parent, overriding = surface(fdp)
    ctx = Context(fdp, surf)
    if overriding:
        surf.ctx = ctx
    before = pixels(surf)
    parent_before = pixels(parent) if parent is not None else None
    args = [surf, colour(fdp, ctx), rect_value(fdp, ctx)]
    kwargs = {}
    params = PARAMS[fn]
    for name in params[:fdp.ConsumeIntInRange(0, len(params))]:
        if fdp.ConsumeBool():
            kwargs[name] = number(fdp, ctx)
        elif not kwargs:
            args.append(number(fdp, ctx))
    if fn is draw.shadow:
        if fdp.ConsumeBool():
            kwargs["spread"] = number(fdp, ctx)
        if fdp.ConsumeBool():
            kwargs["offset"] = (number(fdp, ctx), number(fdp, ctx)) if fdp.ConsumeBool() else number(fdp, ctx)
    else:
        if fdp.ConsumeBool():
            kwargs["border_color"] = colour(fdp, ctx) if fdp.ConsumeIntInRange(0, 3) else None
        if fdp.ConsumeBool():
            kwargs["blend"] = fdp.PickValueInList([True, False, 0, 1, None, "", Hostile(ctx, 1, []),
                                                   Hostile(ctx, 0, [])])
    shape = 0 if ctx.tame else fdp.ConsumeIntInRange(0, 15)
    if shape == 15:
        args = args[:fdp.ConsumeIntInRange(0, 2)]  # too few
    elif shape == 14:
        args += [number(fdp, ctx) for _ in range(10 - len(args))]  # too many
    elif shape == 13:
        kwargs["border"] = 1  # an unknown keyword
    try:
        result = fn(*args, **kwargs)
    except Exception:  # noqa: BLE001 - any exception is an acceptable outcome
        result = None

    assert ctx.overrides_run == [], ctx.overrides_run
    assert not pygame.Surface.get_locked(surf)
    if parent is not None:
        assert not parent.get_locked()
    assert result is None or isinstance(result, pygame.Rect), type(result)
    if ctx.reinitialised:
        if parent is not None:  # the re-initialised subsurface no longer shares its parent's pixels
            assert np.array_equal(pixels(parent), parent_before)
        return
    after = pixels(surf)
    changed = (after != before).any(axis=2)
    if result is None:
        assert not changed.any(), "a call that raised changed pixels"
    else:
        clip = pygame.Surface.get_clip(surf)
        allowed = np.zeros_like(changed)
        box = clip.clip(result)
        allowed[box.top:box.bottom, box.left:box.right] = True
        assert not (changed & ~allowed).any(), (
            "pixels changed outside the clip rect or the Rect returned: %s" % np.argwhere(changed & ~allowed)[:4])
    if parent is not None:
        x, y = surf.get_offset()
        w, h = pygame.Surface.get_size(surf)
        outside = pixels(parent).copy()
        outside[y:y + h, x:x + w] = parent_before[y:y + h, x:x + w]
        assert np.array_equal(outside, parent_before), "the parent changed outside its subsurface"


TARGETS = {"draw_rect": draw_rect}
