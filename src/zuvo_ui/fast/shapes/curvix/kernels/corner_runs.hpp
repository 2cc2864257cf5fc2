// One row of a corner square painted as runs: windows of columns evaluated
// only where the pixels change, the runs between them filled or skipped.
// Plain integer code with internal linkage, so that every unit including it
// (the instruction-set units too) has its own copy.  No Python.
//
// Why runs can be told from a few windows.  Counted from the square's outer
// column inwards, a pixel of a corner row depends on its column only through
// a signed distance that never rises (the kernels' proofs are beside their
// windows, in simd/corner_rows.hpp).  Each kernel sorts its pixels into
// ranks 0, 1, ... that follow that distance downwards, so along a row the
// ranks never fall: the row is a run of rank 0, then one of rank 1, and so on,
// some of them empty.  A window that evaluates columns [p, p + m) learns how
// many of them rank below each k; from its outermost and innermost columns it
// follows that every column outward of it ranks at most the outermost one's
// rank, and every column inward at least the innermost one's.  Two windows
// whose facing columns have the same rank therefore enclose a run of that
// rank, which is filled (or left alone) without evaluating it.
#pragma once

#include <cstdint>

namespace zuvo::curvix {
namespace {

constexpr int kMaxRanks = 5;

// below[k]: how many of a window's columns rank below k (k = 1 .. ranks - 1).
struct WindowCounts {
    std::int32_t below[kMaxRanks] = {};
};

// Where each rank that follows a run (rank 1 after rank 0, say) began in the
// row painted before, counted inwards: the guesses for the next row.  Rows
// are painted from the square's straight end towards its outer row, so the
// runs move inwards row by row; a wrong guess costs a window, never a pixel.
struct RankStarts {
    std::int32_t at[kMaxRanks] = {};
};

// Paints the `length` columns of one row through `window`, which provides
//   lanes, ranks            columns per window, ranks of the kernel
//   evaluated(rank)         whether that rank's pixels differ (evaluated in windows)
//   evaluate(p)             evaluates and writes columns [p, p + min(lanes, length))
//                           counted inwards, and returns their counts
//   run(rank, from, to)     writes columns [from, to) of that rank (or nothing)
template <class Window>
void paint_row_in_runs(Window& window, std::int32_t length, RankStarts& starts) {
    constexpr int top = Window::ranks - 1;
    if (length <= 0) return;
    if (length <= Window::lanes) {  // one window is the whole row
        window.evaluate(0);
        return;
    }
    const std::int32_t m = Window::lanes;
    const auto place = [&](std::int64_t p) {
        return static_cast<std::int32_t>(p < 0 ? 0 : (p > length - m ? length - m : p));
    };
    // The first window one column outward of where rank 1 began in the row
    // before; while its outermost column is not of rank 0 the run may begin
    // further out.
    std::int32_t p = place(std::int64_t{starts.at[1]} - 1);
    WindowCounts c = window.evaluate(p);
    while (p > 0 && c.below[1] == 0) {
        p = place(std::int64_t{p} - m);
        c = window.evaluate(p);
    }
    window.run(0, 0, p);
    for (;;) {
        // The rank of the window's innermost column; where the ranks that
        // follow a run began, for the next row.
        int rank = 0;
        for (int k = 1; k <= top; ++k) {
            if (c.below[k] == m) break;
            rank = k;
            // Inside the window (or at the row's first column) it begins
            // after the columns below it; otherwise it began before the window.
            const bool begins_here = c.below[k] > 0 || p == 0;
            if (begins_here && !Window::evaluated(k - 1)) starts.at[k] = p + c.below[k];
        }
        const std::int32_t end = p + m;
        if (end >= length || rank == top) {
            for (int k = rank + 1; k <= top; ++k) {
                if (!Window::evaluated(k - 1)) starts.at[k] = length;
            }
            window.run(rank, end, length);
            return;
        }
        if (!Window::evaluated(rank)) {
            // A run: the next window where the next rank began in the row
            // before.  If its outermost column still has this rank, so has
            // every column between; otherwise the windows walk the gap.
            const std::int32_t q = place(std::int64_t{starts.at[rank + 1]} - 1);
            if (q > end) {
                const WindowCounts cq = window.evaluate(q);
                if (cq.below[rank + 1] > 0) {
                    window.run(rank, end, q);
                    p = q;
                    c = cq;
                    continue;
                }
            }
        }
        p = place(end);
        c = window.evaluate(p);
    }
}

}  // namespace
}  // namespace zuvo::curvix
