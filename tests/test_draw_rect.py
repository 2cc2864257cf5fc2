"""draw.rect against a float64 model of its geometry and blending, and
against pygame.draw.rect's own argument handling."""

import math

import numpy as np
import pygame
import pytest

import isolated
from zuvo_ui.fast.shapes import draw

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]

W, H = 48, 36
RGBA_MASKS = (0xFF, 0xFF00, 0xFF0000, 0xFF000000)


def surface(kind):
    """A surface of `kind` with random content, and the surface drawn on."""
    if kind == "subsurface":
        parent = pygame.Surface((W + 9, H + 7), pygame.SRCALPHA)
        target = parent.subsurface((5, 3, W, H))
    else:
        parent = {
            "alpha bgra": lambda: pygame.Surface((W, H), pygame.SRCALPHA),
            "alpha rgba": lambda: pygame.Surface((W, H), pygame.SRCALPHA, 32, RGBA_MASKS),
            "opaque 32": lambda: pygame.Surface((W, H)),
            "opaque 24": lambda: pygame.Surface((W, H), 0, 24),
        }[kind]()
        target = parent
    pw, ph = parent.get_size()
    noise = np.random.default_rng(5).integers(0, 256, (ph, pw, 4), dtype=np.uint8)
    parent.blit(pygame.image.frombuffer(noise.tobytes(), (pw, ph), "RGBA"), (0, 0))
    return parent, target


def rgba(surf):
    """[y][x][r, g, b, a] as floats (alpha 255 without per-pixel alpha)."""
    w, h = surf.get_size()
    if surf.get_flags() & pygame.SRCALPHA:
        return np.frombuffer(pygame.image.tobytes(surf, "RGBA"), np.uint8).reshape(h, w, 4).astype(float)
    rgb = np.frombuffer(pygame.image.tobytes(surf, "RGB"), np.uint8).reshape(h, w, 3)
    return np.dstack([rgb, np.full((h, w), 255, np.uint8)]).astype(float)


def sdf(px, py, box, radius):
    """Signed distance of the rounded box (x0, y0, x1, y1) with the radius of
    each point's quadrant ([tl, tr, br, bl])."""
    x0, y0, x1, y1 = box
    cx, cy, bx, by = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2
    r = np.select([(px < cx) & (py < cy), py < cy, px < cx], [radius[0], radius[1], radius[3]], radius[2])
    qx, qy = np.abs(px - cx) - bx + r, np.abs(py - cy) - by + r
    return np.hypot(np.maximum(qx, 0), np.maximum(qy, 0)) + np.minimum(np.maximum(qx, qy), 0) - r


def model(before, has_alpha, colour, box, radius, width=0.0, border=None, blend=True):
    """What draw.rect should leave: [y][x][r, g, b, a] floats, and the coverage."""
    py, px = np.mgrid[0:H, 0:W] + 0.5
    x0, y0, x1, y1 = box
    half = min(x1 - x0, y1 - y0) / 2
    radius = [min(max(r, 0), half) for r in radius]
    outer = np.clip(0.5 - sdf(px, py, box, radius), 0, 1)
    if 0 < width < half:
        inset = (x0 + width, y0 + width, x1 - width, y1 - width)
        inner = np.clip(0.5 - sdf(px, py, inset, [max(r - width, 0) for r in radius]), 0, 1)
        ring, inside = np.clip(outer - inner, 0, 1), (inner if border else 0 * inner)
    else:
        ring, inside = outer, 0 * outer
    ring_colour = np.array(border if (border and 0 < width < half) else colour, float)
    inside_colour = np.array(colour, float)
    d = before.copy()
    cover = ring + inside
    if blend:
        ra, ia = ring * ring_colour[3] / 255, inside * inside_colour[3] / 255
        sa = (ra + ia)[..., None]
        source = ring_colour[:3] * ra[..., None] + inside_colour[:3] * ia[..., None]
        if has_alpha:
            keep = d[..., 3:] / 255 * (1 - sa)
            out_a = sa + keep
            rgb = np.where(out_a > 0, (source + d[..., :3] * keep) / np.where(out_a > 0, out_a, 1), d[..., :3])
            d[..., :3], d[..., 3:] = rgb, out_a * 255
        else:
            d[..., :3] = source + d[..., :3] * (1 - sa)
    else:
        total = np.where(cover > 0, cover, 1)[..., None]
        target = (ring_colour * ring[..., None] + inside_colour * inside[..., None]) / total
        moved = d + (target - d) * np.minimum(cover, 1)[..., None]
        d[..., :3] = moved[..., :3]
        if has_alpha:
            d[..., 3] = moved[..., 3]
    d = np.where((cover > 0)[..., None], d, before)
    return d, cover


