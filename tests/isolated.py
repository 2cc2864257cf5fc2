"""Running test code in a fresh interpreter, with its own sys.modules."""

import importlib.util
import os
import subprocess
import sys
import textwrap

import pytest


def run(code):
    """Runs `code` in a new interpreter; returns its standard output."""
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", PYGAME_HIDE_SUPPORT_PROMPT="1")
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True,
                          text=True, env=env, timeout=120)
    assert done.returncode == 0, done.stderr
    return done.stdout.strip()


def require_second_interpreters():
    """Skips the test on a CPython without a module for running sub-interpreters."""
    if importlib.util.find_spec("_xxsubinterpreters") is None and \
            importlib.util.find_spec("_interpreters") is None:
        pytest.skip("this CPython has neither _xxsubinterpreters nor _interpreters")


def second_interpreter_import(module):
    """Imports `module`, then tries it in a second (legacy) interpreter; the
    text of the failure that import ended with, as CPython 3.12's
    _xxsubinterpreters gives it.  CPython 3.13 renamed that module
    _interpreters, whose run_string returns the failure instead of raising it."""
    return run(f"""
        import {module}
        try:
            import _xxsubinterpreters as si
        except ImportError:
            import _interpreters
            interp = _interpreters.create("legacy")
            failure = _interpreters.run_string(interp, "import {module}")
            if failure is not None:
                print("<class '%s'>: %s" % (failure.type.__name__, failure.msg))
        else:
            interp = si.create(isolated=False)
            try:
                si.run_string(interp, "import {module}")
            except Exception as exc:
                print(exc)
    """)


SECOND_INTERPRETER_REFUSED = ("ImportError'>: Interpreter change detected - this module can only "
                              "be loaded into one interpreter per process.")
