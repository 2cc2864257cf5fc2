// draw.rect: converts the arguments (running whatever Python code they
// carry), then locks the surface, reads its live pixels from the surface
// object, and draws with the interpreter lock released.
#include <algorithm>
#include <array>

#include "../../support/buffer.hpp"
#include "../curvix/kernels/draw_rect.hpp"
#include "common.hpp"
#include "functions.hpp"

namespace zuvo::draw {
namespace {

// The parameters, in order; the first three are required, the last two
// keyword-only.
constexpr const char* kParams[] = {"surface",
                                   "color",
                                   "rect",
                                   "width",
                                   "border_radius",
                                   "border_top_left_radius",
                                   "border_top_right_radius",
                                   "border_bottom_left_radius",
                                   "border_bottom_right_radius",
                                   "border_color",
                                   "blend"};
constexpr Py_ssize_t kParamCount = std::size(kParams);
constexpr Py_ssize_t kRequired = 3;
constexpr Py_ssize_t kPositional = 9;

// The arguments of a vectorcall in parameter order (borrowed; null where not
// given), with the messages PyArg_ParseTupleAndKeywords gives.
bool parse(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
           std::array<PyObject*, kParamCount>& out) {
    out.fill(nullptr);
    if (nargs > kPositional) {
        PyErr_Format(PyExc_TypeError, "rect() takes at most %d positional arguments (%zd given)",
                     static_cast<int>(kPositional), nargs);
        return false;
    }
    for (Py_ssize_t i = 0; i < nargs; ++i) out[static_cast<std::size_t>(i)] = args[i];
    const Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t k = 0; k < nkw; ++k) {
        PyObject* name = PyTuple_GET_ITEM(kwnames, k);
        Py_ssize_t at = 0;
        while (at < kParamCount && PyUnicode_CompareWithASCIIString(name, kParams[at]) != 0) ++at;
        if (at == kParamCount) {
            PyErr_Format(PyExc_TypeError, "'%S' is an invalid keyword argument for rect()", name);
            return false;
        }
        if (at < nargs) {
            PyErr_Format(PyExc_TypeError,
                         "argument for rect() given by name ('%s') and position (%zd)", kParams[at],
                         at + 1);
            return false;
        }
        out[static_cast<std::size_t>(at)] = args[nargs + k];
    }
    for (Py_ssize_t i = 0; i < kRequired; ++i) {
        if (!out[static_cast<std::size_t>(i)]) {
            PyErr_Format(PyExc_TypeError, "rect() missing required argument '%s' (pos %zd)",
                         kParams[i], i + 1);
            return false;
        }
    }
    return true;
}

// A float argument as PyArg_Parse's "d" reads it; `value` stays when absent.
bool float_arg(PyObject* arg, double& value) {
    if (!arg) return true;
    if (PyFloat_CheckExact(arg)) {
        value = PyFloat_AS_DOUBLE(arg);
        return true;
    }
    value = PyFloat_AsDouble(arg);
    return !(value == -1.0 && PyErr_Occurred());
}

Ref draw(PyObject* mod, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    std::array<PyObject*, kParamCount> arg;
    if (!parse(args, nargs, kwnames, arg)) return {};
    PyObject *surf = arg[0], *color = arg[1], *rect_value = arg[2];
    PyObject* border_color = arg[9] ? arg[9] : Py_None;
    double width = 0, border_radius = 0;
    double corner[4] = {-1, -1, -1, -1};  // top-left, top-right, bottom-left, bottom-right
    if (!float_arg(arg[3], width) || !float_arg(arg[4], border_radius)) return {};
    for (std::size_t i = 0; i < 4; ++i) {
        if (!float_arg(arg[5 + i], corner[i])) return {};
    }
    int blend = 1;
    if (arg[10]) {
        blend = PyObject_IsTrue(arg[10]);
        if (blend < 0) return {};
    }
    const State& state = *state_of(mod);
    if (!check_surface(state, surf)) return {};
    // Every conversion runs before the surface is locked: they may run the
    // caller's code, which may re-initialise the surface.
    const auto fill = colour_of(state, surf, color);
    if (!fill) return {};
    const auto area = area_of(state, rect_value);
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

PyObject* rect(PyObject* mod, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return draw(mod, args, nargs, kwnames).release();
}

}  // namespace zuvo::draw
