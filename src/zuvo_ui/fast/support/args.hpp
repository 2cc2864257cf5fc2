// Argument parsing for METH_FASTCALL | METH_KEYWORDS functions, with the
// toolkit's own error texts.  Each function describes its parameters once, in a
// constexpr `Signature`, and `parse_args` produces every count and keyword error.
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>

namespace zuvo {

template <std::size_t N>
struct Signature {
    const char* name;      // short name used in the messages, e.g. "f"
    const char* qualname;  // traceback entry, e.g. "pkg.module.f"
    std::array<const char*, N> params;
    std::size_t required;  // parameters [required, N) are optional
};

template <std::size_t N>
Signature(const char*, const char*, std::array<const char*, N>, std::size_t) -> Signature<N>;

namespace detail {
bool parse_args(const char* name, const char* const* params, std::size_t n_params,
                std::size_t required, PyObject* const* args, Py_ssize_t nargs,
                PyObject* kwnames, PyObject** out);
}

// Fills `out` with borrowed references, in parameter order; an optional
// parameter not given is left null.  Returns false with an exception set.
template <std::size_t N>
bool parse_args(const Signature<N>& sig, PyObject* const* args, Py_ssize_t nargs,
                PyObject* kwnames, std::array<PyObject*, N>& out) {
    return detail::parse_args(sig.name, sig.params.data(), N, sig.required, args, nargs,
                              kwnames, out.data());
}

// The "incorrect type" error of an argument declared as an exact type.
void raise_arg_type(const char* param, PyTypeObject* expected, PyObject* got);

// An argument declared as an exact tuple (or list): that type or None passes.
inline bool check_exact_or_none(PyObject* obj, PyTypeObject* type, const char* param) {
    if (obj == Py_None || Py_IS_TYPE(obj, type)) return true;
    raise_arg_type(param, type, obj);
    return false;
}

// An argument declared as a native type: an instance (subclasses included) or None.
inline bool check_instance_or_none(PyObject* obj, PyTypeObject* type, const char* param) {
    if (obj == Py_None || PyObject_TypeCheck(obj, type)) return true;
    raise_arg_type(param, type, obj);
    return false;
}

// An argument declared not-None.
bool check_not_none(PyObject* obj, const char* param);

}  // namespace zuvo
