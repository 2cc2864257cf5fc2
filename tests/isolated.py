"""Running test code in a fresh interpreter, with its own sys.modules."""

import os
import subprocess
import sys
import textwrap


def run(code):
    """Runs `code` in a new interpreter; returns its standard output."""
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", PYGAME_HIDE_SUPPORT_PROMPT="1")
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True,
                          text=True, env=env, timeout=120)
    assert done.returncode == 0, done.stderr
    return done.stdout.strip()


def second_interpreter_import(module):
    """Imports `module`, then tries it in a second (legacy) interpreter; the
    text of the failure that import ended with."""
    return run(f"""
        import {module}
        import _xxsubinterpreters as si
        interp = si.create(isolated=False)
        try:
            si.run_string(interp, "import {module}")
        except Exception as exc:
            print(exc)
    """)


SECOND_INTERPRETER_REFUSED = ("ImportError'>: Interpreter change detected - this module can only "
                              "be loaded into one interpreter per process.")
