"""Fuzz targets for curvix: every function over arbitrary arguments, arguments whose
conversions re-enter and change the surface or the module, and pixel views of
arbitrary layout.  Each target either gets a result or an exception; an assertion
here, a crash or a sanitizer report is a finding."""

import ctypes
import gc
import math
import sys
import types

import numpy as np
import pygame

from zuvo_ui.fast.shapes import curvix

MD = curvix.md
SRCALPHA = pygame.SRCALPHA


class Boom(Exception):
    pass


class TupleSub(tuple):
    pass


class ListSub(list):
    pass


ODD = [0, -0.0, math.nan, -math.nan, math.inf, -math.inf, 1e308, -1e308, 5e-324, 2**31 - 1, 2**31,
       -2**31 - 1, 2**63, 2**64, 10**30, True, np.float32(2.5), np.int64(3), np.float64("nan"), "3",
       None, b"4", 3 + 0j, object()]
# Sizes stay small or are refused: no odd value may ask pygame for gigabytes.
ODD_SIZE = [-2**31 - 1, 2**31, 2**64, math.nan, math.inf, -1, 3.7, "5", None, True, np.int32(7),
            np.float64(6.5)]
MASKS = [(0xFF, 0xFF00, 0xFF0000, 0xFF000000), (0xFF000000, 0xFF0000, 0xFF00, 0xFF)]
# The parameters of each function, in order; the last flag says whether the
# first parameter is a surface.
FUNCTIONS = [
    (curvix._create_rounded_rect_surface_optimized, ("size", "radii_input", "color"), False),
    (curvix.create_rounded_rect_surface, ("size", "radii_input", "color"), False),
    (curvix._create_outlined_rounded_rect_sdf, ("size", "radius", "width", "color"), False),
    (curvix.create_outlined_rounded_rect_sdf, ("size", "radius", "width", "color"), False),
    (curvix.transform_into_rounded_rect, ("surf", "radii_input", "color"), True),
    (curvix.transform_into_outlined_rounded_rect,
     ("surf", "radii_input", "stroke_width", "color", "background_color"), True),
]


def number(fdp):
    kind = fdp.ConsumeIntInRange(0, 3)
    if kind == 0:
        return fdp.ConsumeIntInRange(-8, 80)
    if kind == 1:
        return fdp.ConsumeFloatInRange(-8.0, 80.0)
    if kind == 2:
        return fdp.ConsumeFloat()  # any double, NaN and infinities included
    return fdp.PickValueInList(ODD)


def sequence(fdp, item, most=6):
    items = [item(fdp) for _ in range(fdp.ConsumeIntInRange(0, most))]
    return fdp.PickValueInList([tuple, list, TupleSub, ListSub])(items)


def radii(fdp):
    return number(fdp) if fdp.ConsumeBool() else sequence(fdp, number)


def channel(fdp):
    return fdp.ConsumeIntInRange(-2, 300) if fdp.ConsumeIntInRange(0, 3) else number(fdp)


def colour(fdp):
    kind = fdp.ConsumeIntInRange(0, 7)
    if kind == 0:
        return fdp.PickValueInList([None, 7, "red", pygame.Color(1, 2, 3, 4), object()])
    return sequence(fdp, channel)


def size_item(fdp):
    return fdp.ConsumeIntInRange(-2, 64) if fdp.ConsumeIntInRange(0, 7) else fdp.PickValueInList(ODD_SIZE)


def size(fdp):
    return sequence(fdp, size_item, 3) if fdp.ConsumeIntInRange(0, 7) else fdp.PickValueInList([None, 5])


def surface(fdp):
    """A surface to transform, and its parent when it is a window into a larger one."""
    w, h = fdp.ConsumeIntInRange(0, 64), fdp.ConsumeIntInRange(0, 64)
    kind = fdp.ConsumeIntInRange(0, 3)
    if kind == 0:
        return pygame.Surface((w, h), SRCALPHA), None
    if kind == 1:  # other byte orders: the colour view's channel stride may be negative
        return pygame.Surface((w, h), SRCALPHA, 32, fdp.PickValueInList(MASKS)), None
    if kind == 2:
        parent = pygame.Surface((w + 6, h + 6), SRCALPHA)
        pygame.surfarray.pixels3d(parent)[...] = np.arange((w + 6) * (h + 6) * 3).reshape(w + 6, h + 6, 3) % 253
        pygame.surfarray.pixels_alpha(parent)[...] = 77
        return parent.subsurface((3, 3, w, h)), parent
    return pygame.Surface((w, h), 0, fdp.PickValueInList([24, 32])), None  # no per-pixel alpha


