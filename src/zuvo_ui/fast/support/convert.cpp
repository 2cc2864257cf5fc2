#include "convert.hpp"

#include "ref.hpp"

namespace zuvo {
namespace {

// The object as an int: itself when it is one, else the result of its __int__.
Ref as_int_object(PyObject* obj) {
    if (PyLong_Check(obj)) return Ref::borrow(obj);
    PyNumberMethods* nb = Py_TYPE(obj)->tp_as_number;
    Ref result;
    if (nb && nb->nb_int) result = Ref::steal(nb->nb_int(obj));
    if (!result) {
        if (!PyErr_Occurred()) PyErr_SetString(PyExc_TypeError, "an integer is required");
        return {};
    }
    if (PyLong_CheckExact(result.get())) return result;
    if (PyLong_Check(result.get())) {
        // As int() does: a strict int subclass is accepted with a warning.
        if (PyErr_WarnFormat(PyExc_DeprecationWarning, 1,
                             "__int__ returned non-int (type %.200s).  The ability to return an "
                             "instance of a strict subclass of int is deprecated, and may be "
                             "removed in a future version of Python.",
                             Py_TYPE(result.get())->tp_name) < 0) {
            return {};
        }
        return result;
    }
    PyErr_Format(PyExc_TypeError, "__int__ returned non-int (type %.200s)",
                 Py_TYPE(result.get())->tp_name);
    return {};
}

std::optional<std::int32_t> long_to_int32(PyObject* value) {
    int overflow = 0;
    const long v = PyLong_AsLongAndOverflow(value, &overflow);
    if (v == -1 && PyErr_Occurred()) return std::nullopt;
    if (overflow != 0 || v > INT32_MAX || v < INT32_MIN) {
        PyErr_SetString(PyExc_OverflowError, "value too large to convert to int");
        return std::nullopt;
    }
    return static_cast<std::int32_t>(v);
}

}  // namespace

std::optional<std::int32_t> to_int32(PyObject* obj) {
    const Ref value = as_int_object(obj);
    if (!value) return std::nullopt;
    return long_to_int32(value.get());
}

std::optional<std::uint8_t> to_uint8(PyObject* obj) {
    const Ref value = as_int_object(obj);
    if (!value) return std::nullopt;
    int overflow = 0;
    const long v = PyLong_AsLongAndOverflow(value.get(), &overflow);
    if (v == -1 && PyErr_Occurred()) return std::nullopt;
    if (overflow < 0 || (overflow == 0 && v < 0)) {
        PyErr_SetString(PyExc_OverflowError, "can't convert negative value to npy_uint8");
        return std::nullopt;
    }
    if (overflow > 0 || v > 255) {
        PyErr_SetString(PyExc_OverflowError, "value too large to convert to npy_uint8");
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(v);
}

std::optional<std::int32_t> python_int_to_int32(PyObject* obj) {
    if (PyLong_CheckExact(obj)) return long_to_int32(obj);
    const Ref value = Ref::steal(PyNumber_Long(obj));
    if (!value) return std::nullopt;
    return long_to_int32(value.get());
}

std::optional<double> to_double(PyObject* obj) {
    if (PyFloat_CheckExact(obj)) return PyFloat_AS_DOUBLE(obj);
    const double v = PyFloat_AsDouble(obj);
    if (v == -1.0 && PyErr_Occurred()) return std::nullopt;
    return v;
}

std::optional<float> to_float(PyObject* obj) {
    const auto v = to_double(obj);
    if (!v) return std::nullopt;
    return narrow_to_float(*v);
}

}  // namespace zuvo
