"""Import of panelix against broken host toolkits, each in a fresh interpreter
whose sys.modules holds the broken pieces before panelix is imported."""

import pytest

from isolated import SECOND_INTERPRETER_REFUSED, require_second_interpreters, second_interpreter_import
from panelix_host import MODULE, run

pytestmark = [pytest.mark.py313, pytest.mark.clang]

# Reports how the import ended: the exception's type and text, whether the
# traceback carries the init entry, and whether a half-built module stayed.
PRELUDE = """
import sys, types, traceback, warnings
import numpy
from zuvo_standin import _probe
import zuvo_ui.fast.raylib.zuvo_raylib as raylib
import zuvo_ui.fast.logic.fast_logic as logic

def fake(name, **attrs):
    module = types.ModuleType(name)
    module.__dict__.update(attrs)
    sys.modules[name] = module
    return module

def sized(name, basicsize, itemsize=0, vtable=True):
    t = _probe.make_type("fake." + name, basicsize, itemsize)
    if vtable:
        t.__pyx_vtable__ = _probe.capsule()
    return t

def capi(module, **changes):
    table = dict(module.__pyx_capi__)
    for name, capsule in changes.items():
        if capsule is None:
            del table[name]
        else:
            table[name] = capsule
    return fake(module.__name__, __pyx_capi__=table)

def ignore_grown_type():
    # On interpreters whose type objects outgrew 3.12's, that warning is expected
    # (test_builtins_type_warns_only_where_it_grew); the cases here are about others.
    warnings.filterwarnings("ignore", message="builtins.type size changed")

def report():
    try:
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            ignore_grown_type()
            import MODULE
    except BaseException as exc:
        names = [f.name for f in traceback.extract_tb(exc.__traceback__)]
        print(type(exc).__name__ + ": " + str(exc))
        print("init MODULE" in names, "MODULE" in sys.modules)
    else:
        print("imported")
        for w in caught:
            print(w.category.__name__ + ": " + str(w.message))
""".replace("MODULE", MODULE)

COBJ = "zuvo_ui.fast.zuvocobj.zuvocobj"
RAYLIB = "zuvo_ui.fast.raylib.zuvo_raylib"
LOGIC = "zuvo_ui.fast.logic.fast_logic"
SHADER = "zuvo_ui.fast.zvshader.zvshader"
SIG_BLEND = "void (int, int __pyx_skip_dispatch)"
SIG_END = "void (int __pyx_skip_dispatch)"


def import_with(breakage):
    return run(PRELUDE + "\n" + breakage + "\nreport()\n").splitlines()


def size_changed(module, name, expected, got):
    return (f"{module}.{name} size changed, may indicate binary incompatibility. "
            f"Expected {expected} from C header, got {got} from PyObject")


FAILED = ["True False"]


@pytest.mark.parametrize("breakage, expected", [
    # Instance sizes: smaller fails, larger warns, an item size counts as at least 8.
    (f"fake('{COBJ}', ZuvoCobject=sized('ZuvoCobject', 224))",
     ["ValueError: " + size_changed(COBJ, "ZuvoCobject", 232, 224)] + FAILED),
    (f"fake('{COBJ}', ZuvoCobject=sized('ZuvoCobject', 216, 8))",
     ["ValueError: " + size_changed(COBJ, "ZuvoCobject", 232, 224)] + FAILED),
    (f"fake('{COBJ}', ZuvoCobject=sized('ZuvoCobject', 224, 3))", ["imported"]),
    (f"fake('{COBJ}', ZuvoCobject=sized('ZuvoCobject', 240))",
     ["imported", "RuntimeWarning: " + size_changed(COBJ, "ZuvoCobject", 232, 240)]),
    # NumPy: the array types accept any larger size, the scalar types warn.
    ("fake('numpy', **{**vars(numpy), 'ndarray': sized('ndarray', 400, vtable=False)})",
     ["imported"]),
    ("fake('numpy', **{**vars(numpy), 'dtype': sized('dtype', 24, vtable=False)})",
     ["ValueError: " + size_changed("numpy", "dtype", 32, 24)] + FAILED),
    ("fake('numpy', **{**vars(numpy), 'floating': sized('floating', 24, vtable=False)})",
     ["imported", "RuntimeWarning: " + size_changed("numpy", "floating", 16, 24)]),
    (f"fake('{SHADER}', ZvShader=5)",
     [f"TypeError: {SHADER}.ZvShader is not a type object"] + FAILED),
    (f"sys.modules['{SHADER}'] = None",
     [f"ModuleNotFoundError: import of {SHADER} halted; None in sys.modules"] + FAILED),
    # Method tables.
    (f"fake('{SHADER}', ZvShader=sized('ZvShader', 40, vtable=False))",
     ["KeyError: '__pyx_vtable__'"] + FAILED),
    *[(f"t = sized('ZvShader', 40); t.__pyx_vtable__ = {capsule}; fake('{SHADER}', ZvShader=t)",
       ["RuntimeError: invalid vtable found for imported type"] + FAILED)
      for capsule in ("_probe.null_capsule()", "_probe.capsule('named')", "42")],
    # Native functions.
    (f"capi(raylib, begin_blend_mode=_probe.capsule('{SIG_END}'))",
     [f"TypeError: C function {RAYLIB}.begin_blend_mode has wrong signature "
      f"(expected {SIG_BLEND}, got {SIG_END})"] + FAILED),
    ("capi(raylib, begin_blend_mode=_probe.capsule())",
     [f"TypeError: C function {RAYLIB}.begin_blend_mode has wrong signature "
      f"(expected {SIG_BLEND}, got (null))"] + FAILED),
    ("capi(raylib, end_blend_mode='not a capsule')",
     [f"TypeError: C function {RAYLIB}.end_blend_mode has wrong signature "
      f"(expected {SIG_END}, got (null))"] + FAILED),
    ("capi(raylib, end_texture_mode=None)",
     [f"ImportError: {RAYLIB} does not export expected C function end_texture_mode"] + FAILED),
    ("capi(logic, get_item_abs_coords=_probe.capsule('void (void)'))",
     [f"TypeError: C function {LOGIC}.get_item_abs_coords has wrong signature (expected "
      "struct __pyx_obj_7zuvo_ui_4fast_9zvvector2_9zvvector2_ZvVector2 *(struct "
      "__pyx_obj_7zuvo_ui_4fast_8zuvocobj_8zuvocobj_ZuvoCobject *, struct "
      "__pyx_obj_7zuvo_ui_4fast_8zuvocobj_8zuvocobj_ZuvoCobject *), got void (void))"] + FAILED),
    (f"fake('{RAYLIB}')",
     [f"AttributeError: module '{RAYLIB}' has no attribute '__pyx_capi__'"] + FAILED),
    # Python names, with the fallback to a registered submodule.
    ("fake('zuvo_ui.presentation.color')",
     ["ImportError: cannot import name Color"] + FAILED),
    ("fake('zuvo_ui.core.state')",
     ["ImportError: cannot import name zuvo_state"] + FAILED),
])
def test_broken_host(breakage, expected):
    assert import_with(breakage) == expected