# (colour, rect, width, radii (border_radius, top-left, top-right, bottom-left, bottom-right), border_color, blend)
CASES = {
    "integer, square": ((200, 100, 50), (3, 4, 30, 20), 0, (0,), None, True),
    "fractional, rounded": ((20, 200, 90), (2.3, 1.7, 40.4, 30.2), 0, (7.5,), None, True),
    "translucent": ((250, 10, 60, 128), (4.5, 3.25, 37, 25.5), 0, (9,), None, True),
    "per corner": ((10, 20, 250, 200), (1, 2, 44, 31), 0, (0, 0, 6, 2.5, 14), None, True),
    "pygame's broken negative radius": ((90, 90, 9), (5, 5, 30, 24), 0, (-3, 8, -1, -1, 4), None, True),
    "pill": ((255, 255, 255, 90), (6.5, 8, 36, 17), 0, (1000,), None, True),
    "negative size": ((1, 2, 3), (40.5, 30.5, -31, -22.2), 0, (5,), None, True),
    "stroke 1.5": ((240, 240, 0), (3.5, 2.5, 40, 30), 1.5, (6,), None, True),
    "stroke and fill": ((30, 60, 250, 220), (2.2, 3.1, 43, 31), 2.75, (10, 0, -1, 4, -1), (250, 0, 0, 160), True),
    "wide stroke fills": ((0, 200, 0), (4, 4, 20, 12), 7, (3,), None, True),
    "no blend, translucent": ((200, 0, 200, 60), (3.6, 2.4, 38, 28), 0, (11,), None, False),
    "no blend, stroke and fill": ((0, 0, 0, 0), (2.5, 2.5, 41, 30), 3.5, (8,), (255, 128, 0, 255), False),
}
KINDS = ["alpha bgra", "alpha rgba", "opaque 32", "opaque 24", "subsurface"]


def call(target, case):
    colour, rect, width, radii, border, blend = CASES[case]
    kwargs = {"border_color": border} if border else {}
    return draw.rect(target, colour, rect, width, *radii, blend=blend, **kwargs)


def expected(case, before, has_alpha):
    colour, (x, y, w, h), width, radii, border, blend = CASES[case]
    box = (min(x, x + w), min(y, y + h), max(x, x + w), max(y, y + h))
    shared = radii[0] if radii[0] >= 1 else 0
    corners = list(radii[1:]) + [-1] * (5 - len(radii))
    tl, tr, bl, br = (c if c >= 0 else shared for c in corners)
    return model(before, has_alpha, tuple(colour) + (255,) * (4 - len(colour)), box,
                 [tl, tr, br, bl], width, border, blend)


@pytest.mark.parametrize("kind", KINDS)
@pytest.mark.parametrize("case", list(CASES))
def test_pixels_follow_the_model(kind, case):
    parent, target = surface(kind)
    outside = rgba(parent)
    before = rgba(target)
    has_alpha = bool(target.get_flags() & pygame.SRCALPHA)
    drawn = call(target, case)
    want, cover = expected(case, before, has_alpha)
    got = rgba(target)
    assert np.abs(got - want).max() <= 1
    ys, xs = np.nonzero(cover > 0)
    assert tuple(drawn) == (xs.min(), ys.min(), xs.max() + 1 - xs.min(), ys.max() + 1 - ys.min())
    if target is not parent:  # nothing of the parent outside the subsurface changed
        x0, y0 = target.get_offset()
        after = rgba(parent)
        after[y0:y0 + H, x0:x0 + W] = outside[y0:y0 + H, x0:x0 + W]
        assert np.array_equal(after, outside)
    assert not target.get_locked() and not parent.get_locked()


