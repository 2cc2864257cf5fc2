// Runs of equal pixels written in bulk, for the run-filling kernels.  Not for
// the instruction-set units: the stores here are compiled for the baseline
// processor only.
#pragma once

// Inline code compiled for one instruction set must not reach the others.
#ifdef ZUVO_INSTRUCTION_SET_UNIT
#error "not for the instruction-set units: see simd/lanes.hpp"
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "../../../support/plane.hpp"

// String stores and streaming stores: GCC and Clang on x86-64 only (clang-cl
// and MSVC define no __GNUC__).  Elsewhere the same runs take plain stores.
#if (defined(__x86_64__) || defined(_M_X64)) && defined(__GNUC__)
#define ZUVO_STRING_STORES 1
#endif

namespace zuvo::curvix {

// Four copies of a word, for 16-byte stores.
struct FourWords {
    std::uint32_t w[4];
    explicit FourWords(std::uint32_t word) noexcept : w{word, word, word, word} {}
};

// Stores `count` copies of the 4-byte `word` from `p`.  Long runs are one
// string store: for those the processor writes whole cache lines without
// first reading them, as pygame's own fill does (measured: a 4096 x 4096
// fill takes half the time of sixteen-byte stores).  Below a kilobyte its
// start-up costs more than it saves (on an AMD EPYC, in the cache: 104 words
// 12.8 ns as one string store, 7.5 ns as 16-byte stores; even at about 256),
// so shorter runs are 16-byte stores, the last one overlapping the one before.
inline void fill_words(std::uint8_t* p, std::int32_t count, std::uint32_t word) noexcept {
#ifdef ZUVO_STRING_STORES
    if (count >= 256) {
        std::uint64_t n = static_cast<std::uint64_t>(count);
        asm volatile("rep stosl" : "+D"(p), "+c"(n) : "a"(word) : "memory");
        return;
    }
#endif
    if (count < 4) {
        for (; count > 0; --count, p += 4) std::memcpy(p, &word, 4);
        return;
    }
    const FourWords four(word);
    const std::ptrdiff_t last = std::ptrdiff_t{count} * 4 - 16;
    std::ptrdiff_t at = 0;
    for (; at + 48 < last; at += 64) {
        std::memcpy(p + at, four.w, 16);
        std::memcpy(p + at + 16, four.w, 16);
        std::memcpy(p + at + 32, four.w, 16);
        std::memcpy(p + at + 48, four.w, 16);
    }
    for (; at < last; at += 16) std::memcpy(p + at, four.w, 16);
    std::memcpy(p + last, four.w, 16);
}

// Two stores of `Bytes` bytes of `four`, at p and p + second: a run of one
// to eight words as two overlapping stores, their size chosen before a loop
// (the outlined generator's side bands).
template <int Bytes>
void store_twice(std::uint8_t* p, std::ptrdiff_t second, const FourWords& four) noexcept {
    std::memcpy(p, four.w, Bytes);
    std::memcpy(p + second, four.w, Bytes);
}

// fill_words with non-temporal stores of whole cache lines, for surfaces too
// large to stay in the cache between calls: these skip reading each line
// before writing it, as pygame's fill does.  The partial lines at both ends
// take ordinary stores, since neighbouring writes share them.  The caller
// calls `finish_streaming` once at the end.
void stream_words(std::uint8_t* p, std::int32_t count, std::uint32_t word) noexcept;

// Makes the non-temporal stores visible to other threads before the kernel
// returns (the interpreter lock may be taken back on another core).
void finish_streaming() noexcept;

// Four planes of 4-byte pixels, one byte each, in rows that do not overlap:
// a run of a row is then `count` 32-bit words from `at(x, y)`.
struct InterleavedPixels {
    std::uint8_t* first_byte = nullptr;  // the lowest of the four planes' bases
    std::ptrdiff_t y_stride = 0;
    int offset[4] = {};  // of red, green, blue and alpha within a pixel

    std::uint8_t* at(std::int32_t x, std::int32_t y) const noexcept {
        return first_byte + y * y_stride + static_cast<std::ptrdiff_t>(x) * 4;
    }
    // The pixel (r, g, b, a) as a word in this byte order.
    std::uint32_t word(const std::uint8_t rgba[4]) const noexcept {
        std::uint8_t bytes[4];
        for (int i = 0; i < 4; ++i) bytes[offset[i]] = rgba[i];
        std::uint32_t w;
        std::memcpy(&w, bytes, 4);
        return w;
    }
};

// The interleaving of `px`, whose planes are w x h, when they have one.
inline bool find_interleaving(const PixelPlanes& px, std::int32_t w, std::int32_t h,
                              InterleavedPixels& out) noexcept {
    const Plane* planes[4] = {&px.red, &px.green, &px.blue, &px.alpha};
    InterleavedPixels found;
    found.first_byte = px.red.base;
    for (const Plane* p : planes) {
        if (p->x_stride != 4 || p->y_stride != px.red.y_stride) return false;
        found.first_byte = std::min(found.first_byte, p->base);
    }
    if (h > 1 && std::abs(std::int64_t{px.red.y_stride}) < std::int64_t{w} * 4) return false;
    bool seen[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::ptrdiff_t off = planes[i]->base - found.first_byte;
        if (off < 0 || off > 3 || seen[off]) return false;
        seen[off] = true;
        found.offset[i] = static_cast<int>(off);
    }
    found.y_stride = px.red.y_stride;
    out = found;
    return true;
}

}  // namespace zuvo::curvix
