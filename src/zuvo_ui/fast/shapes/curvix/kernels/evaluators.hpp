// One table of every kernel's row evaluators, filled once per instruction
// set, and the paths that choose between them.  Plain data and declarations
// only: the instruction-set units include this header, and nothing here may
// be compiled differently in them, so nothing here is inline code.
//
// Adding a kernel: its scalar kernel and row evaluator type in a unit of its
// own (listed in kernels.cmake), one member here, its vector body in simd/,
// one line each in simd/table.hpp and portable.cpp, and its entry in fast.*.
// Adding an instruction set: one isa_*.cpp (a lane description and
// `simd::make_evaluators`), its macro, enumerator and table below, one row
// of dispatch.cpp's table and one line of kernels.cmake (with its compile
// flags there, if it needs any).
#pragma once

#include <cstddef>

#include "corner_transform.hpp"
#include "draw_rect.hpp"
#include "filled.hpp"
#include "outline_transform_rows.hpp"
#include "outlined.hpp"

// Which vector evaluators this build has.  They are written with GCC's vector
// extensions, which GCC, Clang and clang-cl (which does not define __GNUC__)
// understand; plain MSVC builds only the portable evaluators.  AVX2 is chosen
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

// Each evaluator writes its pixels exactly as the scalar kernel does.  The
// corner transform's vector evaluators read the old alpha of a vector of
// columns before writing any of them, so without a colour they need the
// row's cells to be distinct (a non-zero column stride).
struct Evaluators {
    OutlineSpanEvaluator outline_span = nullptr;
    OutlineSettledScanner outline_scan = nullptr;
    FilledRowsEvaluator filled_rows = nullptr;
    CornerTransformRowsEvaluator corner_transform_rows = nullptr;
    OutlinedRowsEvaluator outlined_rows = nullptr;
    FilledCornerRunsEvaluator filled_corner_runs = nullptr;      // none on the scalar path
    OutlinedCornerRunsEvaluator outlined_corner_runs = nullptr;  // none on the scalar path
    draw::OpaqueBlendRun draw_blend_run = nullptr;
    draw::OpaqueBlendEach draw_blend_each = nullptr;
    draw::BlendOverEach draw_blend_over = nullptr;
};

// `scalar` is on every processor and compiler: the scalar kernels' own
// per-pixel code, and for the outline transform the portable evaluator.
enum class KernelPath {
    scalar,
    sse2,  // x86-64 with GCC or Clang
    avx2,  // with FMA, where the processor has both
    neon,  // aarch64 with GCC or Clang
};
constexpr std::size_t kPathCount = 4;  // the enumerators above

bool kernel_path_available(KernelPath path) noexcept;

// The best available path: AVX2 and FMA, SSE2, NEON, or else scalar.
KernelPath best_kernel_path() noexcept;

// The evaluators of `path`; all null when this build or processor lacks it.
const Evaluators& evaluators_of(KernelPath path) noexcept;

// Each instruction set's table, defined where its path is built; entered
// only after the processor said it has that set.
Evaluators portable_evaluators() noexcept;
Evaluators sse2_evaluators() noexcept;
Evaluators avx2_evaluators() noexcept;
Evaluators neon_evaluators() noexcept;

// The emulated fused multiply-adds of the SSE2 path on n values each, so
// that the tests can hold them against std::fma on the cases that rounding
// twice gets wrong (pixels almost never reach them).  `b` of the double one
// must satisfy what the kernel guarantees: 0 <= b <= 1, b == 0 or b >= 2^-24.
void fused_multiply_add_sse2(const float* a, const float* b, const float* c, float* out,
                             std::size_t n) noexcept;
void fused_multiply_add_sse2(const double* a, const double* b, const double* c, double* out,
                             std::size_t n) noexcept;

}  // namespace zuvo::curvix
