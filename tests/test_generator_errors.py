"""Bad arguments and failing pygame calls for both generators and their entry points."""

import traceback
import types

import numpy as np
import pygame
import pytest

from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]

FILLED = curvix._create_rounded_rect_surface_optimized
OUTLINED = curvix._create_outlined_rounded_rect_sdf
PREFIX = "zuvo_ui.fast.shapes.curvix."


class TupleSubclass(tuple):
    pass


class IntReturnsStr:
    def __int__(self):
        return "7"


OK_SIZE, OK_COLOR = (8, 6), (1, 2, 3)

CASES = [
    # (function, args, kwargs, exception, message)
    (FILLED, (), {}, TypeError,
     "_create_rounded_rect_surface_optimized() takes exactly 3 positional arguments (0 given)"),
    (FILLED, (OK_SIZE, 1, OK_COLOR, 4), {}, TypeError,
     "_create_rounded_rect_surface_optimized() takes exactly 3 positional arguments (4 given)"),
    (FILLED, (OK_SIZE,), {"color": OK_COLOR}, TypeError,
     "_create_rounded_rect_surface_optimized() takes exactly 3 positional arguments (1 given)"),
    (FILLED, (), {"radii_input": 1, "color": OK_COLOR}, TypeError,
     "_create_rounded_rect_surface_optimized() takes exactly 3 positional arguments (0 given)"),
    (FILLED, (OK_SIZE, 1, OK_COLOR), {"radius": 1}, TypeError,
     "_create_rounded_rect_surface_optimized() got an unexpected keyword argument 'radius'"),
    (FILLED, (OK_SIZE, 1), {"size": OK_SIZE}, TypeError,
     "_create_rounded_rect_surface_optimized() got multiple values for keyword argument 'size'"),
    (FILLED, ([8, 6], 1, OK_COLOR), {}, TypeError,
     "Argument 'size' has incorrect type (expected tuple, got list)"),
    (FILLED, (TupleSubclass((8, 6)), 1, OK_COLOR), {}, TypeError,
     "Argument 'size' has incorrect type (expected tuple, got TupleSubclass)"),
    (FILLED, (OK_SIZE, 1, [1, 2, 3]), {}, TypeError,
     "Argument 'color' has incorrect type (expected tuple, got list)"),
    (FILLED, (None, 1, OK_COLOR), {}, TypeError, "'NoneType' object is not subscriptable"),
    (FILLED, (OK_SIZE, 1, None), {}, TypeError, "object of type 'NoneType' has no len()"),
    (FILLED, ((8,), 1, OK_COLOR), {}, IndexError, "tuple index out of range"),
    (FILLED, ((2**31, 6), 1, OK_COLOR), {}, OverflowError, "value too large to convert to int"),
    (FILLED, ((8, -2**31 - 1), 1, OK_COLOR), {}, OverflowError, "value too large to convert to int"),
    (FILLED, (("eight", 6), 1, OK_COLOR), {}, ValueError, "invalid literal for int() with base 10: 'eight'"),
    (FILLED, (OK_SIZE, None, OK_COLOR), {}, TypeError, "object of type 'NoneType' has no len()"),
    (FILLED, (OK_SIZE, np.int64(3), OK_COLOR), {}, TypeError, "object of type 'numpy.int64' has no len()"),
    (FILLED, (OK_SIZE, "abcd", OK_COLOR), {}, TypeError, "must be real number, not str"),
    (FILLED, (OK_SIZE, (1, 2, 3, None), OK_COLOR), {}, TypeError, "must be real number, not NoneType"),
    (FILLED, (OK_SIZE, 1, (1, 2, 3, "x")), {}, TypeError, "an integer is required"),
    (FILLED, (OK_SIZE, 1, (1, 2, 3, IntReturnsStr())), {}, TypeError, "__int__ returned non-int (type str)"),
    (FILLED, (OK_SIZE, 1, (1, 2, 3, 2**31)), {}, OverflowError, "value too large to convert to int"),
    (OUTLINED, (OK_SIZE, 1, 1), {}, TypeError,
     "_create_outlined_rounded_rect_sdf() takes exactly 4 positional arguments (3 given)"),
    (OUTLINED, (OK_SIZE, 1, 1, OK_COLOR), {"colour": 1}, TypeError,
     "_create_outlined_rounded_rect_sdf() got an unexpected keyword argument 'colour'"),
    (OUTLINED, (OK_SIZE, "2", 1, OK_COLOR), {}, TypeError, "an integer is required"),
    (OUTLINED, (OK_SIZE, IntReturnsStr(), 1, OK_COLOR), {}, TypeError, "__int__ returned non-int (type str)"),
    (OUTLINED, (OK_SIZE, 2**40, 1, OK_COLOR), {}, OverflowError, "value too large to convert to int"),
    (OUTLINED, (OK_SIZE, 2, "1", OK_COLOR), {}, TypeError, "must be real number, not str"),
    (OUTLINED, ([8, 6], 2, 1, OK_COLOR), {}, TypeError, "Argument 'size' has incorrect type (expected tuple, got list)"),
    (OUTLINED, (OK_SIZE, 2, 1, [1, 2, 3]), {}, TypeError, "Argument 'color' has incorrect type (expected tuple, got list)"),
    (OUTLINED, (None, 2, 1, OK_COLOR), {}, TypeError, "'NoneType' object is not subscriptable"),
    (OUTLINED, (OK_SIZE, 2, 1, None), {}, TypeError, "object of type 'NoneType' has no len()"),
    (OUTLINED, ((8,), 2, 1, OK_COLOR), {}, IndexError, "tuple index out of range"),
    (OUTLINED, (OK_SIZE, 2, 1, (1, 2)), {}, IndexError, "tuple index out of range"),
    (OUTLINED, (OK_SIZE, 2, 1, (256, 0, 0)), {}, OverflowError, "value too large to convert to npy_uint8"),
    (OUTLINED, (OK_SIZE, 2, 1, (0, -1, 0)), {}, OverflowError, "can't convert negative value to npy_uint8"),
    (OUTLINED, (OK_SIZE, 2, 1, (0, 0, -2**70)), {}, OverflowError, "can't convert negative value to npy_uint8"),
    (OUTLINED, (OK_SIZE, 2, 1, (0, "x", 0)), {}, TypeError, "an integer is required"),
    (OUTLINED, (OK_SIZE, 2, 1, (0, 0, 0, 1.5e10)), {}, OverflowError, "value too large to convert to int"),
    (curvix.create_rounded_rect_surface, ((100, 40), 8, (255, 0, 0)), {}, TypeError,
     "Argument 'radii' has incorrect type (expected tuple, got int)"),
    (curvix.create_rounded_rect_surface, ((100, 40),), {}, TypeError,
     "create_rounded_rect_surface() takes exactly 3 positional arguments (1 given)"),
    (curvix._get_cached_rounded_rect_surface, (5, (1, 1, 1, 1), OK_COLOR), {}, TypeError,
     "Argument 'size' has incorrect type (expected tuple, got int)"),
    (curvix.create_outlined_rounded_rect_sdf, ((100, 40), 8, 1), {}, TypeError,
     "create_outlined_rounded_rect_sdf() takes exactly 4 positional arguments (3 given)"),
    (curvix.create_outlined_rounded_rect_sdf, ((100, 40), 8, 1, 5), {}, TypeError,
     "Argument 'color' has incorrect type (expected tuple, got int)"),
]


