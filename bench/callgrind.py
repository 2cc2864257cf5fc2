"""Instruction counts of one fixed case of each curvix kernel under callgrind,
run through the test-only probe module (built with its symbols).

Unlike times, these do not move with the load of a shared machine, so a
change to a kernel can be compared with its predecessor exactly.  Each case
runs in its own valgrind process with collection switched on only inside the
kernel's functions (``--toggle-collect``), so the interpreter, pygame and
argument handling are not counted.  Every kernel is counted on every path of
the probe; the `scalar` column is the plain per-pixel kernels, as the module
ran them before the vector paths, so the old counts stand beside the new.

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

OUTLINE = "probe.outline(*planes, *SIZE, (12,) * 4, 2.0, (220, 40, 40), 255, %s, 255, '%%s')"
KERNEL = "probe.kernel('%s', *planes, *SIZE, %s, %s, (30, 30, 30), 255, '%%s')"
PATHS = ("scalar", "scalar+runs", "sse2", "sse2+runs", "avx2", "avx2+runs")
WITHOUT_RUNS = tuple(p for p in PATHS if not p.endswith("+runs"))

# (name, size, functions to count, the call with %s for the path, its paths).
# Run filling only changes the outlined generator and the outline transform.
CASES = [
    ("filled generator's corners, 120 x 40, radius 8", (120, 40),
     "zuvo::curvix::round_filled_corners_on*", KERNEL % ("filled", "(8,) * 4", 2.0), WITHOUT_RUNS),
    ("filled generator's corners, 400 x 300, radii (24, 8, 24, 8)", (400, 300),
     "zuvo::curvix::round_filled_corners_on*", KERNEL % ("filled", "(24, 8, 24, 8)", 2.0),
     WITHOUT_RUNS),
    ("outlined generator's bands and corners, 120 x 40, radius 8, width 2", (120, 40),
     "zuvo::curvix::paint_outline_on*", KERNEL % ("outlined", "(8,) * 4", 2.0), PATHS),
    ("outlined generator's bands and corners, 400 x 300, radius 24, width 3.5", (400, 300),
     "zuvo::curvix::paint_outline_on*", KERNEL % ("outlined", "(24,) * 4", 3.5), PATHS),
    ("corner transform with colour, 1920 x 1080, radius 12", (1920, 1080),
     "zuvo::curvix::transform_corners_on*", KERNEL % ("corners", "(12,) * 4", 0.0), WITHOUT_RUNS),
    ("outline transform with background, 1920 x 1080, radius 12, stroke 2", (1920, 1080),
     "zuvo::curvix::transform_outline_on*", OUTLINE % "(30, 30, 30)", PATHS),
    ("outline transform without background, 1920 x 1080, radius 12, stroke 2", (1920, 1080),
     "zuvo::curvix::transform_outline_on*", OUTLINE % "None", PATHS),
]


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
    for name, size, functions, call, paths in CASES:
        counts = {}
        for path in paths:
            if path.split("+")[0] not in probe_paths:
                continue
            counts[path] = count(size, functions, call % path)
            print("counted: %s, %s" % (name, path), file=sys.stderr)
        results.append({"name": name, "instructions": counts})
    # The scalar column is the plain per-pixel kernels, as the module ran them
    # before the other paths existed: the old counts beside the new.
    width = max(len(r["name"]) for r in results)
    print("%-*s | %s" % (width, "case (instructions, Ir)", " | ".join("%11s" % p for p in PATHS)))
    print("-" * width + "-+-" + "-+-".join("-" * 11 for _ in PATHS))
    for r in results:
        cells = ["%11s" % (r["instructions"].get(p, "")) for p in PATHS]
        print("%-*s | %s" % (width, r["name"], " | ".join(cells)))
    print("\npaths of the probe under valgrind: %s" % probe_paths)
    pathlib.Path(args.output).parent.mkdir(parents=True, exist_ok=True)
    pathlib.Path(args.output).write_text(json.dumps({"paths": probe_paths, "results": results},
                                                    indent=2) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
