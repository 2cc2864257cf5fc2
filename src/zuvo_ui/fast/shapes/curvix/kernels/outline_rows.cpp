// The outline transform's run-filling driver: rows top to bottom, each
// evaluated by an instruction set's evaluator from the borders inwards, with
// the runs whose value is provably shared filled in bulk.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "../../../support/numeric.hpp"
#include "outline_pixel.hpp"
#include "outline_span.hpp"
#include "pixel_runs.hpp"

// Non-temporal stores: where the string stores are.
#ifdef ZUVO_STRING_STORES
#include <emmintrin.h>
#endif

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
//   (current_r + half_width) - dist_sum                    never rises.
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

// Surfaces at least this large have their settled runs written with
// non-temporal stores: such a surface does not stay in the cache between
// calls anyway, and these stores skip reading each line before writing it,
// as pygame's fill does (4096 x 4096 after a fill: 7.1 ms with ordinary
// stores, 3.3 ms streaming).  Below it the cache wins (2048 x 2048 called
// alone: 0.84 ms ordinary, 0.91 ms streaming).
constexpr std::int64_t kStreamingBytes = std::int64_t{32} << 20;

// fill_words with non-temporal stores of whole cache lines; the partial lines
// at both ends take ordinary stores, since the row's evaluated columns share
// them.  The caller fences once at the end.
void stream_words(std::uint8_t* p, std::int32_t count, std::uint32_t word) noexcept {
#ifdef ZUVO_STRING_STORES
    constexpr std::uintptr_t line = 64;
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first_line = (address + line - 1) & ~(line - 1);
    if ((address & 3) == 0 && first_line + line <= address + std::uintptr_t(count) * 4) {
        const std::int32_t head = static_cast<std::int32_t>((first_line - address) / 4);
        fill_words(p, head, word);
        p += head * 4;
        count -= head;
        const __m128i v = _mm_set1_epi32(static_cast<int>(word));
        for (; count >= 16; count -= 16, p += line) {
            auto* at = reinterpret_cast<__m128i*>(p);
            _mm_stream_si128(at, v);
            _mm_stream_si128(at + 1, v);
            _mm_stream_si128(at + 2, v);
            _mm_stream_si128(at + 3, v);
        }
    }
#endif
    fill_words(p, count, word);
}

class RowFiller {
public:
    RowFiller(const PixelPlanes& px, const OutlineTransform& s, SpanEvaluator eval,
              SettledScanner scan, bool runs)
        : px_(px), s_(s), eval_(eval), scan_(scan), runs_(runs && bounded()),
          k_(pixel::constants_of(s)) {
        left_end_ = first_true(0, s.w, [&](std::int32_t x) { return pixel::right_half(k_, x); });
        find_interleaving();
        settled_ = settled_result();
    }

    void row(std::int32_t y) {
        const pixel::Row halves = pixel::row_of(s_, y);
        const HalfRow& left = halves.left;
        const HalfRow& right = halves.right;
        if (!runs_) {
            eval_(px_, k_, left, 0, left_end_);
            eval_(px_, k_, right, left_end_, s_.w);
            return;
        }
        if (s_.has_bg && repeats_previous(left, right)) {
            copy_previous(y, 0, previous_.settled_begin);
            copy_previous(y, previous_.settled_end, s_.w);
            fill_settled(y, previous_.settled_begin, previous_.settled_end);
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
            clear_alpha(y, 0, a);
            written = false;
            c = scan_(px_, k_, left, a, left_end_, true, written, left_stop);
        }
        std::int32_t e = scan_(px_, k_, right, left_end_, s_.w, false, written, right_stop);
        if (e == beyond_run) {
            const std::int32_t b = first_true(0, s_.w - left_end_, [&](std::int32_t i) {
                return !pixel::beyond(k_, pixel::terms(k_, right, s_.w - 1 - i));
            });
            clear_alpha(y, s_.w - b, s_.w);
            written = false;
            e = scan_(px_, k_, right, left_end_, s_.w - b, false, written, right_stop);
        }
        const bool left_settled = !left_stop.found || left_stop.settled;
        const bool right_settled = !right_stop.found || right_stop.settled;
        if (left_settled && right_settled) {
            fill_settled(y, c, e);
        } else {
            if (left_settled) {
                fill_settled(y, c, left_end_);
            } else {
                repeat_column(y, c, c + 1, left_end_, left_stop.written);
            }
            if (right_settled) {
                fill_settled(y, left_end_, e);
            } else {
                repeat_column(y, e - 1, left_end_, e - 1, right_stop.written);
            }
        }
        previous_ = {written && left_settled && right_settled, y, left.radius, right.radius,
                     left.qy, right.qy, c, e};
    }

