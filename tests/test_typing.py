"""The shipped stubs agree with the modules both ways: what mypy --strict accepts
runs, what the modules refuse (or run to no purpose) mypy flags; the examples
type-check strictly."""

import os
import pathlib
import re
import subprocess
import sys

import pytest

import marked_code

pytestmark = [pytest.mark.sanitizer_invariant]

pytest.importorskip("mypy")

ROOT = pathlib.Path(__file__).resolve().parent.parent
MODULES = ["zuvo_ui.fast.shapes.curvix", "zuvo_ui.fast.shapes.draw", "zuvo_ui.fast.zvspecific.panelix"]


def mypy(*args, cwd):
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", PYGAME_HIDE_SUPPORT_PROMPT="1")
    return subprocess.run([sys.executable, "-m", *args], capture_output=True, text=True, cwd=cwd,
                          env=env, timeout=600)


@pytest.mark.py313
@pytest.mark.parametrize("module", MODULES)
def test_stubs_match_the_runtime_module(module, tmp_path):
    done = mypy("mypy.stubtest", module, cwd=tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr


def test_examples_pass_mypy_strict(tmp_path):
    examples = sorted(str(p) for p in (ROOT / "examples").glob("*.py"))
    done = mypy("mypy", "--strict", "--config-file", str(ROOT / "pyproject.toml"),
                "--cache-dir", str(tmp_path / "cache"), *examples, cwd=ROOT / "examples")
    assert done.returncode == 0, done.stdout + done.stderr


TYPECHECK = ROOT / "tests" / "typecheck"
ERROR_LINE = re.compile(r"^[^:]+\.py:(\d+): error:", re.M)


def mypy_strict(path, tmp_path):
    done = mypy("mypy", "--strict", "--config-file", str(ROOT / "pyproject.toml"),
                "--cache-dir", str(tmp_path / "cache"), "--no-error-summary", path.name,
                cwd=path.parent)
    return done, {int(n) for n in ERROR_LINE.findall(done.stdout)}


def marked_lines(path):
    return {node.end_lineno for node, marker in marked_code.marked_statements(path.read_text())
            if marker}


def test_accepted_calls_pass_mypy_strict(tmp_path):
    done, _ = mypy_strict(TYPECHECK / "accepted_calls.py", tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr


@pytest.mark.parametrize("name", ["accepted_calls.py", "refused_calls.py"])
def test_each_call_does_what_its_comment_says(name):
    path = TYPECHECK / name
    marked_code.run(path.read_text(), str(path))


def test_mypy_flags_exactly_the_refused_calls(tmp_path):
    path = TYPECHECK / "refused_calls.py"
    done, flagged = mypy_strict(path, tmp_path)
    expected = marked_lines(path)
    assert len(expected) >= 40
    assert flagged == expected, (sorted(flagged - expected), sorted(expected - flagged), done.stdout)


def test_the_flag_check_can_fail(tmp_path):
    # An accepted call among the refused ones is noticed: mypy finds no error on its line.
    source = (TYPECHECK / "refused_calls.py").read_text()
    path = tmp_path / "refused_calls.py"
    path.write_text(source + "curvix.create_rounded_rect_surface(SIZE, (4, 4, 4, 4), RGB)  # -> ...\n")
    _, flagged = mypy_strict(path, tmp_path)
    assert marked_lines(path) - flagged == {source.count("\n") + 1}
