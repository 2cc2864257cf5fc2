"""The markers that place tests in the stages of .ci/run: every test module is
classified, and the check that says so can fail."""

import pathlib
import re
import types

import pytest

import conftest

pytestmark = [pytest.mark.sanitizer_invariant]

TESTS = pathlib.Path(__file__).resolve().parent
MODULE_MARK = re.compile(r"^pytestmark = \[(.*)\]$", re.M)


class Item:
    def __init__(self, module):
        self.module = module


def module(name, *marks):
    m = types.ModuleType(name)
    if marks:
        m.pytestmark = [getattr(pytest.mark, mark) for mark in marks]
    return m


def test_a_module_without_a_stage_marker_is_found():
    items = [Item(module("test_a", "clang")), Item(module("test_b")),
             Item(module("test_c", "parametrize")), Item(module("test_d", "sanitizer_invariant"))]
    assert conftest.unclassified_modules(items) == ["test_b", "test_c"]


def test_a_single_mark_counts_as_well_as_a_list():
    classified = module("test_e")
    classified.pytestmark = pytest.mark.py313
    assert conftest.unclassified_modules([Item(classified)]) == []


def test_every_test_module_names_a_stage_marker_in_its_source():
    # The collection check sees only the modules a run imports; this reads them all.
    for path in sorted(TESTS.glob("test_*.py")):
        found = MODULE_MARK.search(path.read_text())
        assert found, "%s has no pytestmark line" % path.name
        names = set(re.findall(r"pytest\.mark\.(\w+)", found.group(1)))
        assert names & set(conftest.STAGE_MARKERS), "%s names none of %s" % (
            path.name, conftest.STAGE_MARKERS)


def test_the_stage_markers_are_declared(pytestconfig):
    declared = {line.split(":")[0] for line in pytestconfig.getini("markers")}
    assert set(conftest.STAGE_MARKERS) | {"repeated"} <= declared
