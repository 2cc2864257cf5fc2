// Float-to-integer conversions with a defined result for every input.
//
// A C++ cast of NaN, an infinity or an out-of-range value to an integer type is
// undefined behaviour, so the kernels route every such conversion through here.
// No Python in this header: the kernels include it.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace zuvo {

// Truncates toward zero into int32; NaN gives 0, out-of-range values saturate.
constexpr std::int32_t trunc_to_int32(double v) noexcept {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

// The low 8 bits of trunc(v), as stored into an 8-bit cell.  Every float of
// magnitude 2^63 or more is a multiple of 256, so 0 is exact there; NaN gives 0.
constexpr std::uint8_t low8_of_trunc(double v) noexcept {
    if (!(v > -9223372036854775808.0 && v < 9223372036854775808.0)) return 0;
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(v)));
}

constexpr std::uint8_t low8(std::int32_t v) noexcept {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(v));
}

// Double to single precision, rounded once; finite values beyond the float
// range become infinities (the IEEE result, written out to stay defined).
constexpr float narrow_to_float(double v) noexcept {
    constexpr double max_finite = std::numeric_limits<float>::max();
    if (v > max_finite || v < -max_finite) {
        // Values just above FLT_MAX still round to it under round-to-nearest.
        constexpr double halfway = 340282356779733661637539395458142568448.0;  // FLT_MAX + ulp/2
        if (v < halfway && v > -halfway) return v > 0 ? std::numeric_limits<float>::max()
                                                       : -std::numeric_limits<float>::max();
        return v > 0 ? std::numeric_limits<float>::infinity()
                     : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(v);
}

}  // namespace zuvo
