// The outline transform's evaluator on vectors of columns, written once over
// the lanes of simd/lanes.hpp.  It follows outline_pixel.hpp, the scalar
// rules, lane by lane: the sum of squares and the blend's alpha as single
// fused multiply-adds, every float-to-integer conversion through `low8_of`.
#pragma once

#include <cstdint>

#include "../outline_transform_rows.hpp"
#include "lanes.hpp"

namespace zuvo::curvix::simd {
namespace {

// sa + base * (1 - sa) in double precision, one fused multiply-add, rounded to single.
template <class Isa>
F<Isa> over(Halves<Isa> sa, Halves<Isa> inv_sa, F<Isa> base) {
    const Halves<Isa> b = widen<Isa>(base);
    return Isa::narrow(Isa::fma_d(b.lo, inv_sa.lo, sa.lo), Isa::fma_d(b.hi, inv_sa.hi, sa.hi));
}

// ((under * (1 - sa)) + top) * inv_total_a in double precision, rounded to
// single, truncated, low 8 bits.
template <class Isa>
I<Isa> blend_channel(F<Isa> under, F<Isa> top, Halves<Isa> inv_sa, Halves<Isa> inv_total) {
    const Halves<Isa> u = widen<Isa>(under), t = widen<Isa>(top);
    const auto lo = (u.lo * inv_sa.lo + t.lo) * inv_total.lo;
    const auto hi = (u.hi * inv_sa.hi + t.hi) * inv_total.hi;
    return low8_of<Isa>(Isa::narrow(lo, hi));
}

// alpha_of of the scalar rules: 255 from 1 up, else low8(trunc(total_a * 255)).
template <class Isa>
I<Isa> alpha_of(F<Isa> total) {
    const Halves<Isa> t = widen<Isa>(total);
    const I<Isa> ramp = low8_of<Isa>(Halves<Isa>{t.lo * 255.0, t.hi * 255.0});
    return total >= splat<Isa>(1.0f) ? splat_int<Isa>(255) : ramp;
}

constexpr std::int32_t keep = 0, clear_alpha = 1, write_all = 2;

// One vector's results: what to do with each column and the bytes to write.
template <class Isa>
struct Out {
    I<Isa> action, r, g, b, a;
};

template <class Isa>
void store(const PixelRow& cells, std::int32_t x0, std::int32_t count, const Out<Isa>& o) {
    const Unpacked<Isa> act(o.action), r(o.r), g(o.g), b(o.b), a(o.a);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t x = x0 + i;
        if (act.v[i] == write_all) {
            cells.red[x] = static_cast<std::uint8_t>(r.v[i]);
            cells.green[x] = static_cast<std::uint8_t>(g.v[i]);
            cells.blue[x] = static_cast<std::uint8_t>(b.v[i]);
            cells.alpha[x] = static_cast<std::uint8_t>(a.v[i]);
        } else if (act.v[i] == clear_alpha) {
            cells.alpha[x] = 0;
        }
    }
}

// The stroke composited over the existing pixels of the `blend` lanes.
template <class Isa>
void blend_over_content(const PixelRow& cells, const OutlineTransformConstants& k,
                        std::int32_t x0, std::int32_t count, F<Isa> sa, Halves<Isa> inv_sa,
                        I<Isa> blend, Out<Isa>& o) {
    const F<Isa> vr = load<Isa>(cells.red, x0, count);
    const F<Isa> vg = load<Isa>(cells.green, x0, count);
    const F<Isa> vb = load<Isa>(cells.blue, x0, count);
    const F<Isa> va = load<Isa>(cells.alpha, x0, count);
    const Halves<Isa> a = widen<Isa>(va);
    const F<Isa> orig_a = Isa::narrow(a.lo / 255.0, a.hi / 255.0);
    const F<Isa> total = over<Isa>(widen<Isa>(sa), inv_sa, orig_a);
    const Halves<Isa> inv_total = widen<Isa>(splat<Isa>(1.0f) / total);
    const I<Isa> cleared = total <= F<Isa>{};
    const I<Isa> br = blend_channel<Isa>(vr * orig_a, sa * k.stroke_r, inv_sa, inv_total);
    const I<Isa> bg = blend_channel<Isa>(vg * orig_a, sa * k.stroke_g, inv_sa, inv_total);
    const I<Isa> bb = blend_channel<Isa>(vb * orig_a, sa * k.stroke_b, inv_sa, inv_total);
    const I<Isa> ba = alpha_of<Isa>(total);
    const I<Isa> act = cleared ? splat_int<Isa>(clear_alpha) : splat_int<Isa>(write_all);
    o.action = blend ? act : o.action;
    o.r = blend ? br : o.r;
    o.g = blend ? bg : o.g;
    o.b = blend ? bb : o.b;
    o.a = blend ? ba : o.a;
}

template <class Isa>
struct Kinds {
    I<Isa> settled, beyond;
    I<Isa> written;   // lanes whose four channels were all written
    I<Isa> straight;  // qx <= 0 and qx < qy: the distance terms do not depend on x
};

// Evaluates and stores columns [x0, x0 + count) (count <= lanes) of `cells`,
// row `row.y`; returns the kinds of its lanes (see outline_rows.cpp for why
// settled and straight columns end a scan; only meaningful for inputs
// without NaN or infinities).
template <class Isa>
Kinds<Isa> evaluate_vector(const PixelRow& cells, const OutlineTransformConstants& k,
                           const OutlineHalfRow& row, std::int32_t x0, std::int32_t count) {
    const F<Isa> zero{}, one = zero + 1.0f;
    const F<Isa> qy = splat<Isa>(row.qy);
    const F<Isa> qx = (abs_of<Isa>(columns<Isa>(x0) - k.center_x) - k.box_half_w) + row.radius;
    const F<Isa> qx_out = max0<Isa>(qx);
    const F<Isa> dist_outside = Isa::sqrt(Isa::fma_f(qx_out, qx_out, splat<Isa>(row.qy_out_sq)));
    const F<Isa> dist_inside = min_of<Isa>(max_of<Isa>(qx, qy), zero);
    const F<Isa> dist_sum = dist_inside + dist_outside;
    const F<Isa> signed_dist = dist_sum - row.radius;
    const F<Isa> sa = clamp01<Isa>(k.cutoff - abs_of<Isa>(signed_dist)) * k.stroke_alpha_mult;
    const I<Isa> beyond = signed_dist > splat<Isa>(k.beyond);
    I<Isa> settled =
        ~beyond & (signed_dist <= zero) & ((k.cutoff - abs_of<Isa>(signed_dist)) <= zero);
    const Halves<Isa> sa_d = widen<Isa>(sa);
    const Halves<Isa> inv_sa{1.0 - sa_d.lo, 1.0 - sa_d.hi};
    Out<Isa> o;
    if (k.has_bg) {
        const F<Isa> ba = clamp01<Isa>(row.radius_plus_hw - dist_sum) * k.bg_alpha_mult;
        settled &= ba >= splat<Isa>(k.bg_alpha_mult);
        const F<Isa> total = over<Isa>(sa_d, inv_sa, ba);
        const Halves<Isa> inv_total = widen<Isa>(one / total);
        o.r = blend_channel<Isa>(ba * k.bg_r, sa * k.stroke_r, inv_sa, inv_total);
        o.g = blend_channel<Isa>(ba * k.bg_g, sa * k.stroke_g, inv_sa, inv_total);
        o.b = blend_channel<Isa>(ba * k.bg_b, sa * k.stroke_b, inv_sa, inv_total);
        o.a = alpha_of<Isa>(total);
        const I<Isa> cleared = beyond | (total <= zero);
        o.action = cleared ? splat_int<Isa>(clear_alpha) : splat_int<Isa>(write_all);
    } else {
        const I<Isa> untouched = (signed_dist < splat<Isa>(-k.beyond)) | (sa <= zero);
        const I<Isa> full = sa >= one;
        const I<Isa> replace = (signed_dist > zero) | full;
        o.r = splat_int<Isa>(k.stroke_r8);
        o.g = splat_int<Isa>(k.stroke_g8);
        o.b = splat_int<Isa>(k.stroke_b8);
        o.a = full ? splat_int<Isa>(k.alpha_base8)
                   : low8_of<Isa>(Halves<Isa>{sa_d.lo * 255.0, sa_d.hi * 255.0});
        o.action = beyond ? splat_int<Isa>(clear_alpha)
                          : (untouched ? splat_int<Isa>(keep)
                                       : (replace ? splat_int<Isa>(write_all) : I<Isa>{}));
        const I<Isa> blend = ~beyond & ~untouched & ~replace;
        if (any_of<Isa>(blend)) {
            blend_over_content<Isa>(cells, k, x0, count, sa, inv_sa, blend, o);
        }
    }
    store<Isa>(cells, x0, count, o);
    return {settled, beyond, o.action == splat_int<Isa>(write_all), (qx <= zero) & (qx < qy)};
}

template <class Isa>
void evaluate_span(const PixelPlanes& px, const OutlineTransformConstants& k,
                   const OutlineHalfRow& row, std::int32_t x_begin, std::int32_t x_end) noexcept {
    constexpr std::int32_t n = Isa::lanes;
    const PixelRow cells(px, row.y);
    // Steps that never pass the span's end: no column index overflows.
    for (std::int32_t x0 = x_begin, count = 0; x0 < x_end; x0 += count) {
        count = x_end - x0 < n ? x_end - x0 : n;
        evaluate_vector<Isa>(cells, k, row, x0, count);
    }
}

// Evaluates columns from the border of a half inwards, a vector at a time,
// until a vector holds a column whose result the rest of the half shares:
// a settled one (settled columns lie on one run at the centre), or, with a
// background, a straight one (ditto; their distance terms, and so their
// results, are all equal).  Returns that column (scanning rightwards) or one
// past it (leftwards), and says in `stop` which kind it was and whether all
// its channels were written.  Columns of the run already evaluated got the
// value the run's fill gives them.  When the first vector lies beyond the
// outer edge in every column and more follow, returns `beyond_run` instead,
// so that the caller can skip that run by bisection.  `all_written` is
// cleared when some evaluated column did not get all four channels written.
template <class Isa>
std::int32_t scan_to_settled(const PixelPlanes& px, const OutlineTransformConstants& k,
                             const OutlineHalfRow& row, std::int32_t x_begin, std::int32_t x_end,
                             bool rightwards, bool& all_written, ScanStop& stop) noexcept {
    constexpr std::int32_t n = Isa::lanes;
    const PixelRow cells(px, row.y);
    stop = ScanStop{};
    // Whether lane i ends the scan; notes what it was.
    const auto stops_at = [&](const Kinds<Isa>& kinds, std::int32_t i) {
        if (kinds.settled[i]) {
            stop.settled = true;
        } else if (!(k.has_bg && kinds.straight[i])) {
            all_written &= kinds.written[i] != 0;
            return false;
        }
        stop.found = true;
        stop.written = kinds.written[i] != 0;
        return true;
    };
    if (rightwards) {
        for (std::int32_t x0 = x_begin, count = 0; x0 < x_end; x0 += count) {
            count = x_end - x0 < n ? x_end - x0 : n;
            const Kinds<Isa> kinds = evaluate_vector<Isa>(cells, k, row, x0, count);
            if (x0 == x_begin && x_end - x0 > n && all_of<Isa>(kinds.beyond)) return beyond_run;
            for (std::int32_t i = 0; i < count; ++i) {
                if (stops_at(kinds, i)) return x0 + i;
            }
        }
        return x_end;
    }
    for (std::int32_t end = x_end; end > x_begin; end -= n) {
        const std::int32_t x0 = end - x_begin < n ? x_begin : end - n;
        const Kinds<Isa> kinds = evaluate_vector<Isa>(cells, k, row, x0, end - x0);
        if (end == x_end && x0 > x_begin && all_of<Isa>(kinds.beyond)) return beyond_run;
        for (std::int32_t i = end - x0 - 1; i >= 0; --i) {
            if (stops_at(kinds, i)) return x0 + i + 1;
        }
    }
    return x_begin;
}

}  // namespace
}  // namespace zuvo::curvix::simd