def outside(parent, surf):
    """The parent's pixels outside its subsurface, as bytes."""
    (x, y), (w, h) = surf.get_abs_offset(), surf.get_size()
    pixels, alpha = pygame.surfarray.array3d(parent), pygame.surfarray.array_alpha(parent)
    pixels[x:x + w, y:y + h] = 0
    alpha[x:x + w, y:y + h] = 0
    return pixels.tobytes() + alpha.tobytes()


def arguments(fdp, params, surf, value):
    """Values for the parameters, passed in a shape the input chooses: by position,
    by keyword, with one missing or one too many."""
    args = [surf if p == "surf" else value(fdp, p) for p in params]
    shape = fdp.ConsumeIntInRange(0, 9)
    if shape == 0:
        return args[:-1], {}
    if shape == 1:
        return args + [number(fdp)], {}
    if shape == 2:
        cut = fdp.ConsumeIntInRange(0, len(args))
        return args[:cut], dict(zip(params[cut:], args[cut:]))
    return args, {}


def plain_value(fdp, param):
    if param == "size":
        return size(fdp)
    if param in ("radii_input",):
        return radii(fdp)
    if param in ("radius", "width", "stroke_width"):
        return number(fdp)
    if param == "background_color" and fdp.ConsumeBool():
        return None
    return colour(fdp)


def tame_value(fdp, param):
    """A well-formed value, so that most calls reach the pixel loops."""
    if param == "size":
        return (fdp.ConsumeIntInRange(0, 64), fdp.ConsumeIntInRange(0, 64))
    if param in ("radius", "width", "stroke_width") or (param == "radii_input" and fdp.ConsumeBool()):
        return fdp.ConsumeFloatInRange(-2.0, 40.0)
    if param == "radii_input":
        return tuple(fdp.ConsumeFloatInRange(-2.0, 40.0) for _ in range(4))
    return tuple(fdp.ConsumeIntInRange(0, 255) for _ in range(fdp.ConsumeIntInRange(3, 4)))


def any_value(fdp):
    """Well-formed values for half the calls, arbitrary ones for the others."""
    return tame_value if fdp.ConsumeBool() else plain_value


def attempt(fn, args, kwargs):
    try:
        return fn(*args, **kwargs)
    except Exception:  # noqa: BLE001 - any exception is an acceptable outcome
        return None


def clear_memos():
    curvix._get_cached_rounded_rect_surface.cache_clear()
    curvix._get_cached_outlined_rounded_rect_sdf.cache_clear()


def check_result(result, transform):
    if transform:
        assert result is None, result
    else:
        assert result is None or isinstance(result, pygame.Surface), type(result)
        assert result is None or not result.get_locked()


def curvix_arguments(data):
    """Every function over arbitrary argument values and call shapes."""
    fdp = __import__("atheris").FuzzedDataProvider(data)
    clear_memos()
    fn, params, transform = FUNCTIONS[fdp.ConsumeIntInRange(0, len(FUNCTIONS) - 1)]
    surf, parent = surface(fdp) if transform else (None, None)
    before = outside(parent, surf) if parent else None
    args, kwargs = arguments(fdp, params, surf, any_value(fdp))
    check_result(attempt(fn, args, kwargs), transform)
    if surf is not None:
        assert not surf.get_locked()
    if parent is not None:
        assert not parent.get_locked() and outside(parent, surf) == before


# --- arguments whose conversions run code that changes what curvix works on ---

class Context:
    """What the hostile actions may change; `restore` puts the module back."""

    def __init__(self, fdp, surf):
        self.surf, self.containers = surf, []
        self.actions = [fdp.ConsumeIntInRange(0, len(ACTIONS) - 1) for _ in range(fdp.ConsumeIntInRange(0, 4))]
        self.sizes = [(fdp.ConsumeIntInRange(0, 64), fdp.ConsumeIntInRange(0, 64)) for _ in range(2)]

    def act(self):
        if self.actions:
            ACTIONS[self.actions.pop(0)](self)

    @staticmethod
    def restore():
        curvix.md = MD
        MD.pygame = pygame


def reinit(ctx, flags=SRCALPHA):
    if isinstance(ctx.surf, pygame.Surface):
        ctx.surf.__init__(ctx.sizes.pop() if ctx.sizes else (1, 1), flags)


def empty_containers(ctx):
    for c in ctx.containers:
        del c[:]


def grow_containers(ctx):
    for c in ctx.containers:
        c.extend([1.5] * 40)


def raise_boom(ctx):
    raise Boom("hostile conversion")


ACTIONS = [
    reinit,
    lambda ctx: reinit(ctx, 0),
    lambda ctx: clear_memos(),
    lambda ctx: setattr(curvix, "md", types.SimpleNamespace()),
    lambda ctx: setattr(MD, "pygame", None),
    lambda ctx: setattr(MD, "pygame", types.SimpleNamespace(Surface=pygame.Surface, SRCALPHA=SRCALPHA)),
    Context.restore,
    empty_containers,
    grow_containers,
    raise_boom,
    lambda ctx: gc.collect(),
]


