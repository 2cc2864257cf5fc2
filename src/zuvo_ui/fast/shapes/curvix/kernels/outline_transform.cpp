#include "outline_transform.hpp"

#include <algorithm>
#include <cmath>

#include "../../../support/numeric.hpp"
#include "outline_pixel.hpp"

namespace zuvo::curvix {

OutlineTransformShape make_outline_transform(std::int32_t w, std::int32_t h, CornerRadii radii,
                                             float stroke_width, Rgb stroke,
                                             std::int32_t alpha_base, bool has_bg, Rgb bg,
                                             std::int32_t bg_alpha) noexcept {
    OutlineTransformShape s;
    s.w = w;
    s.h = h;
    s.half_width = 0.5f * stroke_width;
    // The given radius is not clamped at 0 before the subtraction, nor to the box.
    const auto centre_line = [&s](float r) { return max0(r - s.half_width); };
    s.radii = {centre_line(radii.top_left), centre_line(radii.top_right),
               centre_line(radii.bottom_right), centre_line(radii.bottom_left)};
    s.cutoff = s.half_width + 0.5f;
    s.cutoff_exact = static_cast<double>(s.half_width) + 0.5;
    s.box_half_w = (static_cast<float>(w) - stroke_width) * 0.5f;
    s.box_half_h = (static_cast<float>(h) - stroke_width) * 0.5f;
    s.center_x = narrow_to_float((static_cast<double>(w) - 1.0) * 0.5);
    s.center_y = narrow_to_float((static_cast<double>(h) - 1.0) * 0.5);
    s.stroke = stroke;
    s.alpha_base = alpha_base;
    s.stroke_alpha_mult = narrow_to_float(alpha_base / 255.0);
    s.has_bg = has_bg;
    if (has_bg) {
        s.bg = bg;
        s.bg_alpha_mult = bg_alpha < 0 ? 1.0f : narrow_to_float(bg_alpha / 255.0);
    }
    return s;
}

void transform_outline(const PixelPlanes& px, const OutlineTransformShape& s) noexcept {
    const OutlineTransformConstants k = pixel::constants_of(s);
    for (std::int32_t y = 0; y < s.h; ++y) {
        const pixel::Row row = pixel::row_of(s, y);
        for (std::int32_t x = 0; x < s.w; ++x) {
            const OutlineHalfRow& half = pixel::right_half(k, x) ? row.right : row.left;
            pixel::paint(px, k, half, x, pixel::terms(k, half, x));
        }
    }
}

}  // namespace zuvo::curvix
