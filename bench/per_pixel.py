"""Prints the per-pixel cost of the growth cases of a result file, so that
linear growth (a flat cost per pixel) can be seen at a glance.

    python bench/per_pixel.py bench-results.json
"""

import json
import sys


def main(path):
    results = json.loads(open(path).read())["results"]
    rows = [(r["name"], int(r["note"].split("pixels=")[1]), r["ours_ns"], r["baseline_ns"])
            for r in results if r["note"].startswith("pixels=")]
    if not rows:
        return 0
    print("\n%-60s %12s %12s %14s %14s" % ("growth case", "pixels", "ours", "ours / pixel",
                                          "fill / pixel"))
    for name, pixels, ours, base in rows:
        print("%-60s %12d %10.3g us %11.3f ns %11.3f ns" % (
            name, pixels, ours / 1e3, ours / pixels, base / pixels))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "bench-results.json"))
