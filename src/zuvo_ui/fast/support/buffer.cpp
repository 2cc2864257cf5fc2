#include "buffer.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zuvo {
namespace {

// The element type named by a struct-module format string, as the dtype
// mismatch message describes it.
const char* describe_format(const char* format) {
    if (!format) return "'unsigned char'";  // no format means plain bytes
    while (*format && std::strchr("@=<>!", *format)) ++format;
    switch (*format) {
        case 'c': return "'char'";
        case 'b': return "'signed char'";
        case 'B': return "'unsigned char'";
        case 'h': return "'short'";
        case 'H': return "'unsigned short'";
        case 'i': return "'int'";
        case 'I': return "'unsigned int'";
        case 'l': return "'long'";
        case 'L': return "'unsigned long'";
        case 'q': return "'long long'";
        case 'Q': return "'unsigned long long'";
        case 'n': return "'Py_ssize_t'";
        case 'N': return "'size_t'";
        case 'e': return "'half'";
        case 'f': return "'float'";
        case 'd': return "'double'";
        case 'g': return "'long double'";
        case '?': return "'bool'";
        case 'O': return "Python object";
        case 'P': return "a pointer";
        case 'T': return "a struct";
        case 0: return "end";
        default: return "unparseable format string";
    }
}

bool is_uint8_format(const char* format) {
    if (!format) return true;
    while (*format && std::strchr("@=<>!", *format)) ++format;
    if (*format == '1') ++format;
    return format[0] == 'B' && format[1] == 0;
}

// The strides of a buffer's layout, derived from its shape when the exporter
// gave none (a C-contiguous buffer may omit them); false, with ValueError set,
// for a layout that no valid exporter gives.
bool checked_strides(const Py_buffer& b, Py_ssize_t* strides) {
    if (!b.shape) {
        PyErr_SetString(PyExc_ValueError, "Buffer has no shape");
        return false;
    }
    for (int axis = 0; axis < b.ndim; ++axis) {
        if (b.shape[axis] < 0) {
            PyErr_SetString(PyExc_ValueError, "Buffer has a negative dimension");
            return false;
        }
        if (b.suboffsets && b.suboffsets[axis] >= 0) {
            PyErr_SetString(PyExc_ValueError, "Buffer has indirect dimensions");
            return false;
        }
    }
    if (b.strides) {
        std::copy(b.strides, b.strides + b.ndim, strides);
        return true;
    }
    // Row-major from the last axis; the cells must then fill exactly `len` bytes.
    Py_ssize_t extent = b.itemsize;
    for (int axis = b.ndim - 1; axis >= 0; --axis) {
        strides[axis] = extent;
        if (b.shape[axis] != 0 && extent > PY_SSIZE_T_MAX / b.shape[axis]) extent = -1;
        if (extent < 0) break;
        extent *= b.shape[axis];
    }
    if (extent != b.len) {
        PyErr_SetString(PyExc_ValueError, "Buffer without strides does not match its length");
        return false;
    }
    return true;
}

}  // namespace

std::optional<ByteView> ByteView::acquire(Ref array, int ndim) {
    ByteView view;
    view.array_ = std::move(array);
    if (PyObject_GetBuffer(view.array_.get(), &view.buffer_,
                           PyBUF_WRITABLE | PyBUF_FORMAT | PyBUF_STRIDES) < 0) {
        return std::nullopt;
    }
    view.held_ = true;
    if (view.buffer_.ndim != ndim) {
        PyErr_Format(PyExc_ValueError, "Buffer has wrong number of dimensions (expected %d, got %d)",
                     ndim, view.buffer_.ndim);
        return std::nullopt;
    }
    if (!is_uint8_format(view.buffer_.format) || view.buffer_.itemsize != 1) {
        PyErr_Format(PyExc_ValueError, "Buffer dtype mismatch, expected %s%s%s but got %s", "'",
                     "npy_uint8", "'", describe_format(view.buffer_.format));
        return std::nullopt;
    }
    if (!checked_strides(view.buffer_, view.strides_)) return std::nullopt;
    view.data_ = static_cast<std::uint8_t*>(view.buffer_.buf);
    view.ndim_ = ndim;
    std::copy(view.buffer_.shape, view.buffer_.shape + ndim, view.shape_);
    return view;
}

ByteView ByteView::adopt(Ref array, std::uint8_t* data, int ndim, const Py_ssize_t* shape,
                         const Py_ssize_t* strides) noexcept {
    ByteView view;
    view.array_ = std::move(array);
    view.data_ = data;
    view.ndim_ = ndim;
    std::copy(shape, shape + ndim, view.shape_);
    std::copy(strides, strides + ndim, view.strides_);
    return view;
}

ByteView::ByteView(ByteView&& other) noexcept
    : array_(std::move(other.array_)),
      buffer_(other.buffer_),
      held_(std::exchange(other.held_, false)),
      data_(other.data_),
      ndim_(other.ndim_) {
    std::copy(other.shape_, other.shape_ + 3, shape_);
    std::copy(other.strides_, other.strides_ + 3, strides_);
}

ByteView::~ByteView() {
    if (held_) PyBuffer_Release(&buffer_);
}

Plane ByteView::plane(int channel) const noexcept {
    Plane p;
    // A view without cells may point anywhere (NumPy gives a zero-sized
    // surface's channels small offsets from null): its plane keeps that
    // pointer as it is, and no kernel touches a cell of it.
    const bool has_cells = shape(0) != 0 && shape(1) != 0 && (ndim_ != 3 || shape(2) > channel);
    p.base = data() + (ndim_ == 3 && has_cells ? channel * stride(2) : 0);
    p.width = static_cast<std::int32_t>(shape(0));
    p.height = static_cast<std::int32_t>(shape(1));
    p.x_stride = stride(0);
    p.y_stride = stride(1);
    return p;
}

bool ByteView::fits(std::int32_t width, std::int32_t height, const char* what) const {
    const bool colour = ndim_ == 3;
    if (shape(0) == width && shape(1) == height && (!colour || shape(2) >= 3)) return true;
    if (colour) {
        PyErr_Format(PyExc_ValueError,
                     "%s view is %zd x %zd x %zd, which does not match the surface size %d x %d",
                     what, shape(0), shape(1), shape(2), width, height);
    } else {
        PyErr_Format(PyExc_ValueError,
                     "%s view is %zd x %zd, which does not match the surface size %d x %d", what,
                     shape(0), shape(1), width, height);
    }
    return false;
}

}  // namespace zuvo
