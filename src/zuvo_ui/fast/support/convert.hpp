// Conversions between Python objects and machine values, with the toolkit's
// error texts, and the checked float-to-integer conversions of the kernels.
#pragma once

#include <Python.h>

#include <cmath>
#include <cstdint>
#include <optional>

#include "numeric.hpp"

namespace zuvo {

// int32: an int as it is, anything else through its __int__ (a float truncates).
// "an integer is required", "__int__ returned non-int (type ...)",
// "value too large to convert to int".
std::optional<std::int32_t> to_int32(PyObject* obj);

// The same conversion to 0..255, with the npy_uint8 range errors.
std::optional<std::uint8_t> to_uint8(PyObject* obj);

// Python's int() (numeric strings parsed too), narrowed to int32.
std::optional<std::int32_t> python_int_to_int32(PyObject* obj);

// Python's float conversion (__float__, then __index__), narrowed to single precision.
std::optional<float> to_float(PyObject* obj);

// Python's float conversion, kept in double precision.
std::optional<double> to_double(PyObject* obj);

}  // namespace zuvo
