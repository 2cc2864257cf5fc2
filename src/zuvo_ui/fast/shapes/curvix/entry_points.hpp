// The Python-visible functions of curvix (METH_FASTCALL | METH_KEYWORDS),
// each named as in Python, leading underscore included.
#pragma once

#include <Python.h>

namespace zuvo::curvix {

#define ZUVO_FASTCALL(name) \
    PyObject* name(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)

// Filled rounded rectangles.
ZUVO_FASTCALL(create_rounded_rect_surface);
ZUVO_FASTCALL(_get_cached_rounded_rect_surface);
ZUVO_FASTCALL(_create_rounded_rect_surface_optimized);

// Outlined rounded rectangles.
ZUVO_FASTCALL(create_outlined_rounded_rect_sdf);
ZUVO_FASTCALL(_get_cached_outlined_rounded_rect_sdf);
ZUVO_FASTCALL(_create_outlined_rounded_rect_sdf);

// In-place transforms.
ZUVO_FASTCALL(transform_into_rounded_rect);
ZUVO_FASTCALL(transform_into_outlined_rounded_rect);

#undef ZUVO_FASTCALL

}  // namespace zuvo::curvix
