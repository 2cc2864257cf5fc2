// The outline transform's run-filling driver: rows top to bottom, each
// evaluated by an instruction set's evaluator from the borders inwards, with
// the runs whose value is provably shared filled in bulk.
#include <algorithm>
#include <cmath>

#include "outline_pixel.hpp"
#include "outline_run_writer.hpp"
#include "outline_transform_rows.hpp"

// Why whole runs of a row can be filled without evaluating them.
//
// Within one row and one half of it (columns with x - center_x <= 0, or > 0)
// the corner radius and qy are fixed, and a pixel depends on its column only
// through d = |x - center_x|, which is monotone in x across the half (falling
// on the left, rising on the right).  Every step from d to signed_dist is
// monotone non-decreasing in its varying operand under IEEE round-to-nearest:
// subtracting or adding a constant, max(., 0), squaring a non-negative value,
// a fused multiply-add with a fixed addend, sqrt, min/max against a fixed
// value, and the sum of two non-decreasing terms.  So, with d:
//
//   qx, dist_outside, dist_inside, dist_sum, signed_dist   never fall, and
//   (radius + half_width) - dist_sum                       never rises.
//
// Hence, within a half:
//   - "beyond" (signed_dist > half_width + 0.5) holds on a run at the border;
//     such a pixel gets alpha 0 and keeps its colour, on both paths.
//   - "settled" holds on a run at the centre.  It is the conjunction of
//     conditions that each hold on a down-set of d: not beyond;
//     signed_dist <= 0 and cutoff - |signed_dist| <= 0 (|signed_dist| falls as
//     signed_dist rises there), which makes sa exactly +0; and, with a
//     background, clamp01(...) * bg_alpha_mult >= bg_alpha_mult, which with
//     the clamp's bound 1 makes ba_eff exactly bg_alpha_mult.  Without a
//     background a settled pixel is left untouched; with one its result is
//     a function of (sa, ba_eff) alone, the same for the whole run.
//   - "straight" (qx <= 0 and qx < qy, the straight part of the top and
//     bottom bands) holds on a run at the centre too, and there every
//     distance term is the same: with a background, where the pixel's old
//     value is never read, the whole run takes its first column's result.
//
// Between rows: see repeats_previous.
//
// The argument needs values without NaN or infinities (NaN breaks every
// ordering) and non-negative alpha multipliers, so run filling is used only
// when every input is far below the float range; otherwise every pixel is
// evaluated.  Each run's bounds come from the same per-pixel formulas: the
// settled run's by evaluating vectors of columns from the border inwards
// until one holds a settled column (those columns need evaluating anyway),
// a beyond run longer than one vector's by galloping over single columns.

namespace zuvo::curvix {
namespace {

// Far below the float range nothing overflows: |qx|, |qy| < 2^62, their
// squares and sums stay finite, so no NaN or infinity can appear.
bool runs_provable(const OutlineTransformShape& s) noexcept {
    constexpr float limit = 0x1p60f;
    const float values[] = {s.center_x,        s.center_y,          s.box_half_w,
                            s.box_half_h,      s.half_width,        s.radii.top_left,
                            s.radii.top_right, s.radii.bottom_right, s.radii.bottom_left};
    for (const float v : values) {
        if (!(std::fabs(v) < limit)) return false;
    }
    return s.stroke_alpha_mult >= 0.0f && s.stroke_alpha_mult <= 1.0f && s.bg_alpha_mult >= 0.0f &&
           s.bg_alpha_mult <= 1.0f;
}

// Smallest i in [lo, hi) with pred(i), for pred false then true; hi if none.
template <class Pred>
std::int32_t first_true(std::int32_t lo, std::int32_t hi, Pred pred) {
    if (lo >= hi || pred(lo)) return lo;
    std::int64_t known_false = lo, step = 1, top = hi;
    while (known_false + step < top) {
        if (pred(static_cast<std::int32_t>(known_false + step))) {
            top = known_false + step;
            break;
        }
        known_false += step;
        step *= 2;
    }
    while (top - known_false > 1) {
        const std::int64_t mid = known_false + (top - known_false) / 2;
        if (pred(static_cast<std::int32_t>(mid))) {
            top = mid;
        } else {
            known_false = mid;
        }
    }
    return static_cast<std::int32_t>(top);
}

// The previous row's result, when every column outside its settled run
// had all four channels written (none was beyond or cleared).
struct PreviousRow {
    bool reusable = false;
    std::int32_t y = 0;
    float r_left = 0, r_right = 0, qy_left = 0, qy_right = 0;
    std::int32_t settled_begin = 0, settled_end = 0;

