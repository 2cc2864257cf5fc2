// The kernels' per-pixel evaluation on AVX2 with FMA (the outline transform's
// evaluator and the corner rows of the other kernels): eight columns at a
// time, the fused multiply-adds in hardware.  Built with -mavx2 -mfma and
// entered only after the processor said it has both.
#include "outline_span.hpp"
#include "shape_rows.hpp"

#ifdef ZUVO_HAS_AVX2_PATH

#include <immintrin.h>

#include "outline_simd_body.hpp"
#include "shape_simd_body.hpp"

namespace zuvo::curvix {
namespace {

struct Avx2 {
    static constexpr int lanes = 8;
    using F = float __attribute__((vector_size(32)));
    using I = std::int32_t __attribute__((vector_size(32)));
    using U = std::uint32_t __attribute__((vector_size(32)));
    using D = double __attribute__((vector_size(32)));

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

void outline_span_avx2(const PixelPlanes& px, const OutlineConstants& k, const HalfRow& row,
                       std::int32_t x_begin, std::int32_t x_end) noexcept {
    simd::evaluate_span<Avx2>(px, k, row, x_begin, x_end);
}

std::int32_t outline_scan_avx2(const PixelPlanes& px, const OutlineConstants& k,
                               const HalfRow& row, std::int32_t x_begin, std::int32_t x_end,
                               bool rightwards, bool& all_written, ScanStop& stop) noexcept {
    return simd::scan_to_settled<Avx2>(px, k, row, x_begin, x_end, rightwards, all_written, stop);
}

void filled_rows_avx2(const Plane& alpha, const FilledShape& shape, const CornerRow* rows,
                      std::int32_t count) noexcept {
    shape_simd::filled_rows<Avx2>(alpha, shape, rows, count);
}

void corner_rows_avx2(const Plane& alpha, const CornerTransform& shape, const CornerRow* rows,
                      std::int32_t count) noexcept {
    shape_simd::corner_rows<Avx2>(alpha, shape, rows, count);
}

void outlined_rows_avx2(const PixelPlanes& px, const OutlineShape& shape, const StrokeWords& words,
                        const OutlinedRow* rows, std::int32_t count) noexcept {
    shape_simd::outlined_rows<Avx2>(px, shape, words, rows, count);
}

}  // namespace zuvo::curvix

#endif