def function_name(fn):
    return getattr(fn, "__name__", None) or fn.__wrapped__.__name__


@pytest.mark.parametrize("fn, args, kwargs, exc, message", CASES)
def test_bad_arguments(fn, args, kwargs, exc, message):
    with pytest.raises(exc) as info:
        fn(*args, **kwargs)
    assert str(info.value) == message
    entries = [frame.name for frame in traceback.extract_tb(info.value.__traceback__)]
    assert PREFIX + function_name(fn) in entries


def test_failures_pass_through_every_entry_point_in_the_traceback():
    with pytest.raises(OverflowError) as info:
        curvix.create_outlined_rounded_rect_sdf((8, 6), 2, 1, (300, 0, 0))
    entries = [frame.name for frame in traceback.extract_tb(info.value.__traceback__)]
    names = [e[len(PREFIX):] for e in entries if e.startswith(PREFIX)]
    assert names == ["create_outlined_rounded_rect_sdf", "_get_cached_outlined_rounded_rect_sdf",
                     "_create_outlined_rounded_rect_sdf"]


class FakePygame(types.SimpleNamespace):
    """pygame with its surfarray views replaced; records the surfaces it makes."""

    def __init__(self, pixels3d=None, pixels_alpha=None):
        self.made = []

        def surface(size, flags):
            surf = pygame.Surface(size, flags)
            self.made.append(surf)
            return surf

        super().__init__(Surface=surface, SRCALPHA=pygame.SRCALPHA, made=self.made,
                         surfarray=types.SimpleNamespace(
                             pixels3d=pixels3d or pygame.surfarray.pixels3d,
                             pixels_alpha=pixels_alpha or pygame.surfarray.pixels_alpha))


