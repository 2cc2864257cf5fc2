"""Renders the README's quick start to docs/quickstart.png.

Runs the first Python block after the README's "## Quick start" heading as it
is written, headless, and saves the screen it drew on:

    python examples/quickstart.py [--output PATH]
"""

import argparse
import os
import pathlib
import re
import sys

os.environ["SDL_VIDEODRIVER"] = "dummy"
os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")

import pygame

ROOT = pathlib.Path(__file__).resolve().parent.parent


def quick_start_code(readme: str) -> str:
    section = readme[readme.index("\n## Quick start\n"):]
    found = re.search(r"^```python\n(.*?)^```", section, re.S | re.M)
    if found is None:
        raise SystemExit("README.md: no Python block under ## Quick start")
    return found[1]


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", type=pathlib.Path, default=ROOT / "docs" / "quickstart.png")
    args = parser.parse_args()
    namespace: dict[str, object] = {"__name__": "quickstart"}
    exec(quick_start_code((ROOT / "README.md").read_text()), namespace)
    screen = pygame.display.get_surface()
    if screen is None:
        raise SystemExit("README.md: the quick start set no display mode")
    pygame.image.save(screen, str(args.output))
    print("quick start written to %s" % args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
