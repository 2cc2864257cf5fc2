// The lanes of AVX2 with FMA: eight columns at a time, the fused
// multiply-adds in hardware.  Built with -mavx2 -mfma and entered only after
// the processor said it has both.
// Marks this unit as built with its own target flags: the headers of
// inline code that is not its own refuse to be included here.
#define ZUVO_INSTRUCTION_SET_UNIT 1

#include "evaluators.hpp"

#ifdef ZUVO_HAS_AVX2_PATH

#include <immintrin.h>

#include "simd/table.hpp"

namespace zuvo::curvix {
namespace isa_avx2 {
namespace {

struct Avx2 {
    static constexpr int lanes = 8;
    using F = float __attribute__((vector_size(32)));
    using I = std::int32_t __attribute__((vector_size(32)));
    using U = std::uint32_t __attribute__((vector_size(32)));
    using D = double __attribute__((vector_size(32)));
    using Wide = std::uint16_t __attribute__((vector_size(32)));

    static I iota() { return I{0, 1, 2, 3, 4, 5, 6, 7}; }
    static F from_int(I v) { return (F)_mm256_cvtepi32_ps((__m256i)v); }
    static F sqrt(F v) { return (F)_mm256_sqrt_ps((__m256)v); }
    static D lo(F v) { return (D)_mm256_cvtps_pd(_mm256_castps256_ps128((__m256)v)); }
    static D hi(F v) { return (D)_mm256_cvtps_pd(_mm256_extractf128_ps((__m256)v, 1)); }
    static F narrow(D l, D h) {
        return (F)_mm256_set_m128(_mm256_cvtpd_ps((__m256d)h), _mm256_cvtpd_ps((__m256d)l));
    }
    static I trunc_f(F v) { return (I)_mm256_cvttps_epi32((__m256)v); }
    static I trunc_d(D l, D h) {
        return (I)_mm256_set_m128i(_mm256_cvttpd_epi32((__m256d)h), _mm256_cvttpd_epi32((__m256d)l));
    }
    static F fma_f(F a, F b, F c) { return (F)_mm256_fmadd_ps((__m256)a, (__m256)b, (__m256)c); }
    static D fma_d(D a, D b, D c) { return (D)_mm256_fmadd_pd((__m256d)a, (__m256d)b, (__m256d)c); }
};

}  // namespace
}  // namespace isa_avx2

Evaluators avx2_evaluators() noexcept { return simd::make_evaluators<isa_avx2::Avx2>(); }

}  // namespace zuvo::curvix

#endif