class Hostile:
    """A number and a sequence at once; each conversion first runs the next action."""

    def __init__(self, ctx, value, items, length):
        self.ctx, self.value, self.items, self.length = ctx, value, items, length

    def __int__(self):
        self.ctx.act()
        return self.value

    __index__ = __int__

    def __float__(self):
        self.ctx.act()
        return float(self.value)

    def __len__(self):
        self.ctx.act()
        return self.length

    def __getitem__(self, i):
        self.ctx.act()
        if not isinstance(i, int) or i >= len(self.items):
            raise IndexError(i)
        return self.items[i]


class HostileSurface(pygame.Surface):
    """A surface whose size queries and fill run the actions first."""

    ctx = None

    def get_width(self):
        self.ctx.act()
        return super().get_width()

    def get_height(self):
        self.ctx.act()
        return super().get_height()

    def fill(self, *args, **kwargs):
        self.ctx.act()
        return super().fill(*args, **kwargs)


def hostile_value(ctx, fdp, param):
    """A plain value, a hostile object, or a list holding hostile objects."""
    kind = fdp.ConsumeIntInRange(0, 3)
    if kind == 0:
        return any_value(fdp)(fdp, param)
    if kind == 1 or param in ("radius", "width", "stroke_width"):
        items = [fdp.ConsumeIntInRange(-2, 64) for _ in range(fdp.ConsumeIntInRange(0, 5))]
        return Hostile(ctx, fdp.ConsumeIntInRange(-4, 70), items, fdp.ConsumeIntInRange(0, 6))
    items = [Hostile(ctx, fdp.ConsumeIntInRange(-4, 70), [], 0) if fdp.ConsumeBool()
             else fdp.ConsumeIntInRange(-2, 255) for _ in range(fdp.ConsumeIntInRange(0, 5))]
    if param != "radii_input" or fdp.ConsumeBool():
        return tuple(items)  # sizes and colours must be tuples
    ctx.containers.append(items)  # a list the actions may empty or grow while it is read
    return items


def curvix_reentrant(data):
    """Conversions that re-initialise the surface, clear the memos or swap pygame."""
    fdp = __import__("atheris").FuzzedDataProvider(data)
    clear_memos()
    fn, params, transform = FUNCTIONS[fdp.ConsumeIntInRange(0, len(FUNCTIONS) - 1)]
    w, h = fdp.ConsumeIntInRange(0, 64), fdp.ConsumeIntInRange(0, 64)
    surf = HostileSurface((w, h), SRCALPHA) if fdp.ConsumeBool() else pygame.Surface((w, h), SRCALPHA)
    ctx = Context(fdp, surf)
    if isinstance(surf, HostileSurface):
        surf.ctx = ctx
    try:
        args, kwargs = arguments(fdp, params, surf, lambda f, p: hostile_value(ctx, f, p))
        result = attempt(fn, args, kwargs)
    finally:
        Context.restore()
    check_result(result, transform)
    assert not surf.get_locked()


# --- pixel views of arbitrary layout from a stand-in pygame ---

ARENA = 1 << 13
PATTERN = (np.arange(ARENA) * 7 % 251).astype(np.uint8)
DTYPES = [np.uint8, np.uint8, np.uint8, np.int8, np.uint16, np.float32, np.bool_]


def strided(fdp, arena, shape):
    """A NumPy array of arbitrary strides (zero, negative, overlapping) over the arena."""
    dtype = np.dtype(fdp.PickValueInList(DTYPES))
    strides, natural = [], dtype.itemsize
    for n in reversed(shape):
        kind = fdp.ConsumeIntInRange(0, 3)
        stride = [natural, 0, -natural, fdp.ConsumeIntInRange(-40, 40) * dtype.itemsize][kind]
        strides.insert(0, stride)
        natural *= max(n, 1)
    low = sum(min(0, s * (n - 1)) for s, n in zip(strides, shape) if n)
    high = sum(max(0, s * (n - 1)) for s, n in zip(strides, shape) if n) + dtype.itemsize
    if high - low > ARENA:
        return None
    start = fdp.ConsumeIntInRange(0, ARENA - (high - low)) - low
    array = np.ndarray(shape, dtype, buffer=arena, offset=start, strides=strides)
    array.flags.writeable = fdp.ConsumeIntInRange(0, 7) != 0
    return array