def test_warnings_as_errors_fail_the_import_on_a_larger_type():
    out = run(PRELUDE + f"""
warnings.simplefilter("error")
ignore_grown_type()
fake('{COBJ}', ZuvoCobject=sized('ZuvoCobject', 240))
try:
    import {MODULE}
except RuntimeWarning as exc:
    print(exc, "{MODULE}" in sys.modules)
""")
    assert out == size_changed(COBJ, "ZuvoCobject", 232, 240) + " False"


def test_the_real_host_imports_without_any_warning():
    # NumPy's array types are larger than the sizes checked: accepted silently.
    out = run(PRELUDE + f"""
warnings.simplefilter("error")
ignore_grown_type()
import {MODULE} as m
print(" ".join(k for k in vars(m) if not k.startswith("__")))
print(m.menu_draw_sdl.__module__, m.scrollable_recollide_items.__doc__)
""")
    assert out.splitlines() == [
        "Color zuvo_state scrollable_update_collided scrollable_recollide_items menu_draw_raylib "
        "menu_draw_sdl menu_draw_pygame", f"{MODULE} None"]


def test_builtins_type_warns_only_where_it_grew():
    out = run(f"""
import warnings
with warnings.catch_warnings(record=True) as caught:
    warnings.simplefilter("always")
    import {MODULE}
print(type.__basicsize__)
for w in caught:
    print(w.category.__name__ + ": " + str(w.message))
""").splitlines()
    size = int(out[0])
    expected = [] if size <= 920 else ["RuntimeWarning: " + size_changed("builtins", "type", 920, size)]
    assert out[1:] == expected


def test_names_fall_back_to_registered_submodules():
    out = run(PRELUDE + f"""
fake('zuvo_ui.presentation.color')
colour = fake('zuvo_ui.presentation.color.Color', Blank=(1, 2, 3, 4))
state = fake('zuvo_ui.core.state.zuvo_state', renderer=None)
fake('zuvo_ui.core.state')
import {MODULE} as m
print(m.Color is colour, m.zuvo_state is state)
""")
    assert out == "True True"


def test_a_failed_import_starts_over_once_the_host_is_mended():
    out = run(PRELUDE + f"""
real = sys.modules['{RAYLIB}']
capi(raylib, end_texture_mode=None)
try:
    import {MODULE}
except ImportError as exc:
    print(exc)
sys.modules['{RAYLIB}'] = real
import {MODULE} as m
print(m.menu_draw_raylib.__module__)
""")
    assert out.splitlines() == [f"{RAYLIB} does not export expected C function end_texture_mode",
                                MODULE]


def test_create_and_execute_again_reuse_the_module():
    out = run(f"""
import sys, importlib.util, _imp
import {MODULE} as first
spec = importlib.util.find_spec("{MODULE}")
again = importlib.util.module_from_spec(spec)
spec.loader.exec_module(again)
del sys.modules["{MODULE}"]
import {MODULE} as second
_imp.exec_dynamic(second)
print(again is first, second is first, first.__file__ == spec.origin, first.__package__)
""")
    assert out == "True True True zuvo_ui.fast.zvspecific"


def test_executing_on_another_module_object_is_refused():
    out = run(f"""
import types
from zuvo_standin import _probe
import {MODULE} as m
try:
    _probe.exec_def_on(types.ModuleType("other"), m)
except RuntimeError as exc:
    print(exc)
""")
    assert out == "Module 'panelix' has already been imported. Re-initialisation is not supported."


def test_loaded_under_another_name_it_registers_its_own():
    out = run(f"""
import sys, importlib.util
origin = importlib.util.find_spec("{MODULE}").origin
spec = importlib.util.spec_from_file_location("elsewhere.panelix", origin)
m = importlib.util.module_from_spec(spec)
spec.loader.exec_module(m)
print(m.__name__, sys.modules["{MODULE}"] is m)
""")
    assert out == f"elsewhere.panelix True"


def test_a_second_interpreter_is_refused():
    require_second_interpreters()
    assert second_interpreter_import(MODULE).endswith(SECOND_INTERPRETER_REFUSED)
