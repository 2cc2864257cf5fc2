#include "outlined.hpp"

#include <algorithm>
#include <cmath>

#include "../../../support/numeric.hpp"
#include "corners.hpp"
#include "runs.hpp"
#include "prefetch.hpp"

namespace zuvo::curvix {

OutlinedShape make_outlined_shape(std::int32_t w, std::int32_t h, std::int32_t radius, float width,
                                  std::int32_t alpha_base, std::uint8_t r, std::uint8_t g,
                                  std::uint8_t b) noexcept {
    OutlinedShape s;
    s.w = w;
    s.h = h;
    s.r_val = radius;
    // Compared in 64 bits: doubling a radius near the int32 limit must not overflow.
    if (std::int64_t{s.r_val} * 2 > w) s.r_val = w / 2;
    if (std::int64_t{s.r_val} * 2 > h) s.r_val = h / 2;
    s.alpha_base = alpha_base;
    s.r = r;
    s.g = g;
    s.b = b;
    s.half_width = narrow_to_float(width * 0.5);
    s.center_radius = narrow_to_float(std::max(static_cast<double>(s.r_val) - s.half_width, 0.0));
    s.center_x = narrow_to_float((static_cast<double>(w) - 1.0) * 0.5);
    s.center_y = narrow_to_float((static_cast<double>(h) - 1.0) * 0.5);
    const float w_less_width = static_cast<float>(w) - width;
    const float h_less_width = static_cast<float>(h) - width;
    s.centerline_w = narrow_to_float((static_cast<double>(w_less_width) - 1.0) / 2.0 - s.center_radius);
    s.centerline_h = narrow_to_float((static_cast<double>(h_less_width) - 1.0) / 2.0 - s.center_radius);
    s.sw = trunc_to_int32(std::ceil(static_cast<double>(width)));
    s.cutoff = narrow_to_float(static_cast<double>(s.half_width) + 0.5);
    const std::int64_t box = std::min<std::int64_t>({std::int64_t{s.r_val} + s.sw, w / 2, h / 2});
    s.box_size = static_cast<std::int32_t>(box);
    return s;
}

namespace {

// A half-open range of rows or columns, clipped to [0, limit).
struct Span {
    std::int32_t begin, end;
};

Span clip(std::int64_t begin, std::int64_t end, std::int32_t limit) noexcept {
    const std::int64_t b = std::clamp<std::int64_t>(begin, 0, limit);
    const std::int64_t e = std::clamp<std::int64_t>(end, b, limit);
    return {static_cast<std::int32_t>(b), static_cast<std::int32_t>(e)};
}

void paint_band(const PixelPlanes& px, const OutlinedShape& s, Span rows, Span cols) noexcept {
    const std::uint8_t a = low8(s.alpha_base);
    for (std::int32_t y = rows.begin; y < rows.end; ++y) {
        for (std::int32_t x = cols.begin; x < cols.end; ++x) {
            px.red.at(x, y) = s.r;
            px.green.at(x, y) = s.g;
            px.blue.at(x, y) = s.b;
            px.alpha.at(x, y) = a;
        }
    }
}

// The bands of `paint_outline_bands`, each through `paint(rows, cols)`.
template <class Paint>
void for_each_band(const OutlinedShape& s, Paint paint) {
    const std::int64_t r = s.r_val, sw = s.sw, w = s.w, h = s.h;
    paint(clip(0, sw, s.h), clip(r, w - r, s.w));      // top
    paint(clip(h - sw, h, s.h), clip(r, w - r, s.w));  // bottom
    paint(clip(r, h - r, s.h), clip(0, sw, s.w));      // left
    paint(clip(r, h - r, s.h), clip(w - sw, w, s.w));  // right
}

// The four corner squares of `paint_outline_corners`, top-left, top-right,
// bottom-left, bottom-right, those with no pixel left out; returns how many.
std::int32_t corner_squares(const OutlinedShape& s, CornerSquare squares[4]) noexcept {
    const std::int64_t box = s.box_size, w = s.w, h = s.h;
    const Span rows[2] = {clip(0, box, s.h), clip(h - box, h, s.h)};
    const Span cols[2] = {clip(0, box, s.w), clip(w - box, w, s.w)};
    std::int32_t count = 0;
    for (const bool bottom : {false, true}) {
        for (const bool right : {false, true}) {
            const Span r = rows[bottom], c = cols[right];
            if (r.begin == r.end || c.begin == c.end) continue;
            squares[count++] = {c.begin, c.end, r.begin, r.end, 0.0f, right, bottom};
        }
    }
    return count;
}

// Each of those squares through `paint(rows, cols)`.
template <class Paint>
void for_each_corner(const OutlinedShape& s, Paint paint) {
    CornerSquare squares[4];
    const std::int32_t count = corner_squares(s, squares);
    for (std::int32_t i = 0; i < count; ++i) {
        const CornerSquare& sq = squares[i];
        paint(Span{sq.y_begin, sq.y_end}, Span{sq.x_begin, sq.x_end});
    }
}

}  // namespace

void prefetch_outlined(const ColourPlanes& px, const OutlinedShape& s) noexcept {
    // Interleaved pixels share their lines with the red cell's.
    const bool interleaved =
        px.red.x_stride == 4 && px.green.x_stride == 4 && px.blue.x_stride == 4;
    const auto fetch = [&](Span rows, Span cols) {
        prefetch_cells(px.red, cols.begin, cols.end, rows.begin, rows.end);
        if (interleaved) return;
        for (const Plane* p : {&px.green, &px.blue}) {
            prefetch_cells(*p, cols.begin, cols.end, rows.begin, rows.end);
        }
    };
    for_each_band(s, fetch);
    for_each_corner(s, fetch);
}

void paint_outline_bands(const PixelPlanes& px, const OutlinedShape& s) noexcept {
    for_each_band(s, [&](Span rows, Span cols) { paint_band(px, s, rows, cols); });
}

void paint_outline_bands_in_runs(const PixelPlanes& px, const OutlinedShape& s) noexcept {
    const std::uint8_t rgba[4] = {s.r, s.g, s.b, low8(s.alpha_base)};
    InterleavedPixels pixels;
    if (find_interleaving(px, s.w, s.h, pixels)) {
        const std::uint32_t word = pixels.word(rgba);
        for_each_band(s, [&](Span rows, Span cols) {
            for (std::int32_t y = rows.begin; y < rows.end && cols.begin < cols.end; ++y) {
                fill_words(pixels.at(cols.begin, y), cols.end - cols.begin, word);
            }
        });
        return;
    }
    const Plane* planes[4] = {&px.red, &px.green, &px.blue, &px.alpha};
    if (std::all_of(planes, planes + 4, [](const Plane* p) { return p->x_stride == 1; })) {
        for_each_band(s, [&](Span rows, Span cols) {
            for (std::int32_t y = rows.begin; y < rows.end && cols.begin < cols.end; ++y) {
                for (int i = 0; i < 4; ++i) {
                    std::memset(&planes[i]->at(cols.begin, y), rgba[i],
                                static_cast<std::size_t>(cols.end - cols.begin));
                }
            }
        });
        return;
    }
    paint_outline_bands(px, s);
}

namespace {

void outlined_row(const PixelPlanes& px, const OutlinedShape& s,
                  const OutlinedCornerRow& row) noexcept {
    const float alpha_base = static_cast<float>(s.alpha_base);
    const std::int32_t y = row.y;
    for (std::int32_t x = row.x_begin; x < row.x_end; ++x) {
        const float dx = std::fabs(static_cast<float>(x) - s.center_x) - s.centerline_w;
        const float dist = (dx > 0.0f && row.dy_out > 0.0f) ? std::sqrt(dx * dx + row.dy_sq)
                                                            : std::max(dx, row.dy_out);
        const float signed_dist = dist + std::min(std::max(dx, row.dy), 0.0f) - s.center_radius;
        const float dist_from_edge = std::fabs(signed_dist);
        if (dist_from_edge > s.cutoff) continue;
        const float alpha_f = s.half_width - dist_from_edge + 0.5f;
        if (alpha_f <= 0.0f) continue;
        px.red.at(x, y) = s.r;
        px.green.at(x, y) = s.g;
        px.blue.at(x, y) = s.b;
        px.alpha.at(x, y) =
            alpha_f >= 1.0f ? low8(s.alpha_base) : low8_of_trunc(alpha_f * alpha_base);
    }
}

// The stroke's pixels as words of interleaved `pixels`.
StrokeWords stroke_words(const InterleavedPixels& pixels, const OutlinedShape& s) noexcept {
    StrokeWords words;
    const std::uint8_t colour[4] = {s.r, s.g, s.b, 0};
    const std::uint8_t alpha_one[4] = {0, 0, 0, 1};
    const std::uint32_t one = pixels.word(alpha_one);
    while ((one >> words.alpha_shift) != 1) words.alpha_shift += 8;
    words.first_byte = pixels.first_byte;
    words.y_stride = pixels.y_stride;
    words.colour = pixels.word(colour);
    return words;
}

}  // namespace

void outlined_rows_scalar(const PixelPlanes& px, const OutlinedShape& s, const StrokeWords&,
                          const OutlinedCornerRow* rows, std::int32_t count) noexcept {
    for (std::int32_t i = 0; i < count; ++i) outlined_row(px, s, rows[i]);
}

void paint_outline_corners(const PixelPlanes& px, const OutlinedShape& s,
                           OutlinedRowsEvaluator evaluate) noexcept {
    InterleavedPixels pixels;
    const StrokeWords words = evaluate != outlined_rows_scalar && find_interleaving(px, s.w, s.h, pixels)
                                  ? stroke_words(pixels, s)
                                  : StrokeWords{};
    const auto corner = [&](Span rows, Span cols) {
        // Constant along a row: dy, max(dy, 0) and its square.
        const auto row = [&](std::int32_t y) {
            const float dy = std::fabs(static_cast<float>(y) - s.center_y) - s.centerline_h;
            const float dy_out = std::max(dy, 0.0f);
            return OutlinedCornerRow{y, cols.begin, cols.end, dy, dy_out, dy_out * dy_out};
        };
        in_row_batches<OutlinedCornerRow>(rows.begin, rows.end, row,
                                          [&](const OutlinedCornerRow* batch, std::int32_t count) {
                                              evaluate(px, s, words, batch, count);
                                          });
    };
    for_each_corner(s, corner);
}

bool paint_outline_in_runs(const PixelPlanes& px, const OutlinedShape& s,
                           OutlinedCornerRunsEvaluator corners) noexcept {
    InterleavedPixels pixels;
    if (!find_interleaving(px, s.w, s.h, pixels)) return false;
    const std::uint8_t rgba[4] = {s.r, s.g, s.b, low8(s.alpha_base)};
    const std::uint32_t word = pixels.word(rgba);
    // The bands of for_each_band: the top and bottom ones are long runs, the
    // side ones short runs on each side of a row.
    const std::int64_t r = s.r_val, sw = s.sw, w = s.w, h = s.h;
    const Span across = clip(r, w - r, s.w);
    for (const Span rows : {clip(0, sw, s.h), clip(h - sw, h, s.h)}) {
        for (std::int32_t y = rows.begin; y < rows.end; ++y) {
            fill_words(pixels.at(across.begin, y), across.end - across.begin, word);
        }
    }
    // Both side bands are min(sw, w) wide (or empty): a few stores in each
    // row, their sizes chosen once.
    const Span down = clip(r, h - r, s.h), left = clip(0, sw, s.w), right = clip(w - sw, w, s.w);
    const std::int32_t n = left.end - left.begin;
    const auto sides = [&](auto store) {
        for (std::int32_t y = down.begin; y < down.end; ++y) {
            store(pixels.at(left.begin, y));
            store(pixels.at(right.begin, y));
        }
    };
    const FourWords four(word);
    if (n > 8) {
        sides([&](std::uint8_t* p) { fill_words(p, n, word); });
    } else if (n >= 4) {
        sides([&](std::uint8_t* p) { store_twice<16>(p, 4 * (n - 4), four); });
    } else if (n >= 2) {
        sides([&](std::uint8_t* p) { store_twice<8>(p, 4 * (n - 2), four); });
    } else if (n == 1) {
        sides([&](std::uint8_t* p) { std::memcpy(p, &word, 4); });
    }
    CornerSquare squares[4];
    const std::int32_t count = mirror_squares(squares, corner_squares(s, squares), s.w, s.h);
    corners(px, s, stroke_words(pixels, s), squares, count);
    return true;
}

}  // namespace zuvo::curvix
