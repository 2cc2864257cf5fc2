// The draw kernel's runs on vectors: a translucent colour blended over a run
// of 4-byte pixels without per-pixel alpha, byte b of each pixel becoming
// min((add[b] + old * keep[b]) >> 8, 255), as draw_rect.cpp's
// blend_opaque_pixel does one byte at a time.  The caller guarantees
// add[b] + 255 * keep[b] < 2^16, so the sum never wraps in 16-bit lanes and
// never exceeds 255 after the shift (the min is then a no-op).
//
// An instruction set describes, besides its float lanes, `Half` (half a
// register of bytes) and `Wide` (a register of 16-bit lanes, as many).
#pragma once

#include <cstdint>
#include <cstring>

#include "../draw_rect.hpp"

namespace zuvo::curvix::simd {
namespace {

template <class Isa>
void blend_opaque_run(std::uint8_t* p, std::int32_t count, const draw::OpaqueBlend& w) noexcept {
    using Half = typename Isa::Half;
    using Wide = typename Isa::Wide;
    constexpr std::int32_t bytes = sizeof(Half);  // a whole number of pixels
    static_assert(bytes % 4 == 0 && sizeof(Wide) == 2 * sizeof(Half));
    std::uint16_t add_lanes[bytes], keep_lanes[bytes];
    for (std::int32_t i = 0; i < bytes; ++i) {
        add_lanes[i] = static_cast<std::uint16_t>(w.add[i % 4]);
        keep_lanes[i] = static_cast<std::uint16_t>(w.keep[i % 4]);
    }
    Wide add, keep;
    std::memcpy(&add, add_lanes, sizeof add);
    std::memcpy(&keep, keep_lanes, sizeof keep);
    const auto blend = [&](std::uint8_t* at) {
        Half old;
        std::memcpy(&old, at, sizeof old);
        const Wide sum = add + __builtin_convertvector(old, Wide) * keep;
        const Half out = __builtin_convertvector(sum >> 8, Half);
        std::memcpy(at, &out, sizeof out);
    };
    const std::size_t total = static_cast<std::size_t>(count) * 4;
    std::size_t done = 0;
    for (; done + 2 * bytes <= total; done += 2 * bytes) {
        blend(p + done);
        blend(p + done + bytes);
    }
    for (; done + bytes <= total; done += bytes) blend(p + done);
    if (done < total) {  // the last pixels, through a vector's worth of scratch
        std::uint8_t rest[bytes] = {};
        std::memcpy(rest, p + done, total - done);
        blend(rest);
        std::memcpy(p + done, rest, total - done);
    }
}

}  // namespace
}  // namespace zuvo::curvix::simd
