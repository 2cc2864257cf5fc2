// The draw module's functions.
#pragma once

#include <Python.h>

namespace zuvo::draw {

PyObject* rect(PyObject* mod, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* shadow(PyObject* mod, PyObject* args, PyObject* kwargs);

}  // namespace zuvo::draw
