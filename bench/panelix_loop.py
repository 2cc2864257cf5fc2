"""Calls one panelix fast path in a loop, host recording off, for a profiler:

    perf record -o panelix.data python bench/panelix_loop.py recollide 3000
    perf report -i panelix.data --sort dso
"""

import os
import pathlib
import sys
import time

os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import cases_panelix  # noqa: E402
from zuvo_standin import recorder  # noqa: E402
from zuvo_ui.fast.zvrendertex.zv_render_tex import ZvRenderTexture  # noqa: E402
from zuvo_ui.fast.zvspecific import panelix  # noqa: E402


def main(which, count):
    if which == "recollide":
        container, items = cases_panelix.scrolled_container()
        call, args = panelix.scrollable_recollide_items, (container, items)
    else:
        cases_panelix.zuvo_raylib.reset()
        call, args = panelix.menu_draw_raylib, (cases_panelix.Menu(), ZvRenderTexture(320, 240, "bg"))
    recorder.set_recording(False)
    start = time.perf_counter()
    for _ in range(count):
        call(*args)
    print("%s: %.0f ns per call" % (which, (time.perf_counter() - start) / count * 1e9))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "recollide",
         int(sys.argv[2]) if len(sys.argv) > 2 else 1000)
