// draw.shadow: a Gaussian-blurred rounded box composited over the surface.
#include <algorithm>
#include <limits>
#include <memory>

#include "../../support/buffer.hpp"
#include "common.hpp"
#include "functions.hpp"
#include "../curvix/kernels/draw_shadow.hpp"

namespace zuvo::draw {
namespace {

struct FreeWithPyMem {
    void operator()(float* p) const noexcept { PyMem_Free(p); }
};

Ref draw(PyObject* mod, PyObject* args, PyObject* kwargs) {
    static const char* keywords[] = {"surface",
                                     "color",
                                     "rect",
                                     "blur_radius",
                                     "border_radius",
                                     "border_top_left_radius",
                                     "border_top_right_radius",
                                     "border_bottom_left_radius",
                                     "border_bottom_right_radius",
                                     "spread",
                                     "offset",
                                     nullptr};
    PyObject *surf, *color, *rect_value, *offset = nullptr;
    double blur, border_radius = 0, spread = 0;
    double corner[4] = {-1, -1, -1, -1};  // top-left, top-right, bottom-left, bottom-right
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "OOOd|ddddd$dO:shadow",
                                     const_cast<char**>(keywords), &surf, &color, &rect_value,
                                     &blur, &border_radius, &corner[0], &corner[1], &corner[2],
                                     &corner[3], &spread, &offset)) {
        return {};
    }
    const State& state = *state_of(mod);
    if (!check_surface(state, surf)) return {};
    // Every conversion runs before the surface is locked.
    const auto colour = colour_of(state, surf, color);
    if (!colour) return {};
    const auto area = area_of(state, rect_value);
    if (!area) return {};
    double shift[2] = {0, 0};
    if (offset && !pair_of(offset, shift, "offset")) return {};
    if (!check_finite({blur, border_radius, corner[0], corner[1], corner[2], corner[3], spread,
                       shift[0], shift[1]},
                      "blur_radius, radii, spread and offset")) {
        return {};
    }
    if (blur < 0) {
        PyErr_SetString(PyExc_ValueError, "blur_radius must not be negative");
        return {};
    }
    // The box moved by the offset and grown by the spread; a radius grows
    // with it (never below 0) where the corner is rounded at all.
    const double x0 = area->x0 + shift[0] - spread, x1 = area->x1 + shift[0] + spread;
    const double y0 = area->y0 + shift[1] - spread, y1 = area->y1 + shift[1] + spread;
    if (!(x0 < x1 && y0 < y1)) return rect_result(state, {}, area->x0 + shift[0], area->y0 + shift[1]);
    const double half = std::min(x1 - x0, y1 - y0) * 0.5;
    const auto chosen = corner_radii(border_radius, corner);
    double radius[4];
    for (int i = 0; i < 4; ++i) {
        radius[i] = std::clamp(chosen[i] > 0 ? std::max(chosen[i] + spread, 0.0) : 0.0, 0.0, half);
    }

    auto locked = LockedSurface::lock(state, surf);
    if (!locked) return {};
    const PixelBox clip = locked->clip();
    PixelBox drawn;
    const auto place = [&](auto& paint) {
        paint.x0 = x0;
        paint.y0 = y0;
        paint.x1 = x1;
        paint.y1 = y1;
        std::copy(radius, radius + 4, paint.radius);
    };
    if (blur == 0) {
        RectPaint paint;
        place(paint);
        paint.ring = *colour;
        ReleaseGil unlocked;
        drawn = draw_rect(locked->pixels(), paint, clip);
    } else {
        ShadowPaint paint;
        place(paint);
        // Half the smallest blur (5e-324) is 0: no sigma is below the
        // smallest normal double, where every row is as sharp as it gets.
        paint.sigma = std::max(blur * 0.5, std::numeric_limits<double>::min());
        paint.colour = *colour;
        const std::unique_ptr<float, FreeWithPyMem> scratch(static_cast<float*>(
            PyMem_Malloc(kShadowScratchPerColumn * sizeof(float) * static_cast<std::size_t>(std::max(clip.x1 - clip.x0, 1)))));
        if (!scratch) {
            PyErr_NoMemory();
            return {};
        }
        ReleaseGil unlocked;
        drawn = draw_shadow(locked->pixels(), paint, clip, scratch.get());
    }
    if (!locked->unlock()) return {};
    return rect_result(state, drawn, x0, y0);
}

}  // namespace

PyObject* shadow(PyObject* mod, PyObject* args, PyObject* kwargs) {
    return draw(mod, args, kwargs).release();
}

}  // namespace zuvo::draw
