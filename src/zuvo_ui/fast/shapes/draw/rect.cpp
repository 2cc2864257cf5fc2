// draw.rect: converts the arguments (running whatever Python code they
// carry), then locks the surface, reads its live pixels from the surface
// object, and draws with the interpreter lock released.
#include "functions.hpp"

#include <algorithm>

#include "../../support/buffer.hpp"
#include "common.hpp"
#include "rect_kernel.hpp"

namespace zuvo::draw {
namespace {

Ref draw(PyObject* mod, PyObject* args, PyObject* kwargs) {
    static const char* keywords[] = {"surface",
                                     "color",
                                     "rect",
                                     "width",
                                     "border_radius",
                                     "border_top_left_radius",
                                     "border_top_right_radius",
                                     "border_bottom_left_radius",
                                     "border_bottom_right_radius",
                                     "border_color",
                                     "blend",
                                     nullptr};
    PyObject *surf, *color, *rect_value, *border_color = Py_None;
    double width = 0, border_radius = 0;
    double corner[4] = {-1, -1, -1, -1};  // top-left, top-right, bottom-left, bottom-right
    int blend = 1;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "OOO|dddddd$Op:rect",
                                     const_cast<char**>(keywords), &surf, &color, &rect_value,
                                     &width, &border_radius, &corner[0], &corner[1], &corner[2],
                                     &corner[3], &border_color, &blend)) {
        return {};
    }
    const State& state = *state_of(mod);
    if (!check_surface(state, surf)) return {};
    // Every conversion runs before the surface is locked: they may run the
    // caller's code, which may re-initialise the surface.
    const auto fill = colour_of(state, surf, color);
    if (!fill) return {};
    const auto area = area_of(rect_value);
    if (!area) return {};
    std::optional<Colour> border;
    if (border_color != Py_None) {
        border = colour_of(state, surf, border_color);
        if (!border) return {};
    }
    if (!check_finite({width, border_radius, corner[0], corner[1], corner[2], corner[3]},
                      "width and radii")) {
        return {};
    }
    if (width < 0) return rect_result(state, {}, area->x0, area->y0);

    RectPaint paint;
    paint.x0 = area->x0;
    paint.x1 = area->x1;
    paint.y0 = area->y0;
    paint.y1 = area->y1;
    const double half = std::min(area->x1 - area->x0, area->y1 - area->y0) * 0.5;
    const auto radii = corner_radii(border_radius, corner);
    for (int i = 0; i < 4; ++i) paint.radius[i] = std::clamp(radii[i], 0.0, half);
    paint.width = width < half ? width : 0.0;
    paint.blend = blend != 0;
    if (paint.width > 0 && border) {
        paint.ring = *border;
        paint.inside = *fill;
        paint.has_inside = true;
    } else {
        paint.ring = *fill;
    }

    auto locked = LockedSurface::lock(state, surf);
    if (!locked) return {};
    PixelBox drawn;
    {
        ReleaseGil unlocked;
        drawn = draw_rect(locked->pixels(), paint, locked->clip());
    }
    if (!locked->unlock()) return {};
    return rect_result(state, drawn, area->x0, area->y0);
}

}  // namespace

PyObject* rect(PyObject* mod, PyObject* args, PyObject* kwargs) { return draw(mod, args, kwargs).release(); }

}  // namespace zuvo::draw
