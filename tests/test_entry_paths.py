"""The generators' short cuts through pygame: attributes read from module
namespaces, NumPy views read without the buffer protocol, and the caller's
size tuple handed on.  Each must give what the plain way gives."""

import types

import numpy as np
import pygame
import pytest

from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]

FILLED = curvix._create_rounded_rect_surface_optimized
OUTLINED = curvix._create_outlined_rounded_rect_sdf


def alpha_of(surf):
    return pygame.surfarray.array_alpha(surf).copy()


def fake_pygame(module=None, **surfarray):
    """A stand-in for pygame: a module (or namespace) whose surfarray may differ."""
    fake = module or types.SimpleNamespace()
    fake.Surface, fake.SRCALPHA = pygame.Surface, pygame.SRCALPHA
    fake.surfarray = types.SimpleNamespace(pixels3d=surfarray.get("pixels3d", pygame.surfarray.pixels3d),
                                           pixels_alpha=surfarray.get("pixels_alpha",
                                                                      pygame.surfarray.pixels_alpha))
    return fake


class Array(np.ndarray):
    """An ndarray subclass: its pixels are reached through the buffer protocol."""


def subclass_view(getter):
    return lambda surf: getter(surf).view(Array)


@pytest.mark.parametrize("views", [
    {"pixels_alpha": subclass_view(pygame.surfarray.pixels_alpha)},
    {"pixels3d": subclass_view(pygame.surfarray.pixels3d),
     "pixels_alpha": subclass_view(pygame.surfarray.pixels_alpha)},
])
@pytest.mark.parametrize("call", [
    lambda: FILLED((31, 17), (9, 2.5, 0, 30), (10, 20, 30, 200)),
    lambda: OUTLINED((31, 17), 6, 2.5, (10, 20, 30, 200)),
], ids=["filled", "outlined"])
def test_views_through_the_buffer_protocol_draw_as_numpy_arrays_do(monkeypatch, views, call):
    expected = pygame.image.tobytes(call(), "RGBA")
    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=fake_pygame(**views)))
    assert pygame.image.tobytes(call(), "RGBA") == expected


def test_a_module_getattr_still_serves_what_the_namespace_lacks(monkeypatch):
    module = fake_pygame(types.ModuleType("lazy_pygame"))
    surfarray = module.surfarray
    del module.surfarray
    asked = []

    def module_getattr(name):
        asked.append(name)
        if name == "surfarray":
            return surfarray
        raise AttributeError(name)

    module.__getattr__ = module_getattr
    expected = alpha_of(FILLED((20, 10), 4, (1, 2, 3)))
    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=module))
    assert (alpha_of(FILLED((20, 10), 4, (1, 2, 3))) == expected).all()
    assert asked == ["surfarray"]
    del module.__getattr__
    with pytest.raises(AttributeError, match="surfarray"):
        FILLED((20, 10), 4, (1, 2, 3))


def test_a_module_subclass_is_asked_like_any_object(monkeypatch):
    class Module(types.ModuleType):
        def __getattribute__(self, name):
            if name == "SRCALPHA":
                raise RuntimeError("SRCALPHA asked")
            return super().__getattribute__(name)

    module = fake_pygame(Module("pygame_like"))
    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=module))
    with pytest.raises(RuntimeError, match="SRCALPHA asked"):
        FILLED((20, 10), 4, (1, 2, 3))


class Int(int):
    pass


@pytest.mark.parametrize("size, passed", [
    ((8, 6), (8, 6)),
    ((8.9, 6.2), (8, 6)),
    ((Int(8), 6), (8, 6)),
    ((8, 6, 99), (8, 6)),
    ((True, 6), (1, 6)),
])
@pytest.mark.parametrize("generator", [lambda s: FILLED(s, 2, (1, 2, 3)),
                                       lambda s: OUTLINED(s, 2, 1.0, (1, 2, 3))],
                         ids=["filled", "outlined"])
def test_the_surface_is_made_from_a_tuple_of_the_two_plain_ints(monkeypatch, size, passed, generator):
    seen = []

    def surface(size_arg, flags):
        seen.append(size_arg)
        return pygame.Surface(size_arg, flags)

    fake = fake_pygame()
    fake.Surface = surface
    monkeypatch.setattr(curvix, "md", types.SimpleNamespace(pygame=fake))
    generator(size)
    assert seen == [passed]
    assert type(seen[0]) is tuple and all(type(v) is int for v in seen[0])


@pytest.mark.parametrize("size", [(0, 5), (5, 0), (0, 0)])
def test_surfaces_without_pixels_are_made_and_transformed(size):
    # Their views point at small offsets from null: no plane may be derived
    # from them by pointer arithmetic (the sanitizer build checks).
    assert OUTLINED(size, 2, 1.0, (1, 2, 3)).get_size() == size
    assert FILLED(size, 2, (1, 2, 3)).get_size() == size
    surf = pygame.Surface(size, pygame.SRCALPHA)
    assert curvix.transform_into_rounded_rect(surf, 2, (1, 2, 3)) is None
    assert curvix.transform_into_outlined_rounded_rect(surf, 2, 1.0, (1, 2, 3), (4, 5, 6)) is None
