"""No caller code runs while pixel views are held, and every buffer layout is safe.

Converting an argument runs the caller's code (`__int__`, `__index__`,
`__float__`, `__getitem__`), and that code can re-initialise a pygame surface,
which frees its pixels even while views of it are held.  So every argument is
converted before the first view is taken; a conversion that fails is reported
after the views, so that a failing view still reports first.  The views
themselves may come from any exporter: without strides (ctypes), with zero,
negative or overlapping strides, or as planes that alias each other.
"""

import ctypes
import types

import numpy as np
import pygame
import pytest
from numpy.lib.stride_tricks import as_strided

from zuvo_ui.fast.shapes import curvix, draw

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]


class Hostile:
    """An integer whose conversion first runs `action` (and logs that it ran)."""

    def __init__(self, value, action, log=None):
        self.value, self.action, self.log = value, action, log

    def __int__(self):
        if self.log is not None:
            self.log.append("convert")
        self.action()
        return self.value

    __index__ = __int__

    def __float__(self):
        return float(int(self))


class FakePygame(types.SimpleNamespace):
    """pygame whose Surface and views are logged; `views(name, surf)`, when
    given, replaces pygame's own view getters."""

    def __init__(self, log, views=None):
        self.made = []

        def surface(size, flags):
            self.made.append(pygame.Surface(size, flags))
            return self.made[-1]

        def getter(name):
            def get(surf):
                log.append(name)
                return views(name, surf) if views else getattr(pygame.surfarray, name)(surf)
            return get

        super().__init__(Surface=surface, SRCALPHA=pygame.SRCALPHA, surfarray=types.SimpleNamespace(
            pixels3d=getter("pixels3d"), pixels_alpha=getter("pixels_alpha")))


@pytest.fixture
def fake(monkeypatch):
    """Installs a FakePygame as curvix's `md.pygame`; call it with the log (and views)."""
    def install(log, views=None):
        pg = FakePygame(log, views)
        monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=pg))
        return pg
    return install


def reinit(surfaces, size):
    """An action that re-initialises the newest of `surfaces` at `size`."""
    return lambda: surfaces()[-1].__init__(size, pygame.SRCALPHA)


# Each case: a call whose colour or radius converts a Hostile item, given the
# surface it draws on (None for the generators, whose surface pygame makes).
CALLS = {
    "outline transform colour": lambda s, h: curvix.transform_into_outlined_rounded_rect(
        s, 8, 3, (h(255), 0, 0), (0, 0, 255, 200)),
    "outline transform background": lambda s, h: curvix.transform_into_outlined_rounded_rect(
        s, 8, 3, (255, 0, 0), (0, 0, h(255), 200)),
    "outline transform radius": lambda s, h: curvix.transform_into_outlined_rounded_rect(
        s, (8, h(8), 8, 8), 3, (255, 0, 0)),
    "corner transform colour": lambda s, h: curvix.transform_into_rounded_rect(
        s, 8, (h(10), 20, 30, 200)),
    "outlined generator": lambda s, h: curvix._create_outlined_rounded_rect_sdf(
        (40, 30), 8, 3, (h(255), 0, 0, 200)),
}
# The filled generator converts nothing after it makes its surface but the
# colour's alpha, which pygame's fill converts again while it holds the pixels
# (pygame's own hazard, with a Surface factory of the caller's).
GENERATORS = {"outlined generator"}


def run_reinitialising(fake, case, size):
    """The call of `case` with items whose conversion re-initialises its
    surface at `size`, with the log, the surfaces involved and the target."""
    log = []
    pg = fake(log)
    target = pygame.Surface((40, 30), pygame.SRCALPHA)
    generator = case in GENERATORS
    surfaces = (lambda: pg.made) if generator else (lambda: [target])
    call = lambda: CALLS[case](  # noqa: E731
        None if generator else target, lambda v: Hostile(v, reinit(surfaces, size), log))
    return log, surfaces, target, call


@pytest.mark.parametrize("case", list(CALLS))
def test_a_surface_re_initialised_by_a_conversion_is_refused(fake, case):
    log, surfaces, _, call = run_reinitialising(fake, case, (1, 1))
    with pytest.raises(ValueError, match="which does not match the surface size 40 x 30"):
        call()
    # Every conversion ran before the first view was asked for.
    assert log.index("convert") < log.index("pixels3d")
    assert not any(s.get_locked() for s in surfaces())