def failing_view(_surf):
    raise RuntimeError("view refused")


VIEW_CASES = [
    (lambda s: np.zeros((8, 6), np.float64), ValueError,
     "Buffer dtype mismatch, expected 'npy_uint8' but got 'double'"),
    (lambda s: np.zeros((8, 6), np.int8), ValueError,
     "Buffer dtype mismatch, expected 'npy_uint8' but got 'signed char'"),
    (lambda s: np.zeros((8, 6, 1), np.uint8), ValueError,
     "Buffer has wrong number of dimensions (expected 2, got 3)"),
    (lambda s: np.zeros((4, 6), np.uint8), ValueError,
     "pixels_alpha view is 4 x 6, which does not match the surface size 8 x 6"),
    (lambda s: np.zeros((8, 5), np.uint8), ValueError,
     "pixels_alpha view is 8 x 5, which does not match the surface size 8 x 6"),
    (lambda s: bytes(48), BufferError, None),
    (failing_view, RuntimeError, "view refused"),
]


@pytest.mark.parametrize("make_view, exc, message", VIEW_CASES)
@pytest.mark.parametrize("generator", ["filled", "outlined"])
def test_bad_alpha_views_are_refused_and_released(monkeypatch, generator, make_view, exc, message):
    fake = FakePygame(pixels_alpha=make_view)
    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=fake))
    with pytest.raises(exc) as info:
        if generator == "filled":
            FILLED((8, 6), 3, (1, 2, 3))
        else:
            OUTLINED((8, 6), 3, 1, (1, 2, 3))
    if message:
        assert str(info.value) == message
    # The colour view taken before the failure has been released.
    assert [s.get_locked() for s in fake.made] == [False]


@pytest.mark.parametrize("make_view, message", [
    (lambda s: np.zeros((8, 6), np.uint8), "Buffer has wrong number of dimensions (expected 3, got 2)"),
    (lambda s: np.zeros((8, 6, 2), np.uint8),
     "pixels3d view is 8 x 6 x 2, which does not match the surface size 8 x 6"),
])
def test_bad_colour_views_are_refused(monkeypatch, make_view, message):
    fake = FakePygame(pixels3d=make_view)
    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=fake))
    with pytest.raises(ValueError) as info:
        OUTLINED((8, 6), 3, 1, (1, 2, 3))
    assert str(info.value) == message
    assert [s.get_locked() for s in fake.made] == [False]


def test_read_only_views_are_refused(monkeypatch):
    def read_only(_surf):
        view = np.zeros((8, 6), np.uint8)
        view.flags.writeable = False
        return view

    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=FakePygame(pixels_alpha=read_only)))
    with pytest.raises(ValueError):
        FILLED((8, 6), 3, (1, 2, 3))


def pygame_error(action):
    try:
        action()
    except Exception as exc:  # noqa: BLE001 - whatever pygame raises is the expectation
        return type(exc), str(exc)
    raise AssertionError("pygame accepted it")


@pytest.mark.parametrize("call, own", [
    (lambda: FILLED((-1, 5), 1, (1, 2, 3)), lambda: pygame.Surface((-1, 5), pygame.SRCALPHA)),
    (lambda: FILLED((5, 5), 1, (1, 2, 3, 300)),
     lambda: pygame.Surface((5, 5), pygame.SRCALPHA).fill((1, 2, 3, 300))),
    (lambda: FILLED((5, 5), 1, (1, 2)), lambda: pygame.Surface((5, 5), pygame.SRCALPHA).fill((1, 2))),
])
def test_pygame_errors_pass_through_unchanged(call, own):
    assert pygame_error(call) == pygame_error(own)
