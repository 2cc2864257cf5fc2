// The outline transform's per-pixel evaluation on vectors of columns, written
// once over an instruction-set description `Isa` and instantiated by each
// instruction-set translation unit.  Everything here has internal linkage, so
// the copies built with different target flags can never be mixed up by the
// linker; nor does it call any inline function that is not its own.
//
// Each lane follows the scalar kernel's operations one for one: the same IEEE
// operations in the same order and precision, the same select for every
// std::min / std::max / clamp (including what they do with NaN), the sum of
// squares and the blend's alpha as single fused multiply-adds (`Isa::fma_f`,
// `Isa::fma_d` are exact, in hardware or emulated), and every float-to-integer
// conversion through the hardware's truncating conversion, which is defined
// for every lane and whose low 8 bits equal `low8_of_trunc` for every input
// (out of range and NaN give 0x80000000; floats of magnitude 2^31 or more are
// multiples of 256).
#pragma once

#include <cstdint>
#include <cstring>

#include "outline_span.hpp"

namespace zuvo::curvix::simd {
namespace {

template <class Isa>
typename Isa::F abs_of(typename Isa::F v) {
    using I = typename Isa::I;
    return (typename Isa::F)((I)v & 0x7fffffff);
}

// clamp01 of the scalar kernel: v < 0 ? 0 : (v > 1 ? 1 : v), NaN passing through.
template <class Isa>
typename Isa::F clamp01(typename Isa::F v) {
    using F = typename Isa::F;
    const F zero{}, one = zero + 1.0f;
    return v < zero ? zero : (v > one ? one : v);
}

template <class Isa>
struct Halves {
    typename Isa::D lo, hi;
};

template <class Isa>
Halves<Isa> widen(typename Isa::F v) {
    return {Isa::lo(v), Isa::hi(v)};
}

// low8(trunc(v)) of a double product `v` formed per half.
template <class Isa>
typename Isa::I low8_of(Halves<Isa> v) {
    return Isa::trunc_d(v.lo, v.hi) & 0xff;
}

// sa + base * (1 - sa) in double precision, one fused multiply-add, rounded to single.
template <class Isa>
typename Isa::F over(Halves<Isa> sa, Halves<Isa> inv_sa, typename Isa::F base) {
    const Halves<Isa> b = widen<Isa>(base);
    return Isa::narrow(Isa::fma_d(b.lo, inv_sa.lo, sa.lo), Isa::fma_d(b.hi, inv_sa.hi, sa.hi));
}

// ((under * (1 - sa)) + top) * inv_total_a in double precision, rounded to
// single, truncated, low 8 bits.
template <class Isa>
typename Isa::I blend_channel(typename Isa::F under, typename Isa::F top, Halves<Isa> inv_sa,
                              Halves<Isa> inv_total) {
    const Halves<Isa> u = widen<Isa>(under), t = widen<Isa>(top);
    const auto lo = (u.lo * inv_sa.lo + t.lo) * inv_total.lo;
    const auto hi = (u.hi * inv_sa.hi + t.hi) * inv_total.hi;
    return Isa::trunc_f(Isa::narrow(lo, hi)) & 0xff;
}

// alpha_of of the scalar kernel: 255 from 1 up, else low8(trunc(total_a * 255)).
template <class Isa>
typename Isa::I alpha_of(typename Isa::F total) {
    using F = typename Isa::F;
    using I = typename Isa::I;
    const Halves<Isa> t = widen<Isa>(total);
    const I ramp = low8_of<Isa>({t.lo * 255.0, t.hi * 255.0});
    return total >= (F{} + 1.0f) ? (I{} + 255) : ramp;
}

constexpr std::int32_t keep = 0, clear_alpha = 1, write_all = 2;

// One vector's results: what to do with each column and the bytes to write.
template <class Isa>
struct Out {
    typename Isa::I action, r, g, b, a;
};

template <class Isa>
void store(const PixelPlanes& px, std::int32_t y, std::int32_t x0, std::int32_t count,
           const Out<Isa>& o) {
    constexpr int n = Isa::lanes;
    std::int32_t act[n], r[n], g[n], b[n], a[n];
    std::memcpy(act, &o.action, sizeof act);
    std::memcpy(r, &o.r, sizeof r);
    std::memcpy(g, &o.g, sizeof g);
    std::memcpy(b, &o.b, sizeof b);
    std::memcpy(a, &o.a, sizeof a);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t x = x0 + i;
        if (act[i] == write_all) {
            px.red.at(x, y) = static_cast<std::uint8_t>(r[i]);
            px.green.at(x, y) = static_cast<std::uint8_t>(g[i]);
            px.blue.at(x, y) = static_cast<std::uint8_t>(b[i]);
            px.alpha.at(x, y) = static_cast<std::uint8_t>(a[i]);
        } else if (act[i] == clear_alpha) {
            px.alpha.at(x, y) = 0;
        }
    }
}

// The stroke composited over the existing pixels of the `blend` lanes.
template <class Isa>
void blend_over_content(const PixelPlanes& px, const OutlineConstants& k, std::int32_t y,
                        std::int32_t x0, std::int32_t count, typename Isa::F sa,
                        Halves<Isa> inv_sa, typename Isa::I blend, Out<Isa>& o) {
    using F = typename Isa::F;
    using I = typename Isa::I;
    constexpr int n = Isa::lanes;
    float old_r[n] = {}, old_g[n] = {}, old_b[n] = {}, old_a[n] = {};
    for (std::int32_t i = 0; i < count; ++i) {
        old_r[i] = px.red.at(x0 + i, y);
        old_g[i] = px.green.at(x0 + i, y);
        old_b[i] = px.blue.at(x0 + i, y);
        old_a[i] = px.alpha.at(x0 + i, y);
    }
    F vr, vg, vb, va;
    std::memcpy(&vr, old_r, sizeof vr);
    std::memcpy(&vg, old_g, sizeof vg);
    std::memcpy(&vb, old_b, sizeof vb);
    std::memcpy(&va, old_a, sizeof va);
    const Halves<Isa> a = widen<Isa>(va);
    const F orig_a = Isa::narrow(a.lo / 255.0, a.hi / 255.0);
    const F total = over<Isa>(widen<Isa>(sa), inv_sa, orig_a);
    const F zero{};
    const Halves<Isa> inv_total = widen<Isa>((zero + 1.0f) / total);
    const I cleared = total <= zero;
    const I br = blend_channel<Isa>(vr * orig_a, sa * k.stroke_r, inv_sa, inv_total);
    const I bgn = blend_channel<Isa>(vg * orig_a, sa * k.stroke_g, inv_sa, inv_total);
    const I bb = blend_channel<Isa>(vb * orig_a, sa * k.stroke_b, inv_sa, inv_total);
    const I ba = alpha_of<Isa>(total);
    const I act = cleared ? (I{} + clear_alpha) : (I{} + write_all);
    o.action = blend ? act : o.action;
    o.r = blend ? br : o.r;
    o.g = blend ? bgn : o.g;
    o.b = blend ? bb : o.b;
    o.a = blend ? ba : o.a;
}

template <class Isa>
struct Kinds {
    typename Isa::I settled, beyond;
    typename Isa::I written;  // lanes whose four channels were all written
    typename Isa::I straight; // qx <= 0 and qx < qy: the distance terms do not depend on x
};

// Evaluates and stores columns [x0, x0 + count) (count <= lanes); returns the
// masks of the lanes that are settled (see outline_transform_fast.cpp; only
// meaningful for inputs without NaN or infinities) and beyond the outer edge.
template <class Isa>
Kinds<Isa> evaluate_vector(const PixelPlanes& px, const OutlineConstants& k,
                                const HalfRow& row, std::int32_t x0, std::int32_t count) {
    using F = typename Isa::F;
    using I = typename Isa::I;
    using U = typename Isa::U;
    const F zero{}, one = zero + 1.0f;
    const F qy = zero + row.qy;
    // Lanes past the end come from columns that are never stored; the
    // unsigned sum keeps their indices defined.
    const I xi = (I)((U)Isa::iota() + static_cast<std::uint32_t>(x0));
    const F fx = Isa::from_int(xi);
    const F qx = (abs_of<Isa>(fx - k.center_x) - k.box_half_w) + row.radius;
    const F qx_out = qx > zero ? qx : zero;
    const F dist_outside = Isa::sqrt(Isa::fma_f(qx_out, qx_out, zero + row.qy_out_sq));
    const F larger = qx < qy ? qy : qx;
    const F dist_inside = zero < larger ? zero : larger;
    const F dist_sum = dist_inside + dist_outside;
    const F signed_dist = dist_sum - row.radius;
    const F sa = clamp01<Isa>(k.cutoff - abs_of<Isa>(signed_dist)) * k.stroke_alpha_mult;
    const I beyond = signed_dist > (zero + k.beyond);
    I settled = ~beyond & (signed_dist <= zero) & ((k.cutoff - abs_of<Isa>(signed_dist)) <= zero);
    const Halves<Isa> sa_d = widen<Isa>(sa);
    const Halves<Isa> inv_sa{1.0 - sa_d.lo, 1.0 - sa_d.hi};
    Out<Isa> o;
    if (k.has_bg) {
        const F ba = clamp01<Isa>(row.radius_plus_hw - dist_sum) * k.bg_alpha_mult;
        settled &= ba >= (zero + k.bg_alpha_mult);
        const F total = over<Isa>(sa_d, inv_sa, ba);
        const Halves<Isa> inv_total = widen<Isa>(one / total);
        o.r = blend_channel<Isa>(ba * k.bg_r, sa * k.stroke_r, inv_sa, inv_total);
        o.g = blend_channel<Isa>(ba * k.bg_g, sa * k.stroke_g, inv_sa, inv_total);
        o.b = blend_channel<Isa>(ba * k.bg_b, sa * k.stroke_b, inv_sa, inv_total);
        o.a = alpha_of<Isa>(total);
        const I cleared = beyond | (total <= zero);
        o.action = cleared ? (I{} + clear_alpha) : (I{} + write_all);
    } else {
        const I untouched = (signed_dist < (zero - k.beyond)) | (sa <= zero);
        const I full = sa >= one;
        const I replace = (signed_dist > zero) | full;
        o.r = I{} + k.stroke_r8;
        o.g = I{} + k.stroke_g8;
        o.b = I{} + k.stroke_b8;
        o.a = full ? (I{} + k.alpha_base8) : low8_of<Isa>({sa_d.lo * 255.0, sa_d.hi * 255.0});
        o.action = beyond ? (I{} + clear_alpha)
                          : (untouched ? (I{} + keep) : (replace ? (I{} + write_all) : I{}));
        const I blend = ~beyond & ~untouched & ~replace;
        bool any = false;
        for (std::int32_t i = 0; i < count; ++i) any |= blend[i] != 0;
        if (any) blend_over_content<Isa>(px, k, row.y, x0, count, sa, inv_sa, blend, o);
    }
    store<Isa>(px, row.y, x0, count, o);
    return {settled, beyond, o.action == (I{} + write_all), (qx <= zero) & (qx < qy)};
}

template <class Isa>
void evaluate_span(const PixelPlanes& px, const OutlineConstants& k, const HalfRow& row,
                   std::int32_t x_begin, std::int32_t x_end) {
    constexpr std::int32_t n = Isa::lanes;
    // Steps that never pass the span's end: no column index overflows.
    for (std::int32_t x0 = x_begin, count = 0; x0 < x_end; x0 += count) {
        count = x_end - x0 < n ? x_end - x0 : n;
        evaluate_vector<Isa>(px, k, row, x0, count);
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
std::int32_t scan_to_settled(const PixelPlanes& px, const OutlineConstants& k, const HalfRow& row,
                             std::int32_t x_begin, std::int32_t x_end, bool rightwards,
                             bool& all_written, ScanStop& stop) {
    constexpr std::int32_t n = Isa::lanes;
    stop = ScanStop{};
    const auto all_beyond = [](const Kinds<Isa>& kinds) {
        for (std::int32_t i = 0; i < n; ++i) {
            if (!kinds.beyond[i]) return false;
        }
        return true;
    };
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
            const Kinds<Isa> kinds = evaluate_vector<Isa>(px, k, row, x0, count);
            if (x0 == x_begin && x_end - x0 > n && all_beyond(kinds)) return beyond_run;
            for (std::int32_t i = 0; i < count; ++i) {
                if (stops_at(kinds, i)) return x0 + i;
            }
        }
        return x_end;
    }
    for (std::int32_t end = x_end; end > x_begin; end -= n) {
        const std::int32_t x0 = end - x_begin < n ? x_begin : end - n;
        const Kinds<Isa> kinds = evaluate_vector<Isa>(px, k, row, x0, end - x0);
        if (end == x_end && x0 > x_begin && all_beyond(kinds)) return beyond_run;
        for (std::int32_t i = end - x0 - 1; i >= 0; --i) {
            if (stops_at(kinds, i)) return x0 + i + 1;
        }
    }
    return x_begin;
}

}  // namespace
}  // namespace zuvo::curvix::simd
