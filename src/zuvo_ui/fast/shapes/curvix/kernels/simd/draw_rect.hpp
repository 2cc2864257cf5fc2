// The draw kernel's runs on vectors: a translucent colour blended over a run
// of 4-byte pixels without per-pixel alpha, byte b of each pixel becoming
// min((add[b] + old * keep[b]) >> 8, 255), as draw_rect.cpp's
// blend_opaque_pixel does one byte at a time.  The caller guarantees
// add[b] + 255 * keep[b] < 2^16, so each sum fits a 16-bit lane and is at
// most 255 after the shift (the min is then a no-op).
//
// The pixels are read as 16-bit lanes (`Wide`, from the instruction set's
// description), each holding two neighbouring bytes: the low byte's sum is
// made in a lane of its own and the high byte's in another, and their top
// bytes joined again, so no byte is ever widened or narrowed one by one.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "../draw_rect.hpp"

namespace zuvo::curvix::simd {
namespace {

template <class Isa>
void blend_opaque_run(std::uint8_t* p, std::int32_t count, const draw::OpaqueBlend& w) noexcept {
    using Wide = typename Isa::Wide;
    constexpr std::size_t bytes = sizeof(Wide);  // a whole number of pixels
    constexpr std::size_t lanes = bytes / 2;
    static_assert(bytes % 4 == 0);
    // Which byte of a lane is its low half in memory.
    constexpr std::size_t low = std::endian::native == std::endian::little ? 0 : 1;
    std::uint16_t lanes_of[4][lanes];  // add and keep of the low bytes, then of the high
    for (std::size_t i = 0; i < lanes; ++i) {
        const std::size_t lo = (2 * i + low) % 4, hi = (2 * i + 1 - low) % 4;
        lanes_of[0][i] = static_cast<std::uint16_t>(w.add[lo]);
        lanes_of[1][i] = static_cast<std::uint16_t>(w.keep[lo]);
        lanes_of[2][i] = static_cast<std::uint16_t>(w.add[hi]);
        lanes_of[3][i] = static_cast<std::uint16_t>(w.keep[hi]);
    }
    Wide add_lo, keep_lo, add_hi, keep_hi;
    std::memcpy(&add_lo, lanes_of[0], bytes);
    std::memcpy(&keep_lo, lanes_of[1], bytes);
    std::memcpy(&add_hi, lanes_of[2], bytes);
    std::memcpy(&keep_hi, lanes_of[3], bytes);
    const Wide low_byte = Wide{} + 0x00FF, high_byte = Wide{} + 0xFF00;
    const auto blend = [&](std::uint8_t* at) {
        Wide old;
        std::memcpy(&old, at, bytes);
        const Wide sum_lo = add_lo + (old & low_byte) * keep_lo;
        const Wide sum_hi = add_hi + (old >> 8) * keep_hi;
        const Wide out = (sum_lo >> 8) | (sum_hi & high_byte);
        std::memcpy(at, &out, bytes);
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

// The same, each pixel with weights of its own, read as lanes from the row.
template <class Isa>
void blend_opaque_each(std::uint8_t* p, std::int32_t count, const draw::LaneRow& w) noexcept {
    using Wide = typename Isa::Wide;
    constexpr std::size_t bytes = sizeof(Wide);
    constexpr std::size_t pixels = bytes / 4;
    const Wide low_byte = Wide{} + 0x00FF, high_byte = Wide{} + 0xFF00;
    const auto blend = [&](std::uint8_t* at, const draw::LaneRow& l, std::size_t i) {
        Wide old, add_lo, keep_lo, add_hi, keep_hi;
        std::memcpy(&old, at, bytes);
        std::memcpy(&add_lo, l.add_lo + 2 * i, bytes);
        std::memcpy(&keep_lo, l.keep_lo + 2 * i, bytes);
        std::memcpy(&add_hi, l.add_hi + 2 * i, bytes);
        std::memcpy(&keep_hi, l.keep_hi + 2 * i, bytes);
        const Wide out = ((add_lo + (old & low_byte) * keep_lo) >> 8) | ((add_hi + (old >> 8) * keep_hi) & high_byte);
        std::memcpy(at, &out, bytes);
    };
    const std::size_t n = static_cast<std::size_t>(count);
    std::size_t done = 0;
    for (; done + pixels <= n; done += pixels) blend(p + 4 * done, w, done);
    if (done < n) {  // the last pixels and their weights, through a vector's worth of scratch
        const std::size_t rest = n - done;
        std::uint8_t last[bytes] = {};
        std::uint16_t lanes[4][2 * pixels] = {};
        std::memcpy(last, p + 4 * done, 4 * rest);
        std::memcpy(lanes[0], w.add_lo + 2 * done, 4 * rest);
        std::memcpy(lanes[1], w.keep_lo + 2 * done, 4 * rest);
        std::memcpy(lanes[2], w.add_hi + 2 * done, 4 * rest);
        std::memcpy(lanes[3], w.keep_hi + 2 * done, 4 * rest);
        blend(last, {lanes[0], lanes[1], lanes[2], lanes[3]}, 0);
        std::memcpy(p + 4 * done, last, 4 * rest);
    }
}

}  // namespace
}  // namespace zuvo::curvix::simd
