"""The shipped stubs agree with the modules, and the examples type-check strictly."""

import os
import pathlib
import subprocess
import sys

import pytest

pytest.importorskip("mypy")

ROOT = pathlib.Path(__file__).resolve().parent.parent
MODULES = ["zuvo_ui.fast.shapes.curvix", "zuvo_ui.fast.zvspecific.panelix"]


def mypy(*args, cwd):
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", PYGAME_HIDE_SUPPORT_PROMPT="1")
    return subprocess.run([sys.executable, "-m", *args], capture_output=True, text=True, cwd=cwd,
                          env=env, timeout=600)


@pytest.mark.parametrize("module", MODULES)
def test_stubs_match_the_runtime_module(module, tmp_path):
    done = mypy("mypy.stubtest", module, cwd=tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr


def test_examples_pass_mypy_strict(tmp_path):
    examples = sorted(str(p) for p in (ROOT / "examples").glob("*.py"))
    done = mypy("mypy", "--strict", "--config-file", str(ROOT / "pyproject.toml"),
                "--cache-dir", str(tmp_path / "cache"), *examples, cwd=ROOT / "examples")
    assert done.returncode == 0, done.stdout + done.stderr
