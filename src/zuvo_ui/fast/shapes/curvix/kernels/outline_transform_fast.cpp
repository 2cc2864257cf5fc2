#include "outline_transform_fast.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "../../../support/numeric.hpp"
#include "outline_span.hpp"

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
//
// The argument needs values without NaN or infinities (NaN breaks every
// ordering) and non-negative alpha multipliers, so run filling is used only
// when every input is far below the float range; otherwise every pixel is
// evaluated.  Each run's bounds come from the same per-pixel formulas
// evaluated at single columns, found by galloping in from the run's end.

namespace zuvo::curvix {
namespace {

struct Terms {
    float signed_dist, sa, dist_sum;
};

constexpr float clamp01(float v) noexcept { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

class RowFiller {
public:
    RowFiller(const PixelPlanes& px, const OutlineTransform& s, SpanEvaluator eval, bool runs)
        : px_(px), s_(s), eval_(eval), runs_(runs && bounded()) {
        k_.center_x = s.center_x;
        k_.box_half_w = s.box_half_w;
        k_.cutoff = s.cutoff;
        float beyond = static_cast<float>(s.cutoff_exact);
        if (static_cast<double>(beyond) > s.cutoff_exact) beyond = std::nextafter(beyond, -HUGE_VALF);
        k_.beyond = beyond;
        k_.half_width = s.half_width;
        k_.stroke_alpha_mult = s.stroke_alpha_mult;
        k_.bg_alpha_mult = s.bg_alpha_mult;
        k_.stroke_r = s.stroke.r;
        k_.stroke_g = s.stroke.g;
        k_.stroke_b = s.stroke.b;
        k_.bg_r = s.bg.r;
        k_.bg_g = s.bg.g;
        k_.bg_b = s.bg.b;
        k_.stroke_r8 = s.stroke.r;
        k_.stroke_g8 = s.stroke.g;
        k_.stroke_b8 = s.stroke.b;
        k_.alpha_base8 = low8(s.alpha_base);
        k_.has_bg = s.has_bg;
        // The left half: columns where x - center_x > 0 does not hold.
        left_end_ = first_true(0, s.w, [&](std::int32_t x) {
            return static_cast<float>(x) - s.center_x > 0.0f;
        });
        find_interleaving();
    }

    void row(std::int32_t y) const {
        const float py = static_cast<float>(y);
        const bool bottom = py - s_.center_y > 0.0f;
        const float r_left = bottom ? s_.radii.bottom_left : s_.radii.top_left;
        const float r_right = bottom ? s_.radii.bottom_right : s_.radii.top_right;
        const float qy_base = std::fabs(py - s_.center_y) - s_.box_half_h;
        const HalfRow left = half_row(y, r_left, qy_base);
        const HalfRow right = half_row(y, r_right, qy_base);
        if (!runs_) {
            eval_(px_, k_, left, 0, left_end_);
            eval_(px_, k_, right, left_end_, s_.w);
            return;
        }
        // Left half: beyond on [0, a), evaluated on [a, c), settled on [c, left_end).
        const std::int32_t a = first_true(0, left_end_, [&](std::int32_t x) {
            return !beyond(terms(left, x));
        });
        const std::int32_t c = first_true(a, left_end_, [&](std::int32_t x) {
            return settled(left, terms(left, x));
        });
        clear_alpha(y, 0, a);
        eval_(px_, k_, left, a, c);
        if (c < left_end_) fill_settled(left, c, left_end_);
        // Right half, from the right border inwards.
        const std::int32_t n = s_.w - left_end_;
        const auto column = [&](std::int32_t i) { return s_.w - 1 - i; };
        const std::int32_t ib = first_true(0, n, [&](std::int32_t i) {
            return !beyond(terms(right, column(i)));
        });
        const std::int32_t ic = first_true(ib, n, [&](std::int32_t i) {
            return settled(right, terms(right, column(i)));
        });
        clear_alpha(y, s_.w - ib, s_.w);
        eval_(px_, k_, right, s_.w - ic, s_.w - ib);
        if (ic < n) fill_settled(right, left_end_, s_.w - ic);
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

    HalfRow half_row(std::int32_t y, float radius, float qy_base) const {
        const float qy = qy_base + radius;
        const float qy_out = max0(qy);
        return {y, radius, qy, qy_out * qy_out, radius + s_.half_width};
    }

    // The scalar kernel's distance terms of one column, operation for operation.
    Terms terms(const HalfRow& row, std::int32_t x) const {
        const float fx = static_cast<float>(x);
        const float qx = std::fabs(fx - s_.center_x) - s_.box_half_w + row.radius;
        const float qx_out = max0(qx);
        const float dist_outside = std::sqrt(std::fma(qx_out, qx_out, row.qy_out_sq));
        const float dist_inside = std::min(std::max(qx, row.qy), 0.0f);
        const float dist_sum = dist_inside + dist_outside;
        const float signed_dist = dist_sum - row.radius;
        const float sa = clamp01(s_.cutoff - std::fabs(signed_dist)) * s_.stroke_alpha_mult;
        return {signed_dist, sa, dist_sum};
    }

    bool beyond(const Terms& t) const { return t.signed_dist > k_.beyond; }

    bool settled(const HalfRow& row, const Terms& t) const {
        if (beyond(t) || !(t.signed_dist <= 0.0f) || !(s_.cutoff - std::fabs(t.signed_dist) <= 0.0f)) {
            return false;
        }
        return !s_.has_bg ||
               clamp01(row.radius_plus_hw - t.dist_sum) * s_.bg_alpha_mult >= s_.bg_alpha_mult;
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

    // Columns [x0, x1) all share the result of column x0 (see the top of the file).
    void fill_settled(const HalfRow& row, std::int32_t x0, std::int32_t x1) const {
        if (!s_.has_bg) return;  // left untouched
        const Terms t = terms(row, x0);
        const float ba_eff = clamp01(row.radius_plus_hw - t.dist_sum) * s_.bg_alpha_mult;
        const double inv_sa = 1.0 - static_cast<double>(t.sa);
        const float total_a = narrow_to_float(
            std::fma(static_cast<double>(ba_eff), inv_sa, static_cast<double>(t.sa)));
        if (total_a <= 0.0f) {
            clear_alpha(row.y, x0, x1);
            return;
        }
        const float inv_total_a = 1.0f / total_a;
        const auto channel = [&](float bg, float stroke) {
            const double blended = static_cast<double>(ba_eff * bg) * inv_sa +
                                   static_cast<double>(t.sa * stroke);
            return low8_of_trunc(narrow_to_float(blended * static_cast<double>(inv_total_a)));
        };
        std::uint8_t rgba[4] = {channel(k_.bg_r, k_.stroke_r), channel(k_.bg_g, k_.stroke_g),
                                channel(k_.bg_b, k_.stroke_b),
                                total_a >= 1.0f ? std::uint8_t{255}
                                                : low8_of_trunc(static_cast<double>(total_a) * 255.0)};
        if (interleaved_) {
            std::uint8_t word_bytes[4];
            for (int i = 0; i < 4; ++i) word_bytes[offset_[i]] = rgba[i];
            std::uint32_t word;
            std::memcpy(&word, word_bytes, 4);
            std::uint8_t* p = first_byte_ + row.y * y_stride_ + static_cast<std::ptrdiff_t>(x0) * 4;
            for (std::int32_t x = x0; x < x1; ++x, p += 4) std::memcpy(p, &word, 4);
            return;
        }
        for (std::int32_t x = x0; x < x1; ++x) {
            px_.red.at(x, row.y) = rgba[0];
            px_.green.at(x, row.y) = rgba[1];
            px_.blue.at(x, row.y) = rgba[2];
            px_.alpha.at(x, row.y) = rgba[3];
        }
    }

    // Four planes of 4-byte pixels, one byte each, take whole 32-bit stores.
    void find_interleaving() {
        const Plane* planes[4] = {&px_.red, &px_.green, &px_.blue, &px_.alpha};
        first_byte_ = px_.red.base;
        for (const Plane* p : planes) {
            if (p->x_stride != 4 || p->y_stride != px_.red.y_stride) return;
            first_byte_ = std::min(first_byte_, p->base);
        }
        bool seen[4] = {};
        for (int i = 0; i < 4; ++i) {
            const std::ptrdiff_t off = planes[i]->base - first_byte_;
            if (off < 0 || off > 3 || seen[off]) return;
            seen[off] = true;
            offset_[i] = static_cast<int>(off);
        }
        y_stride_ = px_.red.y_stride;
        interleaved_ = true;
    }

    const PixelPlanes& px_;
    const OutlineTransform& s_;
    SpanEvaluator eval_;
    bool runs_;
    OutlineConstants k_{};
    std::int32_t left_end_ = 0;
    bool interleaved_ = false;
    std::uint8_t* first_byte_ = nullptr;
    std::ptrdiff_t y_stride_ = 0;
    int offset_[4] = {};
};

bool has_avx2_fma() noexcept {
#if defined(__x86_64__) || defined(_M_X64)
    static const bool yes = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return yes;
#else
    return false;
#endif
}

SpanEvaluator evaluator(OutlinePath path) noexcept {
#if defined(__x86_64__) || defined(_M_X64)
    if (path == OutlinePath::avx2) return outline_span_avx2;
    if (path == OutlinePath::sse2) return outline_span_sse2;
#endif
    return nullptr;
}

}  // namespace

bool outline_path_available(OutlinePath path) noexcept {
    switch (path) {
        case OutlinePath::scalar: return true;
        case OutlinePath::sse2: return evaluator(OutlinePath::sse2) != nullptr;
        case OutlinePath::avx2: return has_avx2_fma();
    }
    return false;
}

void transform_outline_on(const PixelPlanes& px, const OutlineTransform& shape, OutlinePath path,
                          bool fill_runs) noexcept {
    const SpanEvaluator eval = outline_path_available(path) ? evaluator(path) : nullptr;
    if (eval == nullptr) {
        transform_outline(px, shape);
        return;
    }
    const RowFiller filler(px, shape, eval, fill_runs);
    for (std::int32_t y = 0; y < shape.h; ++y) filler.row(y);
}

void transform_outline_fast(const PixelPlanes& px, const OutlineTransform& shape) noexcept {
    static const OutlinePath best =
        outline_path_available(OutlinePath::avx2) ? OutlinePath::avx2 : OutlinePath::sse2;
    transform_outline_on(px, shape, best, true);
}

}  // namespace zuvo::curvix