def test_an_integer_rect_covers_what_pygame_fills():
    for kind in ["alpha bgra", "opaque 32", "opaque 24"]:
        ours, theirs = surface(kind)[1], surface(kind)[1]
        for rect in [(3, 4, 30, 20), (-5, 10, 20, 50), (0, 0, W, H), (7, 7, 1, 1)]:
            assert tuple(draw.rect(ours, (9, 200, 30), rect)) == tuple(pygame.draw.rect(theirs, (9, 200, 30), rect))
        assert pygame.image.tobytes(ours, "RGBA") == pygame.image.tobytes(theirs, "RGBA")


def test_only_the_clip_rect_changes():
    _, target = surface("alpha bgra")
    target.set_clip((10, 5, 20, 12))
    before = rgba(target)
    drawn = draw.rect(target, (255, 0, 0, 200), (0.5, 0.5, 47, 35), 0, 6)
    after = rgba(target)
    changed = np.argwhere((after != before).any(axis=2))
    assert tuple(drawn) == (10, 5, 20, 12)
    assert changed[:, 1].min() >= 10 and changed[:, 1].max() < 30
    assert changed[:, 0].min() >= 5 and changed[:, 0].max() < 17


def test_nothing_drawn_returns_an_empty_rect_at_the_position():
    _, target = surface("opaque 32")
    before = rgba(target)
    assert tuple(draw.rect(target, (1, 2, 3), (5.7, 6.2, 10, 10), -1)) == (5, 6, 0, 0)
    assert tuple(draw.rect(target, (1, 2, 3), (500, -90, 10, 10))) == (500, -90, 0, 0)
    assert tuple(draw.rect(target, (1, 2, 3), (1e200, -1e200, 1e300, 1e300))) == (2147483647, -2147483648, 0, 0)
    assert np.array_equal(rgba(target), before)
    for empty in [(0, 0), (0, 5), (5, 0)]:  # surfaces without pixels
        for fn in (draw.rect, draw.shadow):
            assert tuple(fn(pygame.Surface(empty), (1, 2, 3), (1, 2, 3, 3), 2)) == (1, 2, 0, 0)


def test_huge_rects_are_clipped_not_overflowed():
    _, target = surface("opaque 32")
    assert tuple(draw.rect(target, (7, 8, 9), (-1e300, -1e300, 2e300, 2e300), 0, 1e300)) == (0, 0, W, H)
    assert (rgba(target)[..., :3] == (7, 8, 9)).all()


def raised(fn):
    try:
        fn()
    except Exception as e:  # noqa: BLE001 - the exception is the result compared
        return type(e), str(e)
    return None


@pytest.mark.parametrize("colour", [None, "nonsense", "#12", (1, 2), (1, 2, 3, 4, 5), (256, 0, 0), (-1, 0, 0),
                                    1.5, object(), 2**40])
def test_a_bad_colour_raises_what_pygame_raises(colour):
    target = surface("opaque 32")[1]
    theirs = raised(lambda: pygame.draw.rect(target, colour, (1, 1, 5, 5)))
    assert raised(lambda: draw.rect(target, colour, (1, 1, 5, 5))) == theirs
    if colour is not None:  # None is no border colour
        assert raised(lambda: draw.rect(target, (1, 2, 3), (1, 1, 5, 5), 1, border_color=colour)) == theirs


