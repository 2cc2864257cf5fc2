import os
import sys

import pytest

sys.path.insert(0, os.path.dirname(__file__))

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")

# The markers that place a test in the stages of .ci/run; their rules are in
# pyproject.toml, where they are declared.
STAGE_MARKERS = ("pygame_ce", "py313", "clang", "native_mirrored", "sanitizer_invariant")


def module_marker_names(module):
    marks = getattr(module, "pytestmark", [])
    if not isinstance(marks, (list, tuple)):
        marks = [marks]
    return {mark.name for mark in marks}


def unclassified_modules(items):
    """The test modules whose `pytestmark` names none of STAGE_MARKERS."""
    missing = set()
    for item in items:
        module = getattr(item, "module", None)
        if module is not None and not module_marker_names(module) & set(STAGE_MARKERS):
            missing.add(module.__name__)
    return sorted(missing)


def pytest_collection_modifyitems(config, items):
    # A new test module must say where it runs beyond the reference stage; one
    # that says nothing would silently run in the reference stage only.
    missing = unclassified_modules(items)
    if missing:
        raise pytest.UsageError(
            "test modules without a stage marker in their pytestmark: %s; add one or more of %s "
            "(the rules are beside the markers in pyproject.toml)"
            % (", ".join(missing), ", ".join(STAGE_MARKERS)))


def pytest_report_header(config):
    try:
        import zuvo_kernelprobe as probe
    except ImportError:
        return "kernel paths: the probe (zuvo_kernelprobe) is not installed; the per-path tests skip"
    lacking = [p for p in probe.all_paths() if p not in set(probe.paths())]
    return ("kernel paths compared here: %s; not on this processor or build: %s"
            % (", ".join(probe.paths()), ", ".join(lacking) or "none"))