    // Makes the non-temporal stores visible to other threads before the
    // kernel returns (the interpreter lock may be taken back on another core).
    void finish() const noexcept {
#ifdef ZUVO_STRING_STORES
        if (streaming_) _mm_sfence();
#endif
    }

private:
    // Far below the float range nothing overflows: |qx|, |qy| < 2^62, their
    // squares and sums stay finite, so no NaN or infinity can appear.
    bool bounded() const {
        constexpr float limit = 0x1p60f;
        const float values[] = {s_.center_x,         s_.center_y,          s_.box_half_w,
                                s_.box_half_h,       s_.half_width,        s_.radii.top_left,
                                s_.radii.top_right,  s_.radii.bottom_right, s_.radii.bottom_left};
        for (const float v : values) {
            if (!(std::fabs(v) < limit)) return false;
        }
        return s_.stroke_alpha_mult >= 0.0f && s_.stroke_alpha_mult <= 1.0f &&
               s_.bg_alpha_mult >= 0.0f && s_.bg_alpha_mult <= 1.0f;
    }

    // The previous row's result, when every column outside its settled run
    // had all four channels written (none was beyond or cleared).
    struct PreviousRow {
        bool reusable = false;
        std::int32_t y = 0;
        float r_left = 0, r_right = 0, qy_left = 0, qy_right = 0;
        std::int32_t settled_begin = 0, settled_end = 0;
    };

    // Whether this row's result equals the previous row's in every column.
    // With qy <= 0 in both rows, max(qy, 0) is 0 in both, and where
    // qx >= qy in both, max(qx, qy) is qx: the distance terms do not depend
    // on the row.  qx only grows from the settled run's first column (or the
    // innermost evaluated one) to the border, so it is enough to compare it
    // there; the settled run's first column then settles in this row too,
    // and with it the whole run up to the centre.  With a background no
    // result depends on what the pixel held.
    bool repeats_previous(const HalfRow& left, const HalfRow& right) const {
        const PreviousRow& p = previous_;
        if (!p.reusable || p.y != left.y - 1 || p.r_left != left.radius || p.r_right != right.radius ||
            left.qy > 0.0f || p.qy_left > 0.0f || right.qy > 0.0f || p.qy_right > 0.0f) {
            return false;
        }
        const std::int32_t xl = p.settled_begin < left_end_ ? p.settled_begin : left_end_ - 1;
        if (xl >= 0 && !(pixel::qx_of(k_, left, xl) >= std::max(left.qy, p.qy_left))) return false;
        if (left_end_ == s_.w) return true;
        const std::int32_t xr = p.settled_end > left_end_ ? p.settled_end - 1 : left_end_;
        return pixel::qx_of(k_, right, xr) >= std::max(right.qy, p.qy_right);
    }

    // Columns [x0, x1) get the result of column `from`, evaluated just now:
    // all four channels when it had them written, else only its cleared alpha.
    void repeat_column(std::int32_t y, std::int32_t from, std::int32_t x0, std::int32_t x1,
                       bool all_channels) const {
        if (x0 >= x1) return;
        if (!all_channels) {
            clear_alpha(y, x0, x1);
        } else if (interleaved_) {
            std::uint32_t word;
            std::memcpy(&word, pixels_.at(from, y), 4);
            fill_words(pixels_.at(x0, y), x1 - x0, word);
        } else {
            for (const Plane* p : {&px_.red, &px_.green, &px_.blue, &px_.alpha}) {
                const std::uint8_t v = p->at(from, y);
                for (std::int32_t x = x0; x < x1; ++x) p->at(x, y) = v;
            }
        }
    }

