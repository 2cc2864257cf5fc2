"""Menu drawing: the exact call sequence of each back end, argument errors,
and the drawing state put back when a step fails."""

import builtins

import pytest

from panelix_host import PREFIX, clean_host, tb_names  # noqa: F401 (fixture)
from zuvo_standin import recorder
from zuvo_ui.fast.raylib import zuvo_raylib
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvrect.zvrect import ZvRect
from zuvo_ui.fast.zvrendertex import zv_render_tex
from zuvo_ui.fast.zvspecific import panelix
from zuvo_ui.fast.zvvector2 import zvvector2
from zuvo_ui.fast.zvvector2.zvvector2 import ZvVector2

pytestmark = [pytest.mark.py313, pytest.mark.clang]

ZvRenderTexture = zv_render_tex.ZvRenderTexture
TEXTURE = "zuvo_ui.fast.zvrendertex.zv_render_tex.ZvRenderTexture"


class Layout(ZuvoCobject):
    def _rl_predraw_widgets(self):
        recorder.calls.append(("_rl_predraw_widgets", (self,)))


class Menu:
    """A menu for every back end; records which of its attributes are read."""

    def __init__(self, layout=None, **attrs):
        self._surface = ZvRenderTexture(64, 32, "menu")
        self.absolute_coordinates = ZvVector2(12, 34)
        self._layout = layout
        self.__dict__.update(attrs)
        self.reads = []

    def __getattribute__(self, name):
        if not name.startswith("__") and name != "reads":
            object.__getattribute__(self, "reads").append(name)
        return object.__getattribute__(self, name)


def names():
    return recorder.names()


# --- raylib ----------------------------------------------------------------

RAYLIB_SEQUENCE = ["begin_texture_mode", "c_clear_background_blank", "begin_blend_mode",
                   "c_fast_zvblit", "end_blend_mode", "end_texture_mode", "c_fast_zvblit"]


def test_raylib_without_layout():
    menu, bg = Menu(), ZvRenderTexture(64, 32, "bg")
    assert panelix.menu_draw_raylib(menu, bg) is None
    reads = list(menu.reads)
    assert names() == RAYLIB_SEQUENCE
    calls = dict(enumerate(args for _, args in recorder.calls))
    tex = menu._surface
    assert calls[0] == (tex,) and calls[2] == (5,)
    _, source, origin, blend, flip, white = calls[3]
    assert (source, blend, flip) == (bg, -1, 1)
    assert type(origin) is ZvVector2 and (origin.x, origin.y) == (0.0, 0.0)
    assert calls[6] == (tex, tex, menu.absolute_coordinates, 5, 1, white)
    assert (white.x, white.y, white.w, white.h) == (255.0,) * 4
    assert reads == ["_surface", "absolute_coordinates", "_layout"]
    assert zuvo_raylib.texture_stack() == [] and zuvo_raylib.blend_stack() == []


def test_raylib_with_layout():
    layout = Layout()
    menu = Menu(layout)
    panelix.menu_draw_raylib(menu, ZvRenderTexture())
    assert names() == ["_rl_predraw_widgets"] + RAYLIB_SEQUENCE[:4] + ["draw"] + RAYLIB_SEQUENCE[4:]
    assert recorder.calls[5] == ("draw", (layout,)) and layout.draw_count == 1
    assert menu.reads == ["_surface", "absolute_coordinates", "_layout", "_layout"]


def test_raylib_reaches_a_python_draw_override():
    class Drawn(Layout):
        def draw(self):
            recorder.calls.append(("Drawn.draw", (self,)))

    panelix.menu_draw_raylib(Menu(Drawn()), ZvRenderTexture())
    assert names()[5] == "Drawn.draw"


def test_raylib_makes_a_new_origin_vector_and_keeps_white():
    menu = Menu()
    panelix.menu_draw_raylib(menu, ZvRenderTexture())
    panelix.menu_draw_raylib(menu, ZvRenderTexture())
    blits = [args for name, args in recorder.calls if name == "c_fast_zvblit"]
    assert blits[0][2] is not blits[2][2]
    assert blits[0][5] is blits[1][5] is blits[2][5]


