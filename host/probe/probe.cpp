// Test-only access to the support layer's checks, so that tests can exercise
// paths a normal import on the reference interpreter never takes.
#include <Python.h>

#include "../../src/zuvo_ui/fast/support/module.hpp"

namespace {

// warn_on_version_mismatch(name, built_major, built_minor, run_major, run_minor)
PyObject* warn_on_version_mismatch(PyObject*, PyObject* args) {
    const char* name;
    int built_major, built_minor, run_major, run_minor;
    if (!PyArg_ParseTuple(args, "siiii", &name, &built_major, &built_minor, &run_major,
                          &run_minor)) {
        return nullptr;
    }
    if (zuvo::warn_on_version_mismatch(name, built_major, built_minor, run_major, run_minor) < 0)
        return nullptr;
    Py_RETURN_NONE;
}

PyMethodDef methods[] = {
    {"warn_on_version_mismatch", warn_on_version_mismatch, METH_VARARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "_probe", nullptr, 0, methods,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__probe() { return PyModuleDef_Init(&definition); }