@pytest.mark.parametrize("case", list(CALLS))
def test_a_surface_re_initialised_at_its_own_size_is_drawn_correctly(fake, case):
    _, _, target, call = run_reinitialising(fake, case, (40, 30))
    result = call()
    drawn = result if case in GENERATORS else target
    # The same call with plain integers on a fresh surface gives the same pixels.
    fresh = pygame.Surface((40, 30), pygame.SRCALPHA)
    expected = CALLS[case](fresh, int)
    expected = expected if case in GENERATORS else fresh
    assert pygame.image.tobytes(drawn, "RGBA") == pygame.image.tobytes(expected, "RGBA")


@pytest.mark.parametrize("transform", [
    lambda s, red: curvix.transform_into_outlined_rounded_rect(s, 8, 3, (red, 0, 0), (0, 0, 255, 200)),
    # pygame's fill converts the colour again while it holds the pixels: it
    # gets the numbers already converted instead.
    lambda s, red: curvix.transform_into_rounded_rect(s, 8, (red, 0, 0)),
    lambda s, red: curvix.transform_into_rounded_rect(s, 8, [0, 0, 0, red]),
])
def test_a_large_surface_freed_by_a_colour_raises_instead_of_being_written(transform):
    s = pygame.Surface((1024, 1024), pygame.SRCALPHA)

    class Red:
        def __int__(self):
            s.__init__((1, 1), pygame.SRCALPHA)
            return 255

        __index__ = __int__

    with pytest.raises(ValueError, match="does not match the surface size 1024 x 1024"):
        transform(s, Red())
    assert s.get_size() == (1, 1) and not s.get_locked()


# --- which error wins: a failing view still reports before a bad colour ---------

def test_outline_transform_calls_come_in_order(fake):
    log = []
    fake(log)
    surf = pygame.Surface((12, 12), pygame.SRCALPHA)
    red = Hostile(255, lambda: None, log)
    curvix.transform_into_outlined_rounded_rect(surf, 4, 2, (red, 0, 0), (Hostile(9, lambda: None, log), 5, 6))
    assert log == ["convert", "convert", "pixels3d", "pixels_alpha"]


@pytest.mark.parametrize("bad_colour", [None, (256, 0, 0), (0, 0), (0, 0, 0, -5)])
@pytest.mark.parametrize("failing", ["pixels3d", "pixels_alpha"])
def test_a_failing_view_reports_before_a_bad_colour(fake, bad_colour, failing):
    def views(name, surf):
        if name == failing:
            raise RuntimeError("view refused")
        return getattr(pygame.surfarray, name)(surf)

    pg = fake([], views)
    surf = pygame.Surface((12, 12), pygame.SRCALPHA)
    with pytest.raises(RuntimeError, match="view refused"):
        curvix.transform_into_outlined_rounded_rect(surf, 4, 2, bad_colour)
    with pytest.raises(RuntimeError, match="view refused"):
        curvix._create_outlined_rounded_rect_sdf((12, 12), 4, 2, bad_colour)
    assert not surf.get_locked() and not pg.made[0].get_locked()


def test_a_surface_without_per_pixel_alpha_reports_its_view_before_a_missing_colour():
    surf = pygame.Surface((12, 12))
    with pytest.raises(ValueError, match="unsupported colormasks for alpha reference array"):
        curvix.transform_into_outlined_rounded_rect(surf, 4, 2, None)


# --- views of any exporter and layout ---------------------------------------------

W, H = 21, 13
FUNCTIONS = {
    "corner transform": lambda s: curvix.transform_into_rounded_rect(s, (9, 3, 0, 6)),
    "corner transform colour": lambda s: curvix.transform_into_rounded_rect(s, 7, (9, 8, 7, 200)),
    "outline transform": lambda s: curvix.transform_into_outlined_rounded_rect(s, 6, 2.5, (250, 0, 0, 180)),
    "outline transform background": lambda s: curvix.transform_into_outlined_rounded_rect(
        s, (9, 3, 0, 6), 2.5, (250, 0, 0), (0, 90, 0, 128)),
    "outlined generator": lambda s: curvix._create_outlined_rounded_rect_sdf((W, H), 6, 2.5, (1, 2, 3)),
    "filled generator": lambda s: curvix._create_rounded_rect_surface_optimized((W, H), 6, (1, 2, 3, 99)),
}


def start_pixels():
    """Random content, [x][y][r, g, b, a]."""
    return np.random.default_rng(7).integers(0, 256, size=(W, H, 4), dtype=np.uint8)


def run_on(fake, fn, colour, alpha, surf=None):
    """Runs `fn` with the views replaced by `colour` and `alpha`."""
    fake([], lambda name, s: colour if name == "pixels3d" else alpha)
    fn(surf or pygame.Surface((W, H), pygame.SRCALPHA))