@pytest.mark.parametrize("rect, error", [
    ((1, 2, 3), TypeError), ("abcd", TypeError), ((1, 2, "3", 4), TypeError), (None, TypeError),
    (((1, 2), (3,)), TypeError), ((math.nan, 1, 2, 3), ValueError), ((1, math.inf, 2, 3), ValueError),
    ((1, 2, 10**400, 3), ValueError),
])
def test_a_bad_rect_is_refused(rect, error):
    target = surface("opaque 32")[1]
    with pytest.raises(error):
        draw.rect(target, (1, 2, 3), rect)
    if error is TypeError:
        with pytest.raises(TypeError, match="rect argument is invalid"):
            pygame.draw.rect(target, (1, 2, 3), rect)


class Box:
    def __init__(self, rect):
        self.rect = rect


@pytest.mark.parametrize("rect", [pygame.Rect(3, 4, 20, 10), [[3, 4], [20, 10]], [(3, 4, 20, 10)],
                                  Box((3, 4, 20, 10)), Box(lambda: pygame.Rect(3, 4, 20, 10))])
def test_every_rect_pygame_takes_is_taken(rect):
    target = surface("opaque 32")[1]
    assert tuple(draw.rect(target, (1, 2, 3), rect)) == (3, 4, 20, 10)


class FailingPair:
    """A two-item rect whose first item raises."""

    def __init__(self):
        self.asked = []

    def __len__(self):
        return 2

    def __getitem__(self, i):
        self.asked.append(i)
        if i == 0:
            raise KeyError("first")
        return (1, 2)


def test_no_caller_code_runs_with_an_error_pending():
    pair = FailingPair()
    with pytest.raises(TypeError, match="rect argument is invalid"):
        draw.rect(surface("opaque 32")[1], (1, 2, 3), pair)
    assert pair.asked == [0]


def test_the_callers_rect_never_changes():
    rect = pygame.Rect(30, 20, -10, -8)
    draw.rect(surface("opaque 32")[1], (1, 2, 3), rect)
    assert tuple(rect) == (30, 20, -10, -8)


@pytest.mark.parametrize("args, error", [
    ((5, (1, 2, 3), (0, 0, 2, 2)), TypeError),
    ((pygame.Surface((4, 4), 0, 8), (1, 2, 3), (0, 0, 2, 2)), ValueError),
    ((pygame.Surface((4, 4), 0, 16), (1, 2, 3), (0, 0, 2, 2)), ValueError),
    ((pygame.Surface((4, 4)), (1, 2, 3), (0, 0, 2, 2), math.nan), ValueError),
    ((pygame.Surface((4, 4)), (1, 2, 3), (0, 0, 2, 2), 1, math.inf), ValueError),
])
def test_bad_surfaces_and_numbers_raise_and_leave_the_surface_unlocked(args, error):
    with pytest.raises(error):
        draw.rect(*args)
    if isinstance(args[0], pygame.Surface):
        assert not args[0].get_locked()


def test_a_subclass_cannot_replace_the_locking():
    class Sneaky(pygame.Surface):
        def lock(self):
            raise AssertionError("not pygame's lock")

        unlock = lock

    s = Sneaky((10, 10))
    assert tuple(draw.rect(s, (1, 2, 3), (1, 1, 5, 5))) == (1, 1, 5, 5)
    assert not s.get_locked()


def test_needs_nothing_but_pygame_and_refuses_a_display_surface_that_quit():
    out = isolated.run("""
        import sys
        import pygame
        from zuvo_ui.fast.shapes import draw
        pygame.display.init()
        screen = pygame.display.set_mode((40, 30))
        print(tuple(draw.rect(screen, (255, 0, 0), (2.5, 2.5, 20, 10), 0, 4)), tuple(screen.get_at((10, 5))))
        pygame.display.quit()
        for fn in (draw.rect, draw.shadow):
            try:
                fn(screen, (1, 2, 3), (0, 0, 4, 4), 3)
            except pygame.error as e:
                print(e)
        print("zuvo_ui.core.modules" in sys.modules)
    """)
    assert out.splitlines() == ["(2, 2, 21, 11) (255, 0, 0, 255)", "display Surface quit",
                                "display Surface quit", "False"]
