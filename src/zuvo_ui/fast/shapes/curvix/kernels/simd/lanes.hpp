// The vocabulary of lanes every vector body is written in, once, over an
// instruction set's description `Isa` (isa_*.cpp): vector types F (float),
// I (int32), U (uint32), D (double, half as many lanes), `lanes`, and
//   iota()            0, 1, 2, ...
//   from_int(I)       each lane converted to float
//   sqrt(F)           correctly rounded
//   lo(F), hi(F)      the low or high half of the lanes widened to double
//   narrow(D, D)      two halves rounded to float and joined
//   trunc_f(F), trunc_d(D, D)
//                     truncating conversions that give 0x80000000 for NaN and
//                     for lanes whose truncated value leaves the int32 range
//                     (x86's rule; an instruction set with another one, such
//                     as NEON's saturation, replaces those lanes)
//   fma_f, fma_d      a * b + c rounded once (in hardware or emulated)
//
// Everything here and in the bodies has internal linkage (an unnamed
// namespace), and the bodies call no inline function that is not their own:
// each instruction-set unit is compiled with its own target flags, and an
// inline function shared between units could have one unit's copy, built
// for AVX2 say, picked by the linker for every caller.  Memory is reached
// only through `RowCells` below, never through Plane::at; the units define
// ZUVO_INSTRUCTION_SET_UNIT, which the kernels' headers of inline code
// (outline_pixel.hpp, runs.hpp, ...) refuse.
//
// Each lane follows the scalar kernels' operations one for one: the same
// IEEE operations in the same order and precision, and the same select for
// every std::min / std::max / clamp, including what they do with NaN.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "../../../../support/plane.hpp"

namespace zuvo::curvix::simd {
namespace {

template <class Isa>
using F = typename Isa::F;
template <class Isa>
using I = typename Isa::I;

template <class Isa>
F<Isa> splat(float v) {
    return F<Isa>{} + v;
}

template <class Isa>
I<Isa> splat_int(std::int32_t v) {
    return I<Isa>{} + v;
}

// |v|: the sign bit cleared, as std::fabs does.
template <class Isa>
F<Isa> abs_of(F<Isa> v) {
    return (F<Isa>)((I<Isa>)v & 0x7fffffff);
}

// std::max(a, b) and std::min(a, b): `a` unless the comparison holds, so a
// NaN `a` passes through and a NaN `b` gives `a`.
template <class Isa>
F<Isa> max_of(F<Isa> a, F<Isa> b) {
    return a < b ? b : a;
}

template <class Isa>
F<Isa> min_of(F<Isa> a, F<Isa> b) {
    return b < a ? b : a;
}

// max0 of the scalar kernels: v > 0 ? v : 0, so NaN gives 0.
template <class Isa>
F<Isa> max0(F<Isa> v) {
    const F<Isa> zero{};
    return v > zero ? v : zero;
}

// v < 0 ? 0 : (v > 1 ? 1 : v), NaN passing through.
template <class Isa>
F<Isa> clamp01(F<Isa> v) {
    const F<Isa> zero{}, one = zero + 1.0f;
    return v < zero ? zero : (v > one ? one : v);
}

// The columns x0, x0 + 1, ... as floats.  Lanes past a row's end are never
// stored; the unsigned sum keeps their indices defined.
template <class Isa>
F<Isa> columns(std::int32_t x0) {
    using U = typename Isa::U;
    return Isa::from_int((I<Isa>)((U)Isa::iota() + static_cast<std::uint32_t>(x0)));
}

// A float vector widened to double, in two halves.
template <class Isa>
struct Halves {
    typename Isa::D lo, hi;
};

template <class Isa>
Halves<Isa> widen(F<Isa> v) {
    return {Isa::lo(v), Isa::hi(v)};
}

// low8_of_trunc of each lane: the low 8 bits of the truncating conversion
// equal it for every input (out of range and NaN give 0x80000000; floats of
// magnitude 2^31 or more are multiples of 256).
template <class Isa>
I<Isa> low8_of(F<Isa> v) {
    return Isa::trunc_f(v) & 0xff;
}

// The same of a double vector formed per half.
template <class Isa>
I<Isa> low8_of(Halves<Isa> v) {
    return Isa::trunc_d(v.lo, v.hi) & 0xff;
}

// Whether some lane, or every lane, of a mask (lanes all ones or all zeros)
// is set: the vector read as 64-bit words.
template <class Isa>
bool any_of(I<Isa> mask) {
    std::uint64_t words[sizeof mask / 8];
    std::memcpy(words, &mask, sizeof words);
    std::uint64_t any = 0;
    for (const std::uint64_t w : words) any |= w;
    return any != 0;
}

template <class Isa>
bool all_of(I<Isa> mask) {
    std::uint64_t words[sizeof mask / 8];
    std::memcpy(words, &mask, sizeof words);
    std::uint64_t all = ~std::uint64_t{0};
    for (const std::uint64_t w : words) all &= w;
    return all == ~std::uint64_t{0};
}

// A vector's lanes as an array, for the stores.
template <class Isa>
struct Unpacked {
    std::int32_t v[Isa::lanes];
    explicit Unpacked(I<Isa> vector) { std::memcpy(v, &vector, sizeof v); }
};

// The sum of the lanes, for counting the lanes a mask sets (each 1 after
// `& 1`): halves added until two lanes are left.  The halves' types are
// spelled out (GCC ignores a vector_size that depends on a template argument).
using Quad = std::int32_t __attribute__((vector_size(16)));
using Pair = std::int32_t __attribute__((vector_size(8)));

template <class Isa>
std::int32_t sum_of(I<Isa> v) {
    static_assert(sizeof v == 16 || sizeof v == 32, "four or eight lanes");
    Quad quad;
    std::memcpy(&quad, &v, sizeof quad);
    if constexpr (sizeof v == 32) {
        Quad high;
        std::memcpy(&high, reinterpret_cast<const unsigned char*>(&v) + sizeof quad, sizeof high);
        quad += high;
    }
    Pair low, high;
    std::memcpy(&low, &quad, sizeof low);
    std::memcpy(&high, reinterpret_cast<const unsigned char*>(&quad) + sizeof low, sizeof high);
    const Pair pair = low + high;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(pair[0]) +
                                     static_cast<std::uint32_t>(pair[1]));
}

// The lanes in reverse order (GCC's and Clang's shuffles of the vector
// extensions; GCC before 12 has only the first).
template <class Isa>
I<Isa> reversed(I<Isa> v) {
#if defined(__clang__)
    static_assert(Isa::lanes == 4 || Isa::lanes == 8, "four or eight lanes");
    if constexpr (Isa::lanes == 8) {
        return __builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0);
    } else {
        return __builtin_shufflevector(v, v, 3, 2, 1, 0);
    }
#else
    return __builtin_shuffle(v, (Isa::lanes - 1) - Isa::iota());
#endif
}