def test_raylib_passes_absent_coordinates_on():
    menu = Menu(absolute_coordinates=None)
    panelix.menu_draw_raylib(menu, ZvRenderTexture())
    assert recorder.calls[-1][1][2] is None


@pytest.mark.parametrize("attrs, message", [
    ({"_surface": None}, f"Cannot convert NoneType to {TEXTURE}"),
    ({"_surface": 3}, f"Cannot convert int to {TEXTURE}"),
    ({"absolute_coordinates": (1, 2)},
     "Cannot convert tuple to zuvo_ui.fast.zvvector2.zvvector2.ZvVector2"),
    ({"_layout": "layout"}, "Cannot convert str to zuvo_ui.fast.zuvocobj.zuvocobj.ZuvoCobject"),
])
def test_raylib_refuses_wrong_menu_attributes_before_drawing(attrs, message):
    with pytest.raises(TypeError) as info:
        panelix.menu_draw_raylib(Menu(**attrs), ZvRenderTexture())
    assert str(info.value) == message
    assert names() == []
    assert PREFIX + "_menu_draw_raylib" in tb_names(info.value)


@pytest.mark.parametrize("fail, skip, expected, left_open", [
    ("begin_texture_mode", 0, ["begin_texture_mode"], 0),
    ("begin_blend_mode", 0, RAYLIB_SEQUENCE[:3] + ["end_texture_mode"], 0),
    ("c_fast_zvblit", 0, RAYLIB_SEQUENCE[:4] + ["end_blend_mode", "end_texture_mode"], 0),
    ("draw", 0, RAYLIB_SEQUENCE[:4] + ["draw", "end_blend_mode", "end_texture_mode"], 0),
    # A failed end is the host's failure: it is not tried a second time.
    ("end_texture_mode", 0, RAYLIB_SEQUENCE[:4] + ["draw"] + RAYLIB_SEQUENCE[4:6], 1),
    ("c_fast_zvblit", 1, RAYLIB_SEQUENCE[:4] + ["draw"] + RAYLIB_SEQUENCE[4:], 0),
])
def test_raylib_failure_ends_the_modes_it_began(fail, skip, expected, left_open):
    error = ValueError("host failure")
    recorder.fail_on(fail, error, skip=skip)
    with pytest.raises(ValueError) as info:
        panelix.menu_draw_raylib(Menu(Layout()), ZvRenderTexture())
    assert info.value is error
    assert names() == ["_rl_predraw_widgets"] + expected
    assert len(zuvo_raylib.texture_stack()) == left_open and zuvo_raylib.blend_stack() == []
    assert {PREFIX + "menu_draw_raylib", PREFIX + "_menu_draw_raylib"} <= set(tb_names(info.value))


def test_raylib_failure_while_ending_does_not_hide_the_first():
    error = ValueError("draw failed")
    recorder.fail_on("draw", error)
    recorder.fail_on("end_blend_mode", RuntimeError("end failed too"))
    with pytest.raises(ValueError) as info:
        panelix.menu_draw_raylib(Menu(Layout()), ZvRenderTexture())
    assert info.value is error
    assert names()[-2:] == ["end_blend_mode", "end_texture_mode"]
    assert zuvo_raylib.texture_stack() == []


def test_raylib_origin_vector_failure_ends_the_modes():
    zvvector2._fail_next_create()
    with pytest.raises(MemoryError):
        panelix.menu_draw_raylib(Menu(), ZvRenderTexture())
    assert names() == RAYLIB_SEQUENCE[:3] + ["end_blend_mode", "end_texture_mode"]


def test_raylib_predraw_failure_begins_nothing():
    class Broken(Layout):
        def _rl_predraw_widgets(self):
            raise KeyError("predraw")

    with pytest.raises(KeyError):
        panelix.menu_draw_raylib(Menu(Broken()), ZvRenderTexture())
    assert names() == []


# --- SDL with recording fakes ---------------------------------------------

