// One pixel without per-pixel alpha blended by an OpaqueBlend, for the draw
// kernels' own units (inline, so not for the instruction-set units).
#pragma once

#ifdef ZUVO_INSTRUCTION_SET_UNIT
#error "not for the instruction-set units: see simd/lanes.hpp"
#endif

#include <algorithm>
#include <cstdint>

#include "draw_rect.hpp"

namespace zuvo::draw {

// Byte b of the pixel becomes min((add[b] + old * keep[b]) >> 8, 255).
inline void blend_opaque_pixel(std::uint8_t* pixel, const OpaqueBlend& w, std::int32_t bytes) noexcept {
    for (std::int32_t b = 0; b < bytes; ++b) {
        pixel[b] = static_cast<std::uint8_t>(std::min<std::uint32_t>((w.add[b] + pixel[b] * w.keep[b]) >> 8, 255));
    }
}

// Whether the vector run blends take `w`: every add[b] + 255 * keep[b] below 2^16.
inline bool fits_sixteen_bits(const OpaqueBlend& w) noexcept {
    for (int b = 0; b < 4; ++b) {
        if (w.add[b] + 255u * w.keep[b] > 0xFFFFu) return false;
    }
    return true;
}

}  // namespace zuvo::draw
