// The in-place corner and outline transforms (being built: not yet available).
#include "entry_points.hpp"

namespace zuvo::curvix {

PyObject* transform_into_rounded_rect(PyObject*, PyObject* const*, Py_ssize_t, PyObject*) {
    PyErr_SetString(PyExc_NotImplementedError, "transform_into_rounded_rect");
    return nullptr;
}

PyObject* transform_into_outlined_rounded_rect(PyObject*, PyObject* const*, Py_ssize_t,
                                               PyObject*) {
    PyErr_SetString(PyExc_NotImplementedError, "transform_into_outlined_rounded_rect");
    return nullptr;
}

}  // namespace zuvo::curvix