class Renderer:
    """Records target changes and blits into the recorder's call list."""

    def __init__(self, fail_target=object()):
        object.__setattr__(self, "fail_target", fail_target)

    def __setattr__(self, name, value):
        recorder.calls.append(("set " + name, (value,)))
        if name == "target" and value is self.fail_target:
            raise OSError("renderer refused the target")
        object.__setattr__(self, name, value)

    def blit(self, source, where):
        recorder.calls.append(("renderer.blit", (source, where)))


class WindowRenderer:
    def blit(self, source, where):
        recorder.calls.append(("window.blit", (source, where)))


class Window:
    def __init__(self):
        self._renderer = WindowRenderer()


def sdl_menu(layout=None, **attrs):
    menu = Menu(layout, _sdl_texture="texture", _window=Window(),
                _tuple_absolute_coordinates=(12, 34))
    menu.get_rect = lambda: (recorder.calls.append(("get_rect", ())), "rect")[1]
    menu.__dict__.update(attrs)
    return menu


@pytest.fixture
def renderer(monkeypatch):
    r = Renderer()
    monkeypatch.setattr(panelix.zuvo_state, "renderer", r)
    recorder.clear()
    return r


def test_sdl_without_layout_only_blits_onto_the_window(renderer):
    panelix.menu_draw_sdl(sdl_menu(), "bg")
    assert recorder.calls == [("window.blit", ("texture", (12, 34)))]


def test_sdl_with_layout(renderer):
    layout = ZuvoCobject()
    menu = sdl_menu(layout)
    assert panelix.menu_draw_sdl(menu, "bg") is None
    assert recorder.calls == [("set target", ("texture",)), ("get_rect", ()),
                              ("renderer.blit", ("bg", "rect")), ("draw", (layout,)),
                              ("set target", (None,)), ("window.blit", ("texture", (12, 34)))]
    assert menu.reads[:3] == ["_sdl_texture", "_layout", "_sdl_texture"]


@pytest.mark.parametrize("fail", ["get_rect", "renderer.blit", "draw"])
def test_sdl_failure_resets_the_target(renderer, fail):
    error = ValueError("menu failed")
    menu = sdl_menu(ZuvoCobject())
    if fail == "draw":
        recorder.fail_on("draw", error)
    elif fail == "get_rect":
        menu.get_rect = lambda: (_ for _ in ()).throw(error)
    else:
        renderer.blit = lambda *args: (_ for _ in ()).throw(error)
    with pytest.raises(ValueError) as info:
        panelix.menu_draw_sdl(menu, "bg")
    assert info.value is error
    assert recorder.calls[-1] == ("set target", (None,))
    assert "window.blit" not in names()
    assert renderer.target is None


def test_sdl_failure_resetting_the_target_does_not_hide_the_first(monkeypatch):
    monkeypatch.setattr(panelix.zuvo_state, "renderer", Renderer(fail_target=None))
    error = ValueError("draw failed")
    recorder.fail_on("draw", error)
    with pytest.raises(ValueError) as info:
        panelix.menu_draw_sdl(sdl_menu(ZuvoCobject()), "bg")
    assert info.value is error


def test_sdl_layout_must_be_a_widget(renderer):
    with pytest.raises(TypeError, match="^Cannot convert int to zuvo_ui.fast.zuvocobj"):
        panelix.menu_draw_sdl(sdl_menu(5), "bg")
    assert recorder.calls == []


def test_sdl_finds_zuvo_state_in_the_builtins(monkeypatch):
    class State:
        renderer = Renderer()

    monkeypatch.delattr(panelix, "zuvo_state")
    monkeypatch.setattr(builtins, "zuvo_state", State(), raising=False)
    panelix.menu_draw_sdl(sdl_menu(ZuvoCobject()), "bg")
    assert names()[0] == "set target"
    monkeypatch.delattr(builtins, "zuvo_state")
    with pytest.raises(NameError, match="^name 'zuvo_state' is not defined$"):
        panelix.menu_draw_sdl(sdl_menu(), "bg")


# --- pygame with recording fakes --------------------------------------------

class Surface:
    def fill(self, color):
        recorder.calls.append(("fill", (color,)))

    def blit(self, source, where):
        recorder.calls.append(("surface.blit", (source, where)))


