"""Import-time behaviour of curvix, each case in a fresh interpreter."""

import pathlib
import re
import warnings

import pytest

from isolated import (SECOND_INTERPRETER_REFUSED, require_second_interpreters, run,
                      second_interpreter_import)
from zuvo_standin import _probe

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.clang]

MODULE = "zuvo_ui.fast.shapes.curvix"
README = pathlib.Path(__file__).resolve().parent.parent / "README.md"


def test_namespace_is_bound_in_order():
    names = run(f"""
        import {MODULE} as m
        print(" ".join(k for k in vars(m) if not k.startswith("__")))
    """).split()
    assert names == ["md", "np", "lru_cache", "_create_outlined_rounded_rect_sdf",
                     "_create_rounded_rect_surface_optimized", "transform_into_outlined_rounded_rect",
                     "transform_into_rounded_rect", "_get_cached_rounded_rect_surface",
                     "create_rounded_rect_surface", "_get_cached_outlined_rounded_rect_sdf",
                     "create_outlined_rounded_rect_sdf"]


def test_functions_have_no_docstrings_but_signatures():
    out = run(f"""
        import inspect
        import {MODULE} as m
        print(m.__doc__, m.create_rounded_rect_surface.__doc__, m.transform_into_rounded_rect.__doc__)
        print(inspect.signature(m.transform_into_outlined_rounded_rect))
        print(m.md.__name__, m.np.__name__, m.create_outlined_rounded_rect_sdf.__module__)
    """)
    assert out.splitlines() == [
        "None None None",
        "(surf, radii_input, stroke_width, color, background_color=None)",
        f"zuvo_ui.core.modules numpy {MODULE}",
    ]


def test_reimport_returns_the_same_module_with_its_memos():
    out = run(f"""
        import sys, _imp
        import {MODULE} as first
        surf = first.create_rounded_rect_surface((20, 10), [3, 3, 3, 3], (1, 2, 3))
        del sys.modules["{MODULE}"]
        import {MODULE} as second
        _imp.exec_dynamic(second)  # running the body again on the same object does nothing
        print(second is first, second.create_rounded_rect_surface((20, 10), (3, 3, 3, 3), (1, 2, 3)) is surf,
              second._get_cached_rounded_rect_surface.cache_info().currsize)
    """)
    assert out == "True True 1"


@pytest.mark.parametrize("breakage, error", [
    ("sys.modules['zuvo_ui.core.modules'] = None", "ModuleNotFoundError"),
    # Only lru_cache(maxsize=256) breaks, after pygame (which may use it) is imported.
    ("import zuvo_ui.core.modules, functools; saved = functools.lru_cache; "
     "functools.lru_cache = lambda *a, **k: None if k.get('maxsize') == 256 else saved(*a, **k)",
     "TypeError"),
])
def test_a_failing_import_leaves_no_half_built_module(breakage, error):
    out = run(f"""
        import sys, traceback
        {breakage}
        try:
            import {MODULE}
        except Exception as exc:
            entries = [f.name for f in traceback.extract_tb(exc.__traceback__)]
            print(type(exc).__name__, "init {MODULE}" in entries, "{MODULE}" in sys.modules)
        if sys.modules.get("zuvo_ui.core.modules", 1) is None:
            del sys.modules["zuvo_ui.core.modules"]
        if "saved" in globals():
            functools.lru_cache = saved
        import {MODULE} as m
        print(m.create_rounded_rect_surface((4, 4), (1, 1, 1, 1), (1, 2, 3)).get_size())
    """)
    assert out.splitlines() == [f"{error} True False", "(4, 4)"]


@pytest.mark.parametrize("breakage, missing, noted", [
    ("sys.modules['zuvo_ui.core.modules'] = None", "zuvo_ui.core.modules", True),
    # The registry is there but fails to import what it needs: no note.
    ("sys.modules['pygame'] = None", "pygame", False),
])
def test_a_missing_registry_notes_where_to_read_about_using_curvix_alone(breakage, missing, noted):
    out = run(f"""
        import sys
        {breakage}
        try:
            import {MODULE}
        except ModuleNotFoundError as exc:
            print(exc.name)
            print(*getattr(exc, "__notes__", []), sep="\\n")
    """).splitlines()
    assert out[0] == missing
    if not noted:
        assert out[1:] == []
        return
    assert len(out) == 2 and "zuvo_ui.core.modules" in out[1]
    section = re.search(r'the README\'s section "([^"]+)"', out[1])[1]
    headings = re.findall(r"^#+ (.+)$", README.read_text(), re.M)
    assert section in headings


def test_a_second_interpreter_is_refused():
    require_second_interpreters()
    assert second_interpreter_import(MODULE).endswith(SECOND_INTERPRETER_REFUSED)


def test_import_on_the_reference_interpreter_issues_no_warning():
    run(f"""
        import warnings
        warnings.simplefilter("error")
        import {MODULE}
    """)


def test_version_mismatch_warning_text():
    with pytest.warns(RuntimeWarning) as record:
        _probe.warn_on_version_mismatch(MODULE, 3, 12, 3, 13)
    assert [str(w.message) for w in record] == [
        "compile time Python version 3.12 of module 'zuvo_ui.fast.shapes.curvix' does not match "
        "runtime version 3.13"]


def test_version_mismatch_fails_when_warnings_are_errors():
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(RuntimeWarning, match="does not match runtime version 3.11"):
            _probe.warn_on_version_mismatch(MODULE, 3, 12, 3, 11)
        _probe.warn_on_version_mismatch(MODULE, 3, 12, 3, 12)  # equal versions: silent
