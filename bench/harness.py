"""Timing harness: our call against a baseline measured in the same run.

Each case times batches of calls of both functions, alternating between them
so that drift of the machine hits both alike, and reports the median time per
call, its spread (interquartile range over the median) and the ratio of the
medians.  Ratios, not absolute times, are what the targets are about.
"""

import contextlib
import dataclasses
import statistics
import time


@dataclasses.dataclass
class Case:
    name: str
    ours: object                 # callable with no arguments
    baseline: object             # callable with no arguments
    baseline_name: str
    target: float | None = None  # the ratio to reach (ours / baseline), if any
    note: str = ""
    context: object = contextlib.nullcontext  # entered around the whole measurement


@dataclasses.dataclass
class Result:
    name: str
    baseline_name: str
    ours_ns: float
    baseline_ns: float
    ours_spread: float
    baseline_spread: float
    target: float | None
    note: str

    @property
    def ratio(self):
        return self.ours_ns / self.baseline_ns

    @property
    def met(self):
        return None if self.target is None else self.ratio <= self.target


def _batch_size(fn, budget_s):
    """Calls per batch so that one batch takes about `budget_s`."""
    n = 1
    while True:
        start = time.perf_counter()
        for _ in range(n):
            fn()
        elapsed = time.perf_counter() - start
        if elapsed >= budget_s / 4 or n >= 1 << 20:
            return max(1, int(n * budget_s / max(elapsed, 1e-9)))
        n *= 4


def _time_batch(fn, n):
    start = time.perf_counter_ns()
    for _ in range(n):
        fn()
    return (time.perf_counter_ns() - start) / n


def _spread(samples):
    q = statistics.quantiles(samples, n=4)
    return (q[2] - q[0]) / statistics.median(samples)


def measure(case, repeats=15, batch_s=0.02):
    with case.context():
        return _measure(case, repeats, batch_s)


def _measure(case, repeats, batch_s):
    for _ in range(3):  # warm up caches, allocators and branch predictors
        case.ours()
        case.baseline()
    n_ours = _batch_size(case.ours, batch_s)
    n_base = _batch_size(case.baseline, batch_s)
    ours, base = [], []
    for _ in range(repeats):
        ours.append(_time_batch(case.ours, n_ours))
        base.append(_time_batch(case.baseline, n_base))
    return Result(case.name, case.baseline_name, statistics.median(ours), statistics.median(base),
                  _spread(ours), _spread(base), case.target, case.note)


def format_ns(ns):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if ns >= scale:
            return "%.3g %s" % (ns / scale, unit)
    return "%.3g ns" % ns


def table(results):
    rows = [("case", "ours", "baseline", "ratio", "target", "met")]
    for r in results:
        rows.append((r.name, "%s ±%.0f%%" % (format_ns(r.ours_ns), 100 * r.ours_spread),
                     "%s ±%.0f%% (%s)" % (format_ns(r.baseline_ns), 100 * r.baseline_spread,
                                         r.baseline_name),
                     "%.3f" % r.ratio, "" if r.target is None else "<= %.2f" % r.target,
                     {None: "", True: "yes", False: "NO"}[r.met]))
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]))]
    lines = [" | ".join(cell.ljust(w) for cell, w in zip(row, widths)).rstrip() for row in rows]
    lines.insert(1, "-+-".join("-" * w for w in widths))
    return "\n".join(lines)
