#include "args.hpp"

namespace zuvo {
namespace {

// `missing` tells a call short of its required arguments from one with too
// many positional ones; `given` is then the index of the first one missing.
void raise_count(const char* name, std::size_t required, std::size_t n_params, Py_ssize_t given,
                 bool missing) {
    const char* bound = required == n_params ? "exactly" : (missing ? "at least" : "at most");
    const Py_ssize_t expected = static_cast<Py_ssize_t>(missing ? required : n_params);
    PyErr_Format(PyExc_TypeError, "%.200s() takes %.8s %zd positional argument%.1s (%zd given)",
                 name, bound, expected, expected == 1 ? "" : "s", given);
}

// Index of the parameter called `key`, or -1.  Interned names usually match
// by identity; the text comparison covers the rest.
Py_ssize_t find_param(PyObject* key, const char* const* params, std::size_t n_params) {
    for (std::size_t i = 0; i < n_params; ++i) {
        if (PyUnicode_CompareWithASCIIString(key, params[i]) == 0) {
            return static_cast<Py_ssize_t>(i);
        }
    }
    return -1;
}

}  // namespace

namespace detail {

bool parse_args(const char* name, const char* const* params, std::size_t n_params,
                std::size_t required, PyObject* const* args, Py_ssize_t nargs,
                PyObject* kwnames, PyObject** out) {
    if (nargs > static_cast<Py_ssize_t>(n_params)) {
        raise_count(name, required, n_params, nargs, false);
        return false;
    }
    for (std::size_t i = 0; i < n_params; ++i) {
        out[i] = i < static_cast<std::size_t>(nargs) ? args[i] : nullptr;
    }
    const Py_ssize_t n_kw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t k = 0; k < n_kw; ++k) {
        PyObject* key = PyTuple_GET_ITEM(kwnames, k);
        if (!PyUnicode_Check(key)) {
            PyErr_Format(PyExc_TypeError, "%.200s() keywords must be strings", name);
            return false;
        }
        const Py_ssize_t index = find_param(key, params, n_params);
        if (index < 0) {
            PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", name,
                         key);
            return false;
        }
        if (out[index] != nullptr) {
            PyErr_Format(PyExc_TypeError, "%s() got multiple values for keyword argument '%U'",
                         name, key);
            return false;
        }
        out[index] = args[nargs + k];
    }
    for (std::size_t i = 0; i < required; ++i) {
        if (out[i] == nullptr) {
            raise_count(name, required, n_params, static_cast<Py_ssize_t>(i), true);
            return false;
        }
    }
    return true;
}

}  // namespace detail

void raise_arg_type(const char* param, PyTypeObject* expected, PyObject* got) {
    PyErr_Format(PyExc_TypeError, "Argument '%.200s' has incorrect type (expected %.200s, got %.200s)",
                 param, expected->tp_name, Py_TYPE(got)->tp_name);
}

bool check_not_none(PyObject* obj, const char* param) {
    if (obj != Py_None) return true;
    PyErr_Format(PyExc_TypeError, "Argument '%.200s' must not be None", param);
    return false;
}

}  // namespace zuvo
