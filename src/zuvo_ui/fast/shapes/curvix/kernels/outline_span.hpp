// What the outline transform's run-filling driver hands to the vectorised
// per-pixel evaluators, one translation unit per instruction set.  Plain data
// and declarations only: nothing here may be compiled differently in the
// instruction-set units, so nothing here is inline code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../../../support/plane.hpp"

// Which vector evaluators this build has.  They are written with GCC's vector
// extensions, which GCC, Clang and clang-cl (which does not define __GNUC__)
// understand; plain MSVC builds only the portable evaluator.  AVX2 is chosen
// at run time from the processor's feature bits, read with
// __builtin_cpu_supports: GCC and Clang only, so clang-cl stops at SSE2.
#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#define ZUVO_HAS_SSE2_PATH 1
#if defined(__GNUC__)
#define ZUVO_HAS_AVX2_PATH 1
#endif
#endif
#if defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))
#define ZUVO_HAS_NEON_PATH 1
#endif

namespace zuvo::curvix {

// The transform's constants, in the form the evaluators use them.
struct OutlineConstants {
    float center_x, box_half_w;
    float cutoff;      // half_width + 0.5, single precision
    float beyond;      // largest float <= half_width + 0.5 (double): sd > beyond <=> (double)sd > cutoff_exact
    float half_width;
    float stroke_alpha_mult, bg_alpha_mult;
    float stroke_r, stroke_g, stroke_b;
    float bg_r, bg_g, bg_b;
    std::uint8_t stroke_r8, stroke_g8, stroke_b8, alpha_base8;
    bool has_bg;
};

// One row and one half of it: every pixel shares the corner radius.
struct HalfRow {
    std::int32_t y;
    float radius;          // current_r
    float qy;              // qy_base + current_r
    float qy_out_sq;       // max(qy, 0)^2, single precision
    float radius_plus_hw;  // current_r + half_width, single precision
};

// Evaluates columns [x_begin, x_end) of `row` pixel by pixel, each exactly as
// the scalar kernel does.  All columns must lie in the row's half.
using SpanEvaluator = void (*)(const PixelPlanes& px, const OutlineConstants& k,
                               const HalfRow& row, std::int32_t x_begin, std::int32_t x_end);

// Evaluates columns from the half's border inwards (rightwards from x_begin,
// or leftwards from x_end) until it meets a column whose result the rest of
// the half shares; see scan_to_settled in outline_simd_body.hpp.  Only for
// inputs without NaN or infinities.
constexpr std::int32_t beyond_run = -1;

// Where a scan stopped: at a column whose result the rest of the half shares.
struct ScanStop {
    bool found = false;    // false: the scan reached the centre
    bool settled = false;  // settled, or else straight (its value must be copied)
    bool written = false;  // all four channels of that column were written
};
using SettledScanner = std::int32_t (*)(const PixelPlanes& px, const OutlineConstants& k,
                                        const HalfRow& row, std::int32_t x_begin,
                                        std::int32_t x_end, bool rightwards, bool& all_written,
                                        ScanStop& stop);

struct OutlineEvaluator {
    SpanEvaluator span = nullptr;
    SettledScanner scan = nullptr;
};

// Every row of the transform through `evaluator`; with `fill_runs`, runs of
// pixels that provably share a result are filled without evaluating them.
// The planes' cells must not share bytes.
struct OutlineTransform;
void fill_outline_rows(const PixelPlanes& px, const OutlineTransform& shape,
                       const OutlineEvaluator& evaluator, bool fill_runs) noexcept;

// One evaluator per instruction set; each of a set's functions is entered
// only after the processor said it has that set.
void outline_span_scalar(const PixelPlanes& px, const OutlineConstants& k, const HalfRow& row,
                         std::int32_t x_begin, std::int32_t x_end) noexcept;
std::int32_t outline_scan_scalar(const PixelPlanes& px, const OutlineConstants& k,
                                 const HalfRow& row, std::int32_t x_begin, std::int32_t x_end,
                                 bool rightwards, bool& all_written, ScanStop& stop) noexcept;
void outline_span_neon(const PixelPlanes& px, const OutlineConstants& k, const HalfRow& row,
                       std::int32_t x_begin, std::int32_t x_end) noexcept;
std::int32_t outline_scan_neon(const PixelPlanes& px, const OutlineConstants& k,
                               const HalfRow& row, std::int32_t x_begin, std::int32_t x_end,
                               bool rightwards, bool& all_written, ScanStop& stop) noexcept;
void outline_span_sse2(const PixelPlanes& px, const OutlineConstants& k, const HalfRow& row,
                       std::int32_t x_begin, std::int32_t x_end) noexcept;
void outline_span_avx2(const PixelPlanes& px, const OutlineConstants& k, const HalfRow& row,
                       std::int32_t x_begin, std::int32_t x_end) noexcept;
std::int32_t outline_scan_sse2(const PixelPlanes& px, const OutlineConstants& k,
                               const HalfRow& row, std::int32_t x_begin, std::int32_t x_end,
                               bool rightwards, bool& all_written, ScanStop& stop) noexcept;
std::int32_t outline_scan_avx2(const PixelPlanes& px, const OutlineConstants& k,
                               const HalfRow& row, std::int32_t x_begin, std::int32_t x_end,
                               bool rightwards, bool& all_written, ScanStop& stop) noexcept;

// The emulated fused multiply-adds of the SSE2 path on n values each, so
// that the tests can hold them against std::fma on the cases that rounding
// twice gets wrong (pixels almost never reach them).  `b` of the double one
// must satisfy what the kernel guarantees: 0 <= b <= 1, b == 0 or b >= 2^-24.
void fused_multiply_add_sse2(const float* a, const float* b, const float* c, float* out,
                             std::size_t n) noexcept;
void fused_multiply_add_sse2(const double* a, const double* b, const double* c, double* out,
                             std::size_t n) noexcept;

}  // namespace zuvo::curvix