def expected_planes(fake, fn):
    """What `fn` leaves in separate, ordinary NumPy planes."""
    px = start_pixels()
    colour, alpha = px[:, :, :3].copy(), px[:, :, 3].copy()
    run_on(fake, fn, colour, alpha)
    return colour, alpha


def ctypes_array(values):
    """A C-contiguous ctypes array of the same shape and content; it exports no strides."""
    kind = ctypes.c_uint8
    for n in reversed(values.shape):
        kind = kind * n
    array = kind()
    ctypes.memmove(array, np.ascontiguousarray(values).ctypes.data, values.size)
    return array


@pytest.mark.parametrize("name", list(FUNCTIONS))
def test_ctypes_views_without_strides_are_written_like_numpy_ones(fake, name):
    colour, alpha = expected_planes(fake, FUNCTIONS[name])
    px = start_pixels()
    c_colour, c_alpha = ctypes_array(px[:, :, :3]), ctypes_array(px[:, :, 3])
    run_on(fake, FUNCTIONS[name], c_colour, c_alpha)
    got_colour = np.frombuffer(bytes(c_colour), np.uint8).reshape(W, H, 3)
    got_alpha = np.frombuffer(bytes(c_alpha), np.uint8).reshape(W, H)
    assert np.array_equal(got_colour, colour) and np.array_equal(got_alpha, alpha)


def guarded(buffer_size):
    """A buffer with 64 guard bytes on each side; returns it and its usable middle."""
    whole = np.random.default_rng(3).integers(0, 256, size=buffer_size + 128, dtype=np.uint8)
    return whole, whole[64:64 + buffer_size]


def strided(middle, offset, shape, strides):
    return as_strided(middle[offset:], shape=shape, strides=strides, writeable=True)


# Layouts as (buffer size, colour (offset, strides), alpha (offset, strides)),
# all within the buffer; several make cells share bytes.
LAYOUTS = {
    "rows overlap by one pixel": (4 * W + (H - 1) * (4 * W - 4), (0, (4, 4 * W - 4, 1)), (3, (4, 4 * W - 4))),
    "every row the same": (4 * W, (0, (4, 0, 1)), (3, (4, 0))),
    "every column the same": (4 * H, (0, (0, 4, 1)), (3, (0, 4))),
    "alpha is the red plane": (4 * W * H, (0, (4, 4 * W, 1)), (0, (4, 4 * W))),
    "channels overlap": (2 * W * H + 2, (0, (2, 2 * W, 1)), (1, (2, 2 * W))),
    "negative strides": (4 * W * H, (4 * W * H - 2, (-4 * H, -4, -1)), (4 * W * H - 1, (-4 * H, -4))),
    "transposed": (4 * W * H, (0, (4 * H, 4, 1)), (3, (4 * H, 4))),
}


@pytest.mark.parametrize("layout", list(LAYOUTS))
@pytest.mark.parametrize("name", list(FUNCTIONS))
def test_any_layout_is_written_only_inside_its_buffer(fake, name, layout):
    size, (c_off, c_strides), (a_off, a_strides) = LAYOUTS[layout]
    whole, middle = guarded(size)
    before = whole.copy()
    colour = strided(middle, c_off, (W, H, 3), c_strides)
    alpha = strided(middle, a_off, (W, H), a_strides)
    run_on(fake, FUNCTIONS[name], colour, alpha)
    assert np.array_equal(whole[:64], before[:64]) and np.array_equal(whole[-64:], before[-64:])


@pytest.mark.parametrize("layout", ["negative strides", "transposed"])
@pytest.mark.parametrize("name", list(FUNCTIONS))
def test_layouts_without_shared_bytes_give_the_ordinary_result(fake, name, layout):
    size, (c_off, c_strides), (a_off, a_strides) = LAYOUTS[layout]
    _, middle = guarded(size)
    colour = strided(middle, c_off, (W, H, 3), c_strides)
    alpha = strided(middle, a_off, (W, H), a_strides)
    px = start_pixels()
    colour[...], alpha[...] = px[:, :, :3], px[:, :, 3]
    run_on(fake, FUNCTIONS[name], colour, alpha)
    expected_colour, expected_alpha = expected_planes(fake, FUNCTIONS[name])
    assert np.array_equal(colour, expected_colour) and np.array_equal(alpha, expected_alpha)


# --- the views are proven live after the last getter ------------------------------

