// The lanes of NEON (aarch64): four columns at a time, the fused
// multiply-adds in hardware.
// Marks this unit as built with its own target flags: the headers of
// inline code that is not its own refuse to be included here.
#define ZUVO_INSTRUCTION_SET_UNIT 1

#include "evaluators.hpp"

#ifdef ZUVO_HAS_NEON_PATH

#include <arm_neon.h>

#include <cstdint>

#include "simd/table.hpp"

namespace zuvo::curvix {
namespace isa_neon {
namespace {

struct Neon {
    static constexpr int lanes = 4;
    using F = float __attribute__((vector_size(16)));
    using I = std::int32_t __attribute__((vector_size(16)));
    using U = std::uint32_t __attribute__((vector_size(16)));
    using D = double __attribute__((vector_size(16)));
    using Wide = std::uint16_t __attribute__((vector_size(16)));
    using L = std::int64_t __attribute__((vector_size(16)));

    static I iota() { return I{0, 1, 2, 3}; }
    static F from_int(I v) { return (F)vcvtq_f32_s32((int32x4_t)v); }
    static F sqrt(F v) { return (F)vsqrtq_f32((float32x4_t)v); }
    static D lo(F v) { return (D)vcvt_f64_f32(vget_low_f32((float32x4_t)v)); }
    static D hi(F v) { return (D)vcvt_high_f64_f32((float32x4_t)v); }
    static F narrow(D l, D h) {
        return (F)vcvt_high_f32_f64(vcvt_f32_f64((float64x2_t)l), (float64x2_t)h);
    }

    // The body relies on x86's truncating conversions: a lane whose truncated
    // value leaves the 32-bit range, or NaN, becomes 0x80000000.  NEON's
    // saturate instead (and give 0 for NaN), so those lanes are replaced.
    static I trunc_f(F v) {
        const I in_range = (v >= (F{} - 2147483648.0f)) & (v < (F{} + 2147483648.0f));
        const I t = (I)vcvtq_s32_f32((float32x4_t)v);
        return in_range ? t : (I{} + INT32_MIN);
    }
    static I trunc_d(D l, D h) {
        const auto half = [](D v) {
            const L in_range = (v > (D{} - 2147483649.0)) & (v < (D{} + 2147483648.0));
            const L t = (L)vcvtq_s64_f64((float64x2_t)v);
            return in_range ? t : (L{} + INT32_MIN);
        };
        return (I)vcombine_s32(vmovn_s64((int64x2_t)half(l)), vmovn_s64((int64x2_t)half(h)));
    }

    static F fma_f(F a, F b, F c) {
        return (F)vfmaq_f32((float32x4_t)c, (float32x4_t)a, (float32x4_t)b);
    }
    static D fma_d(D a, D b, D c) {
        return (D)vfmaq_f64((float64x2_t)c, (float64x2_t)a, (float64x2_t)b);
    }
};

}  // namespace
}  // namespace isa_neon

Evaluators neon_evaluators() noexcept { return simd::make_evaluators<isa_neon::Neon>(); }

}  // namespace zuvo::curvix

#endif
