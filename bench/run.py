"""Runs the benchmark suite: prints a table and writes a JSON result file.

    python bench/run.py [--output bench-results.json] [--quick] [--only TEXT]
"""

import argparse
import dataclasses
import json
import os
import pathlib
import platform
import sys

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
# NumPy's BLAS threads would otherwise spin on the second core between calls.
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import pygame  # noqa: E402

import cases_draw  # noqa: E402
import cases_shapes  # noqa: E402
import cases_panelix  # noqa: E402
import cases_transforms  # noqa: E402
from harness import measure, table  # noqa: E402

SUITES = [cases_shapes, cases_transforms, cases_panelix, cases_draw]


def processor_name():
    """The processor's model name (Linux), else what platform says."""
    try:
        for line in pathlib.Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or platform.machine()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--output", default="bench-results.json")
    parser.add_argument("--quick", action="store_true", help="fewer repeats (a smoke run)")
    parser.add_argument("--only", default="", help="run the cases whose name contains this")
    args = parser.parse_args()

    pygame.init()
    load_before = os.getloadavg()
    results = []
    for suite in SUITES:
        for case in suite.cases():
            if args.only in case.name:
                results.append(measure(case, repeats=3 if args.quick else 15))
                print("measured: %s" % case.name, file=sys.stderr)
    print(table(results))
    load_after = os.getloadavg()
    print("\nprocessor: %s" % processor_name())
    print("%s %s (SDL %s), CPython %s; load average (1, 5, 15 min) %s before, %s after"
          % ("pygame-ce" if getattr(pygame, "IS_CE", False) else "pygame", pygame.version.ver,
             ".".join(map(str, pygame.get_sdl_version())), platform.python_version(),
             "%.2f %.2f %.2f" % load_before, "%.2f %.2f %.2f" % load_after))
    machine = {"python": platform.python_version(), "machine": platform.machine(),
               "processor": processor_name(), "cpus": os.cpu_count(),
               "pygame": pygame.version.ver, "pygame_ce": bool(getattr(pygame, "IS_CE", False)),
               "load_before": load_before, "load_after": load_after}
    payload = {"machine": machine,
               "results": [dict(dataclasses.asdict(r), ratio=r.ratio, met=r.met) for r in results]}
    pathlib.Path(args.output).write_text(json.dumps(payload, indent=2) + "\n")
    print("\nresults written to %s" % args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