def replace_pixels(surf, holders):
    """Re-initialises `surf` at its own size; surfaces that take its old
    pixels in between go to `holders`, so that the new pixels lie elsewhere
    (the allocator may still hand the old block back: the result says)."""
    w, h = surf.get_size()
    old = surf._pixels_address
    pygame.Surface.__init__(surf, (1, 1), pygame.SRCALPHA)
    for _ in range(16):
        holders.append(pygame.Surface((w, h), pygame.SRCALPHA))
        if holders[-1]._pixels_address == old:
            break
    pygame.Surface.__init__(surf, (w, h), pygame.SRCALPHA)
    return surf._pixels_address != old


class ReinitOnView(pygame.Surface):
    """Replaces its pixels when pygame asks it for the view `kind`: before
    making it, or after (pygame's getter then exports the new pixels)."""

    def __init__(self, size, flags, when):
        super().__init__(size, flags)
        self.when, self.holders, self.moved = when, [], False

    def get_view(self, kind="2"):
        if (kind, "before") == self.when:
            self.moved = replace_pixels(self, self.holders)
        view = super().get_view(kind)
        if (kind, "after") == self.when:
            self.moved = replace_pixels(self, self.holders)
        return view


DRAWS = {
    "outline transform": lambda s: curvix.transform_into_outlined_rounded_rect(
        s, 8, 3, (255, 0, 0, 200), (0, 0, 255, 200)),
    "corner transform": lambda s: curvix.transform_into_rounded_rect(s, 8),
    "outlined generator": lambda s: curvix._create_outlined_rounded_rect_sdf((40, 30), 8, 3, (1, 2, 3)),
    "filled generator": lambda s: curvix._create_rounded_rect_surface_optimized((40, 30), 8, (1, 2, 3, 99)),
}


def draws_like_a_plain_surface(name, drawn):
    plain = pygame.Surface((40, 30), pygame.SRCALPHA)
    expected = DRAWS[name](plain) or plain
    return pygame.image.tobytes(drawn, "RGBA") == pygame.image.tobytes(expected, "RGBA")


@pytest.mark.parametrize("when, frees_colour", [
    (("A", "before"), True),
    (("A", "after"), True),
    (("3", "before"), False),  # both views are of the new pixels
])
@pytest.mark.parametrize("name", list(DRAWS))
def test_pixels_replaced_inside_a_view_getter_are_never_written(monkeypatch, name, when, frees_colour):
    made = []

    def factory(size, flags):
        made.append(ReinitOnView(size, flags, when))
        return made[-1]

    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=types.SimpleNamespace(
        Surface=factory, SRCALPHA=pygame.SRCALPHA, surfarray=pygame.surfarray)))
    target = ReinitOnView((40, 30), pygame.SRCALPHA, when)
    try:
        result = DRAWS[name](target)
        error = None
    except ValueError as e:
        result, error = None, e
    surf = made[0] if made else target
    # Refused exactly when the colour view was left on pixels that moved (the
    # filled generator takes the alpha view alone); otherwise drawn right.
    if frees_colour and surf.moved and name != "filled generator":
        assert "pixels were replaced while its views were taken" in str(error)
    else:
        assert error is None and draws_like_a_plain_surface(name, result or target)
    assert not any(s.get_locked() for s in made + [target])


def test_pygame_pixels_replaced_by_a_replaced_getter_are_never_written(fake):
    holders, moved = [], []

    def views(name, surf):
        if name == "pixels_alpha":
            moved.append(replace_pixels(surf, holders))
        return getattr(pygame.surfarray, name)(surf)

    fake([], views)
    surf = pygame.Surface((40, 30), pygame.SRCALPHA)
    try:
        DRAWS["outline transform"](surf)
        error = None
    except ValueError as e:
        error = e
    assert ("pixels were replaced while its views were taken" in str(error)) == moved[0]
    assert not surf.get_locked()


@pytest.mark.parametrize("call", [
    lambda s: curvix.transform_into_rounded_rect(s, 4, (1, 2, 3)),
    lambda s: curvix.transform_into_rounded_rect(s, 4),
    lambda s: curvix.transform_into_outlined_rounded_rect(s, 4, 1, (1, 2, 3)),
    lambda s: draw.rect(s, (1, 2, 3), (0, 0, 400, 400)),
    lambda s: draw.shadow(s, (1, 2, 3), (0, 0, 400, 400), 5),
])
def test_a_subsurface_whose_parent_was_re_initialised_is_never_written(monkeypatch, call):
    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=pygame))
    parent = pygame.Surface((1500, 1500), pygame.SRCALPHA)
    sub = parent.subsurface((10, 10, 500, 500))
    parent.__init__((10, 10), pygame.SRCALPHA)  # frees the pixels sub points into
    with pytest.raises(ValueError, match="re-initialised|replaced"):
        call(sub)
    assert not sub.get_locked() and not parent.get_locked()
