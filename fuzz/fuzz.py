"""Runs one fuzz target under atheris:

    python fuzz/fuzz.py TARGET [libFuzzer options] [corpus directories]
    python fuzz/fuzz.py --list

`make fuzz` runs every target against the build made for fuzzing (see the Makefile).
"""

import os
import sys

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import atheris  # noqa: E402
import numpy  # noqa: E402,F401 - imported first so that only the targets get Python coverage
import pygame  # noqa: E402,F401

# The native modules report their own branch coverage when built for fuzzing;
# the targets' Python code reports which shapes of input it built.
with atheris.instrument_imports(include=["curvix_targets", "draw_targets", "panelix_targets"]):
    import curvix_targets
    import draw_targets
    import panelix_targets

TARGETS = {**curvix_targets.TARGETS, **draw_targets.TARGETS, **panelix_targets.TARGETS}

if __name__ == "__main__":
    if sys.argv[1:2] == ["--list"]:
        print("\n".join(TARGETS))
        sys.exit(0)
    if len(sys.argv) < 2 or sys.argv[1] not in TARGETS:
        sys.exit("usage: fuzz.py {%s} [libFuzzer options] [corpus directories]" % ",".join(TARGETS))
    target = TARGETS[sys.argv.pop(1)]
    atheris.Setup(sys.argv, target)
    atheris.Fuzz()