    // Whether row (left, right) equals this one in every column.  With
    // qy <= 0 in both rows, max(qy, 0) is 0 in both, and where qx >= qy in
    // both, max(qx, qy) is qx: the distance terms do not depend on the row.
    // qx only grows from the settled run's first column (or the innermost
    // evaluated one) to the border, so it is enough to compare it there; the
    // settled run's first column then settles in this row too, and with it
    // the whole run up to the centre.  With a background no result depends
    // on what the pixel held.
    bool repeats(const OutlineTransformConstants& k, const OutlineHalfRow& left,
                 const OutlineHalfRow& right, std::int32_t left_end, std::int32_t w) const {
        if (!reusable || y != left.y - 1 || r_left != left.radius || r_right != right.radius ||
            left.qy > 0.0f || qy_left > 0.0f || right.qy > 0.0f || qy_right > 0.0f) {
            return false;
        }
        const std::int32_t xl = settled_begin < left_end ? settled_begin : left_end - 1;
        if (xl >= 0 && !(pixel::qx_of(k, left, xl) >= std::max(left.qy, qy_left))) return false;
        if (left_end == w) return true;
        const std::int32_t xr = settled_end > left_end ? settled_end - 1 : left_end;
        return pixel::qx_of(k, right, xr) >= std::max(right.qy, qy_right);
    }
};

// Each row: its halves scanned from the borders inwards, then the runs the
// scans found filled through the writer.
class RowFiller {
public:
    RowFiller(const PixelPlanes& px, const OutlineTransformShape& s, OutlineSpanEvaluator eval,
              OutlineSettledScanner scan, bool runs)
        : px_(px), s_(s), eval_(eval), scan_(scan), runs_(runs && runs_provable(s)),
          k_(pixel::constants_of(s)), out_(px, s, k_) {
        left_end_ = first_true(0, s.w, [&](std::int32_t x) { return pixel::right_half(k_, x); });
    }

    void row(std::int32_t y) {
        const pixel::Row halves = pixel::row_of(s_, y);
        const OutlineHalfRow& left = halves.left;
        const OutlineHalfRow& right = halves.right;
        if (!runs_) {
            eval_(px_, k_, left, 0, left_end_);
            eval_(px_, k_, right, left_end_, s_.w);
            return;
        }
        if (s_.has_bg && previous_.repeats(k_, left, right, left_end_, s_.w)) {
            out_.copy_previous(y, 0, previous_.settled_begin);
            out_.copy_previous(y, previous_.settled_end, s_.w);
            out_.fill_settled(y, previous_.settled_begin, previous_.settled_end);
            previous_ = {true, y, left.radius, right.radius, left.qy, right.qy,
                         previous_.settled_begin, previous_.settled_end};
            return;
        }
        // Left half: beyond on [0, a), evaluated on [a, c), a shared result on
        // [c, left_end).  Right half, mirrored: shared on [left_end, e),
        // evaluated on [e, w - b), beyond on [w - b, w).  Two settled runs meet
        // at left_end and share their value, so they are filled as one.
        bool written = true;
        ScanStop left_stop, right_stop;
        std::int32_t c = scan_(px_, k_, left, 0, left_end_, true, written, left_stop);
        if (c == beyond_run) {
            const std::int32_t a = first_true(0, left_end_, [&](std::int32_t x) {
                return !pixel::beyond(k_, pixel::terms(k_, left, x));
            });
            out_.clear_alpha(y, 0, a);
            written = false;
            c = scan_(px_, k_, left, a, left_end_, true, written, left_stop);
        }
        std::int32_t e = scan_(px_, k_, right, left_end_, s_.w, false, written, right_stop);
        if (e == beyond_run) {
            const std::int32_t b = first_true(0, s_.w - left_end_, [&](std::int32_t i) {
                return !pixel::beyond(k_, pixel::terms(k_, right, s_.w - 1 - i));
            });
            out_.clear_alpha(y, s_.w - b, s_.w);
            written = false;
            e = scan_(px_, k_, right, left_end_, s_.w - b, false, written, right_stop);
        }
        const bool left_settled = !left_stop.found || left_stop.settled;
        const bool right_settled = !right_stop.found || right_stop.settled;
        if (left_settled && right_settled) {
            out_.fill_settled(y, c, e);
        } else {
            if (left_settled) {
                out_.fill_settled(y, c, left_end_);
            } else {
                out_.repeat_column(y, c, c + 1, left_end_, left_stop.written);
            }
            if (right_settled) {
                out_.fill_settled(y, left_end_, e);
            } else {
                out_.repeat_column(y, e - 1, left_end_, e - 1, right_stop.written);
            }
        }
        previous_ = {written && left_settled && right_settled, y, left.radius, right.radius,
                     left.qy, right.qy, c, e};
    }

    void finish() const noexcept { out_.finish(); }

private:
    const PixelPlanes& px_;
    const OutlineTransformShape& s_;
    OutlineSpanEvaluator eval_;
    OutlineSettledScanner scan_;
    bool runs_;
    OutlineTransformConstants k_;
    RunWriter out_;
    PreviousRow previous_{};
    std::int32_t left_end_ = 0;
};

}  // namespace

void fill_outline_rows(const PixelPlanes& px, const OutlineTransformShape& shape,
                       OutlineSpanEvaluator span, OutlineSettledScanner scan,
                       bool fill_runs) noexcept {
    RowFiller filler(px, shape, span, scan, fill_runs);
    for (std::int32_t y = 0; y < shape.h; ++y) filler.row(y);
    filler.finish();
}

}  // namespace zuvo::curvix
