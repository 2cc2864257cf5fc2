"""The memoised entry points of both generators."""

import functools

import pygame
import pytest

from zuvo_ui.fast.shapes import curvix

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]


@pytest.fixture(autouse=True)
def empty_memos():
    curvix._get_cached_rounded_rect_surface.cache_clear()
    curvix._get_cached_outlined_rounded_rect_sdf.cache_clear()


def pixels(surf):
    return pygame.image.tobytes(surf, "RGBA")


FILLED = curvix.create_rounded_rect_surface
OUTLINED = curvix.create_outlined_rounded_rect_sdf


@pytest.mark.parametrize("name", ["_get_cached_rounded_rect_surface",
                                  "_get_cached_outlined_rounded_rect_sdf"])
def test_memos_are_lru_caches_of_256(name):
    wrapper = getattr(curvix, name)
    assert isinstance(wrapper, functools._lru_cache_wrapper)
    assert wrapper.cache_info().maxsize == 256
    assert wrapper.__wrapped__.__module__ == "zuvo_ui.fast.shapes.curvix"


@pytest.mark.parametrize("first, second", [
    ((FILLED, (100, 40), [8, 8, 0, 0], (255, 0, 0)), (FILLED, (100, 40), (8, 8, 0, 0), (255, 0, 0))),
    ((FILLED, (100, 40), (8, 8, 8, 8), (1, 2, 3)), (FILLED, (100.0, 40.0), (8, 8, 8, 8), (1, 2, 3))),
    ((OUTLINED, (50, 20), 5, 2, (0, 0, 0)), (OUTLINED, (50, 20), 5.0, 2, (0, 0, 0))),
    ((OUTLINED, (50, 20), 5, 2, (0, 0, 0)), (OUTLINED, (50, 20), 5, 2.0, (0, 0, 0))),
])
def test_equal_keys_share_one_surface(first, second):
    a = first[0](*first[1:])
    assert second[0](*second[1:]) is a


def test_float_size_key_gives_an_integer_surface():
    assert FILLED((100.0, 40.0), (8, 8, 8, 8), (1, 2, 3)).get_size() == (100, 40)


@pytest.mark.parametrize("a, b", [
    ((FILLED, (100, 40), (8, 8, 8, 8), (255, 0, 0)), (FILLED, (100, 40), (8, 8, 8, 8), (255, 0, 0, 255))),
    # 5.5 is its own key although the generator receives radius 5.
    ((OUTLINED, (50, 20), 5, 2, (0, 0, 0)), (OUTLINED, (50, 20), 5.5, 2, (0, 0, 0))),
])
def test_distinct_keys_give_distinct_surfaces_with_equal_pixels(a, b):
    sa, sb = a[0](*a[1:]), b[0](*b[1:])
    assert sa is not sb
    assert pixels(sa) == pixels(sb)


def test_radius_5_9_draws_as_radius_5():
    assert pixels(OUTLINED((50, 20), 5.9, 2, (0, 0, 0))) == pixels(
        curvix._create_outlined_rounded_rect_sdf((50, 20), 5, 2, (0, 0, 0)))


@pytest.mark.parametrize("call, other", [
    (lambda i: FILLED((10, 10), (2, 2, 2, 2), (1, 2, 3)), lambda i: FILLED((10 + i, 10), (2, 2, 2, 2), (1, 2, 3))),
    (lambda i: OUTLINED((10, 10), 2, 1, (1, 2, 3)), lambda i: OUTLINED((10 + i, 10), 2, 1, (1, 2, 3))),
])
def test_least_recently_used_entry_is_evicted_after_256_others(call, other):
    first = call(0)
    for i in range(1, 256):
        other(i)
    assert call(0) is first  # 255 other keys: still stored (and now most recent)
    for i in range(256, 512):
        other(i)
    again = call(0)
    assert again is not first
    assert pixels(again) == pixels(first)


def test_drawing_on_a_memoised_surface_is_seen_by_later_callers():
    surf = FILLED((20, 10), (3, 3, 3, 3), (0, 0, 255))
    surf.fill((9, 9, 9, 9), pygame.Rect(5, 5, 2, 2))
    assert FILLED((20, 10), [3, 3, 3, 3], (0, 0, 255)).get_at((5, 5)) == (9, 9, 9, 9)


@pytest.mark.parametrize("call", [
    lambda: FILLED([100, 40], (8, 8, 8, 8), (1, 2, 3)),
    lambda: FILLED((100, 40), (8, 8, 8, 8), [1, 2, 3]),
    lambda: curvix._get_cached_rounded_rect_surface((100, 40), [8, 8, 8, 8], (1, 2, 3)),
    lambda: OUTLINED([50, 20], 5, 2, (0, 0, 0)),
    lambda: OUTLINED((50, 20), 5, 2, [0, 0, 0]),
])
def test_unhashable_keys_are_refused_by_the_memo(call):
    with pytest.raises(TypeError, match="unhashable type: 'list'"):
        call()
    assert curvix._get_cached_rounded_rect_surface.cache_info().currsize == 0
    assert curvix._get_cached_outlined_rounded_rect_sdf.cache_info().currsize == 0


@pytest.mark.parametrize("call, wrapper", [
    (lambda: FILLED((10, 10), 8, (1, 2, 3)), curvix._get_cached_rounded_rect_surface),
    (lambda: FILLED((10, 10), (1, 1, 1, 1), (1, 2, 3, 2**40)), curvix._get_cached_rounded_rect_surface),
    (lambda: OUTLINED((10, 10), 2, 1, (256, 0, 0)), curvix._get_cached_outlined_rounded_rect_sdf),
    (lambda: OUTLINED((10, 10), "2", 1, (1, 0, 0)), curvix._get_cached_outlined_rounded_rect_sdf),
])
def test_a_failed_generation_is_not_stored(call, wrapper):
    for _ in range(2):
        with pytest.raises((TypeError, OverflowError)):
            call()
    info = wrapper.cache_info()
    assert (info.currsize, info.hits, info.misses) == (0, 0, 2)


def test_entry_points_look_up_the_memo_at_call_time(monkeypatch):
    calls = []
    monkeypatch.setattr(curvix, "_get_cached_rounded_rect_surface", lambda *a: calls.append(a) or "x")
    monkeypatch.setattr(curvix, "_get_cached_outlined_rounded_rect_sdf", lambda *a: calls.append(a) or "y")
    assert FILLED(size=(1, 2), radii_input=[3], color=None) == "x"
    assert OUTLINED((1, 2), 3, width=4, color=5) == "y"
    assert calls == [((1, 2), (3,), None), ((1, 2), 3, 4, 5)]


def test_md_pygame_is_looked_up_at_call_time(monkeypatch):
    class Registry:
        pass

    monkeypatch.setattr(curvix, "md", Registry())
    with pytest.raises(AttributeError, match="pygame"):
        curvix._create_rounded_rect_surface_optimized((4, 4), 1, (1, 2, 3))
    Registry.pygame = pygame
    assert curvix._create_rounded_rect_surface_optimized((4, 4), 1, (1, 2, 3)).get_size() == (4, 4)