    void copy_previous(std::int32_t y, std::int32_t x0, std::int32_t x1) const {
        if (x0 >= x1) return;
        if (interleaved_) {
            std::uint8_t* to = pixels_.at(x0, y);
            std::memcpy(to, to - pixels_.y_stride, static_cast<std::size_t>(x1 - x0) * 4);
            return;
        }
        for (const Plane* p : {&px_.red, &px_.green, &px_.blue, &px_.alpha}) {
            for (std::int32_t x = x0; x < x1; ++x) p->at(x, y) = p->at(x, y - 1);
        }
    }

    // Smallest i in [lo, hi) with pred(i), for pred false then true; hi if none.
    template <class Pred>
    static std::int32_t first_true(std::int32_t lo, std::int32_t hi, Pred pred) {
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

    void clear_alpha(std::int32_t y, std::int32_t x0, std::int32_t x1) const {
        for (std::int32_t x = x0; x < x1; ++x) px_.alpha.at(x, y) = 0;
    }

    // What every settled pixel becomes: sa is exactly +0 and ba_eff exactly
    // bg_alpha_mult there, so one evaluation of the blend serves every row.
    struct Settled {
        bool clear;
        std::uint8_t rgba[4];
        std::uint32_t word;  // rgba in the pixel's byte order, when interleaved
    };

    Settled settled_result() const {
        Settled r{};
        if (!s_.has_bg) return r;
        const pixel::Result p = pixel::over_background(k_, 0.0f, k_.bg_alpha_mult);
        r.clear = p.clear;
        if (r.clear) return r;
        const std::uint8_t rgba[4] = {p.r, p.g, p.b, p.a};
        std::copy(rgba, rgba + 4, r.rgba);
        r.word = pixels_.word(rgba);
        return r;
    }

    void fill_settled(std::int32_t y, std::int32_t x0, std::int32_t x1) const {
        if (!s_.has_bg || x0 >= x1) return;  // without a background: left untouched
        if (settled_.clear) {
            clear_alpha(y, x0, x1);
        } else if (interleaved_) {
            std::uint8_t* at = pixels_.at(x0, y);
            if (streaming_) {
                stream_words(at, x1 - x0, settled_.word);
            } else {
                fill_words(at, x1 - x0, settled_.word);
            }
        } else {
            for (std::int32_t x = x0; x < x1; ++x) {
                px_.red.at(x, y) = settled_.rgba[0];
                px_.green.at(x, y) = settled_.rgba[1];
                px_.blue.at(x, y) = settled_.rgba[2];
                px_.alpha.at(x, y) = settled_.rgba[3];
            }
        }
    }

    // Interleaved pixels take whole 32-bit stores and row copies.
    void find_interleaving() {
        interleaved_ = zuvo::curvix::find_interleaving(px_, s_.w, s_.h, pixels_);
        const std::int64_t rows = s_.h, row_bytes = std::abs(static_cast<std::int64_t>(pixels_.y_stride));
        streaming_ = interleaved_ && rows * row_bytes >= kStreamingBytes;
    }

    const PixelPlanes& px_;
    const OutlineTransform& s_;
    SpanEvaluator eval_;
    SettledScanner scan_;
    bool runs_;
    OutlineConstants k_;
    Settled settled_{};
    PreviousRow previous_{};
    std::int32_t left_end_ = 0;
    bool interleaved_ = false;
    bool streaming_ = false;
    InterleavedPixels pixels_;
};

}  // namespace

void fill_outline_rows(const PixelPlanes& px, const OutlineTransform& shape, SpanEvaluator span,
                       SettledScanner scan, bool fill_runs) noexcept {
    RowFiller filler(px, shape, span, scan, fill_runs);
    for (std::int32_t y = 0; y < shape.h; ++y) filler.row(y);
    filler.finish();
}

}  // namespace zuvo::curvix
