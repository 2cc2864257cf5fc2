// The lanes of SSE2, the x86-64 baseline: four columns at a time.  SSE2 has
// no fused multiply-add, so the two that the pixel rules call for are
// emulated exactly in double precision (below).
// Marks this unit as built with its own target flags: the headers of
// inline code that is not its own refuse to be included here.
#define ZUVO_INSTRUCTION_SET_UNIT 1

#include "evaluators.hpp"

#ifdef ZUVO_HAS_SSE2_PATH

#include <emmintrin.h>

#include <cstring>

#include "simd/table.hpp"

namespace zuvo::curvix {
namespace isa_sse2 {
namespace {

struct Sse2 {
    static constexpr int lanes = 4;
    using F = float __attribute__((vector_size(16)));
    using I = std::int32_t __attribute__((vector_size(16)));
    using U = std::uint32_t __attribute__((vector_size(16)));
    using D = double __attribute__((vector_size(16)));
    using Wide = std::uint16_t __attribute__((vector_size(16)));
    using L = std::int64_t __attribute__((vector_size(16)));

    static I iota() { return I{0, 1, 2, 3}; }
    static F from_int(I v) { return (F)_mm_cvtepi32_ps((__m128i)v); }
    static F sqrt(F v) { return (F)_mm_sqrt_ps((__m128)v); }
    static D lo(F v) { return (D)_mm_cvtps_pd((__m128)v); }
    static D hi(F v) { return (D)_mm_cvtps_pd(_mm_movehl_ps((__m128)v, (__m128)v)); }
    static F narrow(D l, D h) {
        return (F)_mm_movelh_ps(_mm_cvtpd_ps((__m128d)l), _mm_cvtpd_ps((__m128d)h));
    }
    static I trunc_f(F v) { return (I)_mm_cvttps_epi32((__m128)v); }
    static I trunc_d(D l, D h) {
        return (I)_mm_unpacklo_epi64(_mm_cvttpd_epi32((__m128d)l), _mm_cvttpd_epi32((__m128d)h));
    }

    // x + y rounded to odd: when the sum is inexact, the neighbour of the
    // nearest sum whose last significand bit is 1.  Rounding that once more to
    // a format at least two bits narrower gives the correctly rounded sum
    // (Boldo and Melquiond, "Emulation of FMA and correctly rounded sums:
    // proved algorithms using rounding to odd", 2008).
    static D add_round_to_odd(D x, D y) {
        const D s = x + y;
        const D y_part = s - x;
        const D error = (x - (s - y_part)) + (y - y_part);  // exact: s + error == x + y
        const L bits = (L)s;
        const L inexact = (error < D{}) | (error > D{});  // NaN (an infinite sum) is not
        const L even = (bits & 1) == L{};
        const L grows = (bits ^ (L)error) >= L{};  // same sign: one step away from zero
        const L step = grows ? (L{} + 1) : (L{} - 1);
        return (D)(bits + (step & inexact & even));
    }

    // a * b + c in single precision with one rounding: the product of two
    // floats is exact in double, the sum is rounded to odd in double, and the
    // narrowing then rounds it once.
    static F fma_f(F a, F b, F c) {
        return narrow(add_round_to_odd(lo(a) * lo(b), lo(c)), add_round_to_odd(hi(a) * hi(b), hi(c)));
    }

    // a * b + c in double precision with one rounding, for `a` a widened float
    // and 0 <= b <= 1 with b == 0 or b >= 2^-24 (1 - sa for a float sa in
    // [0, 1]).  Splitting b after its 29th significant bit makes both partial
    // products exact; the rest is Boldo and Melquiond's emulated FMA (ibid.):
    // (uh, ul) = a * b exactly, (th, tl) = c + uh exactly, then
    // RN(th + RO(tl + ul)).  Nothing here comes near double underflow.
    static D fma_d(D a, D b, D c) {
        const D b_hi = (D)((L)b & ~static_cast<std::int64_t>(0xffffff));
        const D b_lo = b - b_hi;
        const D p1 = a * b_hi, p2 = a * b_lo;
        const D uh = p1 + p2;
        const D ul = p2 - (uh - p1);  // |p1| >= |p2|
        const D th = c + uh;
        const D uh_part = th - c;
        const D tl = (c - (th - uh_part)) + (uh - uh_part);
        return th + add_round_to_odd(tl, ul);
    }
};

template <class T, class V, V (*op)(V, V, V)>
void apply_in_vectors(const T* a, const T* b, const T* c, T* out, std::size_t n) {
    constexpr std::size_t lanes = sizeof(V) / sizeof(T);
    for (std::size_t i = 0; i < n; i += lanes) {
        const std::size_t count = n - i < lanes ? n - i : lanes;
        V va{}, vb{}, vc{};
        std::memcpy(&va, a + i, count * sizeof(T));
        std::memcpy(&vb, b + i, count * sizeof(T));
        std::memcpy(&vc, c + i, count * sizeof(T));
        const V r = op(va, vb, vc);
        std::memcpy(out + i, &r, count * sizeof(T));
    }
}

}  // namespace
}  // namespace isa_sse2

Evaluators sse2_evaluators() noexcept { return simd::make_evaluators<isa_sse2::Sse2>(); }

void fused_multiply_add_sse2(const float* a, const float* b, const float* c, float* out,
                             std::size_t n) noexcept {
    isa_sse2::apply_in_vectors<float, isa_sse2::Sse2::F, isa_sse2::Sse2::fma_f>(a, b, c, out, n);
}

void fused_multiply_add_sse2(const double* a, const double* b, const double* c, double* out,
                             std::size_t n) noexcept {
    isa_sse2::apply_in_vectors<double, isa_sse2::Sse2::D, isa_sse2::Sse2::fma_d>(a, b, c, out, n);
}

}  // namespace zuvo::curvix

#endif
