// Anti-aliased rounded rectangles drawn onto existing 24- and 32-bit pixels,
// blended or written.  No Python.
//
// Pixel (i, j) spans [i, i+1] x [j, j+1] and is sampled at its centre.  Its
// coverage is clamp(0.5 - d, 0, 1), d being the signed distance of the
// rounded box at the centre; the corner radius is the one of the quadrant the
// centre lies in.  A stroke is the ring between the box and the box inset by
// its width (radii max(r - width, 0)): clamp(outer - inner, 0, 1).
//
// Blending onto pixels with per-pixel alpha is "over" in single precision;
// onto pixels without, it is the same "over" in 8-bit fixed point
// (OpaqueBlend below): the premultiplied source and the share of the old
// colour kept, each rounded to 1/256, are together within half a unit of the
// exact value, so every byte is within one unit of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zuvo::draw {

// A surface's pixels: rows `pitch` bytes apart, pixels `bytes_per_pixel` (3
// or 4) bytes wide, and the byte of each channel within a pixel.  `alpha` is
// -1 on a surface without per-pixel alpha; `unused` is the fourth byte of
// such a 32-bit pixel (written 0, as pygame writes a mapped colour), or -1.
struct PixelRows {
    std::uint8_t* base = nullptr;
    std::int32_t width = 0, height = 0;
    std::ptrdiff_t pitch = 0;
    std::int32_t bytes_per_pixel = 4;
    std::int32_t red = 0, green = 1, blue = 2, alpha = 3, unused = -1;
};

// Straight (not premultiplied) colour, each channel 0 to 255.
struct Colour {
    float r = 0, g = 0, b = 0, a = 0;
};

// Half-open rectangle of pixels; empty when x0 >= x1 or y0 >= y1.
struct PixelBox {
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    // Not inline: the instruction-set units include this header (through
    // evaluators.hpp) and must share no inline code with the others.
    bool empty() const noexcept;
};

// floor(v) and ceil(v) clamped to [lo, hi] (NaN counts as 0).
std::int32_t floor_clamped(double v, std::int32_t lo, std::int32_t hi) noexcept;
std::int32_t ceil_clamped(double v, std::int32_t lo, std::int32_t hi) noexcept;

// What to draw.  The box [x0, x1] x [y0, y1] is normalised, its coordinates
// at most 1e300 in magnitude (so no sum overflows); the
// radii (clockwise from the top-left) lie in [0, half the smaller side];
// `width` is 0 for a fill, otherwise below half the smaller side.  `ring`
// paints the stroke; `inside`, when `has_inside`, the region within it.
struct RectPaint {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    double radius[4] = {0, 0, 0, 0};
    double width = 0;
    Colour ring, inside;
    bool has_inside = false;
    bool blend = true;
};

// What blending a colour does to each byte of a pixel on a surface without
// per-pixel alpha: byte b becomes min((add[b] + old * keep[b]) >> 8, 255).
// The same for every pixel of a run that one colour covers alike.
struct OpaqueBlend {
    std::uint32_t add[4] = {0, 0, 0, 0};
    std::uint32_t keep[4] = {0, 0, 0, 0};
};

// Blends `count` 4-byte pixels from `p` by `w`, exactly as one pixel at a
// time does; the vector forms need every add[b] + 255 * keep[b] below 2^16.
using OpaqueBlendRun = void (*)(std::uint8_t* p, std::int32_t count, const OpaqueBlend& w) noexcept;

// The same blend in the 16-bit lanes the vector blends read a pixel as
// (simd/draw_rect.hpp): lane j holds bytes 2j and 2j + 1, its low byte in
// add_lo/keep_lo, its high byte in add_hi/keep_hi.
struct OpaqueLanes {
    std::uint16_t add_lo[2], keep_lo[2], add_hi[2], keep_hi[2];
};
OpaqueLanes opaque_lanes_of(const OpaqueBlend& w) noexcept;

// A row of pixels each with weights of its own, as OpaqueLanes: pixel i's
// lanes are 2i and 2i + 1 of each array.
struct LaneRow {
    const std::uint16_t* add_lo;
    const std::uint16_t* keep_lo;
    const std::uint16_t* add_hi;
    const std::uint16_t* keep_hi;
};

// Blends `count` 4-byte pixels from `p` by the weights of `w` from its
// start, exactly as one pixel at a time does; the vector forms need every
// weight to fit as OpaqueBlendRun's do.
using OpaqueBlendEach = void (*)(std::uint8_t* p, std::int32_t count, const LaneRow& w) noexcept;

// `colour` composited "over" one pixel by `coverage` (0 to 1), exactly as a
// blended fill of draw_rect covers it.
void blend_over(std::uint8_t* pixel, const PixelRows& px, const Colour& colour,
                float coverage) noexcept;

// blend_over on `count` pixels from `p`, pixel i at coverage[i], exactly as
// one pixel at a time does.  The plain form writes a pixel equal to the one
// before it, at the same coverage, as that one was written; the vector forms
// need 4-byte pixels with per-pixel alpha.
using BlendOverEach = void (*)(std::uint8_t* p, std::int32_t count, const PixelRows& px,
                               const Colour& colour, const float* coverage) noexcept;
void blend_over_each(std::uint8_t* p, std::int32_t count, const PixelRows& px, const Colour& colour,
                     const float* coverage) noexcept;

// The blends of one path: its run and per-pixel blends of pixels without
// per-pixel alpha, and its "over" of pixels with it.
struct Blends {
    OpaqueBlendRun run;
    OpaqueBlendEach each;
    BlendOverEach over;
};

// The weights blend_over uses for `colour` at `coverage` on a pixel without
// per-pixel alpha; false when it covers nothing (the pixel stays).
bool opaque_blend_of(const PixelRows& px, const Colour& colour, float coverage, OpaqueBlend& w) noexcept;

// The plain forms: one byte at a time.
void blend_opaque_run_plain(std::uint8_t* p, std::int32_t count, const OpaqueBlend& w) noexcept;
void blend_opaque_each_plain(std::uint8_t* p, std::int32_t count, const LaneRow& w) noexcept;

// The pixels whose centres lie within half a pixel of the box, within `clip`:
// no pixel outside can have coverage above 0.
PixelBox candidate_pixels(const RectPaint& paint, PixelBox clip) noexcept;

// Draws `paint` on the pixels of `clip` (which must lie within the surface)
// and returns the box of the pixels whose coverage was above 0.  The plain
// form evaluates every pixel; the fast form fills the runs that provably
// share one result and is byte for byte the same.
PixelBox draw_rect_plain(const PixelRows& px, const RectPaint& paint, PixelBox clip) noexcept;
// `blends.run` blends the runs of 4-byte pixels without per-pixel alpha
// that a translucent colour covers alike, `blends.over` those with it (the
// fast form's default is the best of this processor's, best_blends()).
PixelBox draw_rect(const PixelRows& px, const RectPaint& paint, PixelBox clip, const Blends& blends) noexcept;
PixelBox draw_rect(const PixelRows& px, const RectPaint& paint, PixelBox clip) noexcept;
const Blends& best_blends() noexcept;

}  // namespace zuvo::draw
