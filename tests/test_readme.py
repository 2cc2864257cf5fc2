"""The README's Python examples run as written, each in a fresh interpreter, and every
refused call and stated result in them (`# raises ...`, `# -> ...`) is what happens."""

import os
import pathlib
import re
import subprocess
import sys

import pytest

import marked_code

pytestmark = [pytest.mark.pygame_ce, pytest.mark.py313, pytest.mark.sanitizer_invariant]

TESTS = pathlib.Path(__file__).resolve().parent
README = TESTS.parent / "README.md"
BLOCK = re.compile(r"^```python\n(.*?)^```", re.S | re.M)
BLOCKS = BLOCK.findall(README.read_text())


def block_line(index):
    """The README line a block starts on (for failure messages)."""
    match = list(BLOCK.finditer(README.read_text()))[index]
    return README.read_text().count("\n", 0, match.start()) + 2


def run_block(code, line):
    """Runs one block through marked_code in a fresh interpreter; returns the result."""
    runner = ("import sys, marked_code\n"
              f"marked_code.run(sys.stdin.read(), 'README.md, block at line {line}')\n")
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy",
               PYGAME_HIDE_SUPPORT_PROMPT="1", PYTHONPATH=str(TESTS))
    return subprocess.run([sys.executable, "-c", runner], input=code, capture_output=True,
                          text=True, env=env, cwd=TESTS.parent, timeout=300)


def test_readme_has_examples():
    assert len(BLOCKS) >= 10


def test_every_function_is_shown_with_refused_calls():
    names = ["create_rounded_rect_surface", "create_outlined_rounded_rect_sdf",
             "transform_into_rounded_rect", "transform_into_outlined_rounded_rect",
             "_create_rounded_rect_surface_optimized", "_create_outlined_rounded_rect_sdf",
             "scrollable_recollide_items", "scrollable_update_collided", "menu_draw_pygame"]
    with_refusals = "\n".join(code for code in BLOCKS if "# raises " in code)
    assert [name for name in names if name not in with_refusals] == []


@pytest.mark.parametrize("index", range(len(BLOCKS)), ids=[f"block{i}" for i in range(len(BLOCKS))])
def test_readme_example_runs(index):
    line = block_line(index)
    done = run_block(BLOCKS[index], line)
    assert done.returncode == 0, f"README.md block at line {line}:\n{done.stderr}"


@pytest.mark.parametrize("code, complaint", [
    ("len([])  # -> 1\n", "gave 0, the comment says 1"),
    ("1.0  # -> 1\n", "gave 1.0, the comment says 1"),
    ("int('7')  # raises ValueError\n", "ran, but the comment says it raises ValueError"),
    ("int('x')  # raises TypeError\n", "raised ValueError"),
    ("int('x')  # raises ValueError: other words\n", "the comment says ValueError: other words"),
    ("int('x')  # raises ValueError: invalid literal for float...\n", "raised ValueError"),
    ("x = 1  # -> 1\n", "is not an expression"),
])
def test_the_markers_can_fail(code, complaint):
    with pytest.raises(marked_code.OutcomeError, match=re.escape(complaint)):
        marked_code.run(code)


@pytest.mark.parametrize("code", [
    "len([1])  # -> 1\n",
    "int('x')  # raises ValueError\n",
    "int('x')  # raises Exception\n",
    "int('x')  # raises ValueError: invalid literal for int() with base 10: 'x'\n",
    "int('x')  # raises ValueError: invalid literal ...\n",
    "d = {}\nd['k']  # raises KeyError: 'k'\n",
])
def test_the_markers_accept_what_happens(code):
    marked_code.run(code)


def test_a_failing_block_fails_in_its_interpreter():
    done = run_block("import sys\nsys.exit(3)\n", 1)
    assert done.returncode == 3
