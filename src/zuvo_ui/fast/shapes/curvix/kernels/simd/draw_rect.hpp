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
#include "lanes.hpp"

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

// blend_over on 4-byte pixels with per-pixel alpha, a vector of pixels at a
// time: each pixel a 32-bit lane, its channels shifted out and in.  Every
// lane follows draw_rect.cpp's `put` operation for operation (the colour as
// the ring, nothing inside); lanes it leaves alone keep their pixel.  The
// pixels after the last whole vector go through draw::blend_over itself.
template <class Isa>
void blend_over_each(std::uint8_t* p, std::int32_t count, const draw::PixelRows& px, const draw::Colour& colour,
                     const float* coverage) noexcept {
    using FV = F<Isa>;
    using IV = I<Isa>;
    using UV = typename Isa::U;
    constexpr int lanes = Isa::lanes;
    const auto shift_of = [](std::int32_t byte) {
        return std::endian::native == std::endian::little ? 8 * byte : 8 * (3 - byte);
    };
    const int shift[4] = {shift_of(px.red), shift_of(px.green), shift_of(px.blue), shift_of(px.alpha)};
    const float ring_alpha = colour.a / 255.0f;
    const float nothing_inside = 0.0f * (0.0f / 255.0f);  // `put`'s inside share, 0
    const FV rgb[3] = {splat<Isa>(colour.r), splat<Isa>(colour.g), splat<Isa>(colour.b)};
    const FV zero{}, one = splat<Isa>(1.0f), full = splat<Isa>(255.0f), half = splat<Isa>(0.5f);
    const auto to_byte = [&](FV v) { return Isa::trunc_f(min_of<Isa>(max_of<Isa>(v, zero), full) + half); };
    const auto channel = [&](UV pixels, int at) { return Isa::from_int((IV)((pixels >> at) & 255u)); };
    std::int32_t i = 0;
    for (; i + lanes <= count; i += lanes, p += 4 * lanes) {
        FV cover;
        UV old;
        std::memcpy(&cover, coverage + i, sizeof cover);
        std::memcpy(&old, p, sizeof old);
        const FV ra = cover * ring_alpha;
        const FV sa = ra + nothing_inside;
        const IV covers = sa > zero;
        if (!any_of<Isa>(covers)) continue;
        const FV keep = (one - sa) * (channel(old, shift[3]) / 255.0f);
        const FV out_alpha = sa + keep;
        UV out = (UV)to_byte(out_alpha * 255.0f) << shift[3];
        for (int c = 0; c < 3; ++c) {
            const FV source = rgb[c] * ra + 0.0f * nothing_inside;
            out |= (UV)to_byte((source + channel(old, shift[c]) * keep) / out_alpha) << shift[c];
        }
        out = covers ? out : old;
        std::memcpy(p, &out, sizeof out);
    }
    for (; i < count; ++i, p += 4) draw::blend_over(p, px, colour, coverage[i]);
}

}  // namespace
}  // namespace zuvo::curvix::simd
