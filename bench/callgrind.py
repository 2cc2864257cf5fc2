"""Instruction counts of one fixed case of each curvix kernel under callgrind,
run through the test-only probe module (built with its symbols).

Unlike times, these do not move with the load of a shared machine, so a
change to a kernel can be compared with its predecessor exactly.  Each case
runs in its own valgrind process with collection switched on only inside the
kernel's functions (``--toggle-collect``), so the interpreter, pygame and
argument handling are not counted.  The outline transform is counted on
every path, the plain scalar kernel included.

    python bench/callgrind.py [--output build/callgrind-results.json]
"""

import argparse
import json
import os
import pathlib
import re
import subprocess
import sys
import tempfile

SETUP = """
import os
os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
import pygame
import zuvo_kernelprobe as probe
surf = pygame.Surface(SIZE, pygame.SRCALPHA)
surf.fill((30, 30, 30, 255))
c = pygame.surfarray.pixels3d(surf)
a = pygame.surfarray.pixels_alpha(surf)
planes = (c[:, :, 0], c[:, :, 1], c[:, :, 2], a)
"""

OUTLINE = ("probe.outline(*planes, *SIZE, (12,) * 4, 2.0, (220, 40, 40), 255, %s, 255, '%s')")
KERNEL = "probe.kernel('%s', *planes, *SIZE, %s, %s, (30, 30, 30), 255, '%s')"
PATHS = ("scalar", "scalar+runs", "sse2", "sse2+runs", "avx2", "avx2+runs")

# (name, size, functions to count, the call)
CASES = []
for kind, size, radii, width, what, functions in (
        ("filled", (120, 40), "(8,) * 4", "2.0", "filled generator's corners, 120 x 40, radius 8",
         "zuvo::curvix::round_filled_corners_on*"),
        ("filled", (400, 300), "(24, 8, 24, 8)", "2.0",
         "filled generator's corners, 400 x 300, radii (24, 8, 24, 8)",
         "zuvo::curvix::round_filled_corners_on*"),
        ("outlined", (120, 40), "(8,) * 4", "2.0",
         "outlined generator's bands and corners, 120 x 40, radius 8, width 2",
         "zuvo::curvix::paint_outline_on*"),
        ("outlined", (400, 300), "(24,) * 4", "3.5",
         "outlined generator's bands and corners, 400 x 300, radius 24, width 3.5",
         "zuvo::curvix::paint_outline_on*"),
        ("corners", (1920, 1080), "(12,) * 4", "0.0",
         "corner transform with colour, 1920 x 1080, radius 12",
         "zuvo::curvix::transform_corners_on*")):
    for path in PATHS:
        # Run filling only changes the outlined generator's bands.
        if path.endswith("+runs") and kind != "outlined":
            continue
        CASES.append(("%s, %s" % (what, path), size, functions, KERNEL % (kind, radii, width, path)))
for path in PATHS:
    for bg in ("(30, 30, 30)", "None"):
        CASES.append(("outline transform %s background, 1920 x 1080, radius 12, stroke 2, %s"
                      % ("with" if bg != "None" else "without", path), (1920, 1080),
                      "zuvo::curvix::transform_outline_on*", OUTLINE % (bg, path)))


def count(size, functions, call):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "callgrind.out")
        script = "SIZE = %r\n" % (size,) + SETUP + call + "\n"
        proc = subprocess.run(
            ["valgrind", "--tool=callgrind", "--collect-atstart=no",
             "--toggle-collect=" + functions, "--callgrind-out-file=" + out,
             sys.executable, "-c", script],
            capture_output=True, text=True)
        if proc.returncode != 0:
            raise RuntimeError(proc.stderr[-2000:])
        text = pathlib.Path(out).read_text()
        match = re.search(r"^(?:totals|summary):\s+(\d+)", text, re.M)
        return int(match.group(1)) if match else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--output", default="build/callgrind-results.json")
    args = parser.parse_args()
    probe_paths = subprocess.run(
        ["valgrind", "-q", sys.executable, "-c", "import zuvo_kernelprobe as p; print(p.paths())"],
        capture_output=True, text=True).stdout.strip()
    results = []
    for name, size, functions, call in CASES:
        if "avx2" in call and "avx2" not in probe_paths:
            continue
        results.append({"name": name, "instructions": count(size, functions, call)})
        print("counted: %s" % name, file=sys.stderr)
    width = max(len(r["name"]) for r in results)
    print("%-*s | instructions (Ir)" % (width, "case"))
    print("-" * width + "-+-" + "-" * 18)
    for r in results:
        print("%-*s | %d" % (width, r["name"], r["instructions"]))
    print("\npaths of the probe under valgrind: %s" % probe_paths)
    pathlib.Path(args.output).parent.mkdir(parents=True, exist_ok=True)
    pathlib.Path(args.output).write_text(json.dumps({"paths": probe_paths, "results": results},
                                                    indent=2) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