def exporter(fdp, arena, shape, other):
    """An object that exports (or claims to export) pixels of the given shape."""
    kind = fdp.ConsumeIntInRange(0, 8)
    if kind == 8:
        shape = tuple(fdp.ConsumeIntInRange(0, 9) for _ in range(fdp.ConsumeIntInRange(1, 4)))
    count = int(np.prod(shape))
    if kind <= 2 or kind == 8 or count == 0:
        return strided(fdp, arena, shape)
    start = fdp.ConsumeIntInRange(0, ARENA - count)
    if kind == 3:  # C-contiguous and without strides of its own
        ctype = ctypes.c_uint8
        for n in reversed(shape):
            ctype = ctype * n
        return ctype.from_buffer(arena, start)
    if kind in (4, 5):
        view = memoryview(arena[start:start + count]).cast("B", shape)
        return view.toreadonly() if kind == 5 else view
    if kind == 6 and isinstance(other, np.ndarray) and other.ndim == 3 and other.shape[2]:
        return other[:, :, fdp.ConsumeIntInRange(0, other.shape[2] - 1)]  # alpha aliases a channel
    return fdp.PickValueInList([other, None, 5, [[1, 2]], b"abcd", Boom("view")])


def writable_bytes(obj, arena):
    """The arena offsets a writable exporter lets the module write."""
    try:
        array = np.asarray(obj)
    except Exception:  # noqa: BLE001 - not an exporter at all
        return np.empty(0, np.int64)
    if not array.flags.writeable or array.size == 0 or not np.shares_memory(array, arena):
        return np.empty(0, np.int64)
    start = array.__array_interface__["data"][0] - arena.__array_interface__["data"][0]
    index = np.indices(array.shape).reshape(array.ndim, -1)
    cells = start + (np.array(array.strides)[:, None] * index).sum(0)
    return (cells[:, None] + np.arange(array.itemsize)).ravel()


def stand_in_pygame(fdp, views):
    claim = [fdp.ConsumeIntInRange(-1, 10) if fdp.ConsumeIntInRange(0, 3) == 0 else None for _ in range(2)]
    fill_fails = fdp.ConsumeIntInRange(0, 7) == 0

    class Surface:
        def __init__(self, size, flags=0):
            self.size = size

        def get_width(self):
            return self.size[0] if claim[0] is None else claim[0]

        def get_height(self):
            return self.size[1] if claim[1] is None else claim[1]

        def fill(self, colour):
            if fill_fails:
                raise Boom("fill")

    def provider(which):
        def view(surf):
            if isinstance(views[which], Exception):
                raise views[which]
            return views[which]
        return view

    surfarray = types.SimpleNamespace(pixels3d=provider(0), pixels_alpha=provider(1))
    return types.SimpleNamespace(Surface=Surface, SRCALPHA=SRCALPHA, surfarray=surfarray)


def curvix_views(data):
    """Views of random layout over one guarded arena: no byte outside the writable
    exported cells may change, and every view is released."""
    fdp = __import__("atheris").FuzzedDataProvider(data)
    clear_memos()
    fn, params, transform = FUNCTIONS[fdp.ConsumeIntInRange(0, len(FUNCTIONS) - 1)]
    w, h = fdp.ConsumeIntInRange(0, 9), fdp.ConsumeIntInRange(0, 9)
    arena = PATTERN.copy()
    colour_view = exporter(fdp, arena, (w, h, fdp.PickValueInList([3, 3, 4, 2, 0])), None)
    views = [colour_view, exporter(fdp, arena, (w, h), colour_view)]
    fake = stand_in_pygame(fdp, views)
    surf = fake.Surface((w, h))
    exact, value = fdp.ConsumeIntInRange(0, 3) != 0, any_value(fdp)
    args, kwargs = arguments(fdp, params, surf, lambda f, p: (
        ((w, h) if exact else size(f)) if p == "size" else value(f, p)))
    # Only the exporters made for this input: constants' counts move for other reasons.
    exporters = [v for v in views if isinstance(v, (np.ndarray, memoryview, ctypes.Array))]
    refs = [sys.getrefcount(v) for v in exporters]
    curvix.md = types.SimpleNamespace(pygame=fake)
    try:
        attempt(fn, args, kwargs)
    finally:
        curvix.md = MD
    clear_memos()
    assert [sys.getrefcount(v) for v in exporters] == refs, "a view was not released"
    changed = np.flatnonzero(arena != PATTERN)
    allowed = np.concatenate([writable_bytes(v, arena) for v in views])
    for v in views:
        if isinstance(v, memoryview):
            v.release()  # BufferError while a buffer of it is still held
    outside_views = np.setdiff1d(changed, allowed)
    assert outside_views.size == 0, "bytes written outside the views: %s" % outside_views[:16]


TARGETS = {"curvix_arguments": curvix_arguments, "curvix_reentrant": curvix_reentrant,
           "curvix_views": curvix_views}