// Cells of one row of a plane.  A copy of the plane's numbers: stores
// through a byte pointer may alias a Plane, which would make the compiler
// read them again after every store.
struct RowCells {
    std::uint8_t* row;
    std::ptrdiff_t x_stride;
    RowCells(const Plane& p, std::int32_t y) : row(p.base + y * p.y_stride), x_stride(p.x_stride) {}
    std::uint8_t& operator[](std::int32_t x) const { return row[x * x_stride]; }
};

// The four planes' cells of one row.
struct PixelRow {
    RowCells red, green, blue, alpha;
    PixelRow(const PixelPlanes& px, std::int32_t y)
        : red(px.red, y), green(px.green, y), blue(px.blue, y), alpha(px.alpha, y) {}
};

// Writes `value` to the cells of the lanes in `write`, columns ascending
// (the scalar kernels' order, whatever the layout).
template <class Isa>
void store_where(const RowCells& cells, std::int32_t x0, std::int32_t count, I<Isa> write,
                 I<Isa> value) {
    const Unpacked<Isa> w(write), v(value);
    for (std::int32_t i = 0; i < count; ++i) {
        if (w.v[i]) cells[x0 + i] = static_cast<std::uint8_t>(v.v[i]);
    }
}

// The cells of columns [x0, x0 + count) as a float vector; the other lanes 0.
template <class Isa>
F<Isa> load(const RowCells& cells, std::int32_t x0, std::int32_t count) {
    float values[Isa::lanes] = {};
    for (std::int32_t i = 0; i < count; ++i) values[i] = cells[x0 + i];
    F<Isa> v;
    std::memcpy(&v, values, sizeof v);
    return v;
}

// The cells of the lanes in `read` of columns [x0, x0 + count) as a float
// vector; the other lanes 0.
template <class Isa>
F<Isa> load_where(const RowCells& cells, std::int32_t x0, std::int32_t count, I<Isa> read) {
    const Unpacked<Isa> r(read);
    float values[Isa::lanes] = {};
    for (std::int32_t i = 0; i < count; ++i) {
        if (r.v[i]) values[i] = cells[x0 + i];
    }
    F<Isa> v;
    std::memcpy(&v, values, sizeof v);
    return v;
}

}  // namespace
}  // namespace zuvo::curvix::simd