@pytest.mark.parametrize("with_layout", [False, True])
def test_pygame_sequence(with_layout):
    layout = ZuvoCobject() if with_layout else None
    surface = Surface()
    menu = sdl_menu(layout, _surface=surface)
    assert panelix.menu_draw_pygame(menu, "bg") is None
    expected = [("fill", ((0, 0, 0, 0),)), ("surface.blit", ("bg", (0, 0)))]
    expected += [("draw", (layout,))] if with_layout else []
    expected += [("window.blit", (surface, (12, 34)))]
    assert recorder.calls == expected


def test_pygame_uses_one_origin_tuple():
    panelix.menu_draw_pygame(sdl_menu(_surface=Surface()), "bg")
    panelix.menu_draw_pygame(sdl_menu(_surface=Surface()), "bg")
    origins = [args[1] for name, args in recorder.calls if name == "surface.blit"]
    assert origins[0] is origins[1]


def test_pygame_finds_color_in_the_builtins(monkeypatch):
    class Colours:
        Blank = "blank"

    monkeypatch.delattr(panelix, "Color")
    monkeypatch.setattr(builtins, "Color", Colours, raising=False)
    panelix.menu_draw_pygame(sdl_menu(_surface=Surface()), "bg")
    assert recorder.calls[0] == ("fill", ("blank",))
    monkeypatch.delattr(builtins, "Color")
    with pytest.raises(NameError, match="^name 'Color' is not defined$"):
        panelix.menu_draw_pygame(sdl_menu(_surface=Surface()), "bg")


# --- arguments ----------------------------------------------------------------

FUNCTIONS = ["menu_draw_raylib", "menu_draw_sdl", "menu_draw_pygame"]


@pytest.mark.parametrize("name", FUNCTIONS)
@pytest.mark.parametrize("args, kwargs, message", [
    ((), {}, "{}() takes exactly 2 positional arguments (0 given)"),
    (("m",), {}, "{}() takes exactly 2 positional arguments (1 given)"),
    (("m", "b", "c"), {}, "{}() takes exactly 2 positional arguments (3 given)"),
    (("m", "b"), {"colour": 1}, "{}() got an unexpected keyword argument 'colour'"),
    (("m", "b"), {"self": 1}, "{}() got multiple values for keyword argument 'self'"),
    ((None, "b"), {}, "Argument 'self' must not be None"),
])
def test_argument_errors(name, args, kwargs, message):
    values = {"m": Menu(), "b": ZvRenderTexture()}
    with pytest.raises(TypeError) as info:
        getattr(panelix, name)(*(values.get(a, a) for a in args), **kwargs)
    assert str(info.value) == message.format(name)
    assert recorder.calls == []


@pytest.mark.parametrize("bg, got", [
    (None, "NoneType"), (ZvRect(), "zuvo_ui.fast.zvrect.zvrect.ZvRect"),
    ("surface", "str"),
])
def test_raylib_bg_must_be_a_render_texture_before_the_menu_is_read(bg, got):
    menu = Menu()
    with pytest.raises(TypeError) as info:
        panelix.menu_draw_raylib(menu, bg)
    assert str(info.value) == (f"Argument 'bg' has incorrect type (expected {TEXTURE}, got {got})")
    assert menu.reads == []


@pytest.mark.pygame_ce
def test_raylib_accepts_a_pygame_surface_nowhere():
    pygame = pytest.importorskip("pygame")
    with pytest.raises(TypeError, match=r"got pygame\.(surface\.)?Surface\)$"):
        panelix.menu_draw_raylib(Menu(), pygame.Surface((1, 1)))


@pytest.mark.parametrize("name", ["menu_draw_sdl", "menu_draw_pygame"])
def test_bg_must_not_be_none(name):
    menu = Menu()
    with pytest.raises(TypeError, match="^Argument 'bg' must not be None$"):
        getattr(panelix, name)(menu, None)
    assert menu.reads == []


def test_keywords_are_accepted():
    class Sub(ZvRenderTexture):
        pass

    panelix.menu_draw_raylib(bg=Sub(), self=Menu())
    assert names() == RAYLIB_SEQUENCE
