// Writable, strided views of 8-bit pixel buffers, and a scoped release of the
// interpreter lock.
#pragma once

#include <Python.h>

#include <cstdint>
#include <optional>

#include "plane.hpp"
#include "ref.hpp"

namespace zuvo {

// Owns a Python object (a pygame pixel array) and the buffer taken from it.
// Destroying the view releases the buffer and then the object, which unlocks
// the surface.  Must be destroyed with the interpreter lock held.
class ByteView {
public:
    // Takes a writable strided buffer of `ndim` (2 or 3) dimensions of unsigned
    // 8-bit cells from `array`; raises ValueError on a wrong dimension count or
    // type, and on a layout no exporter may give (no shape, a negative extent,
    // indirect dimensions).  A buffer without strides is C-contiguous: its
    // strides are derived from its shape.
    static std::optional<ByteView> acquire(Ref array, int ndim);

    // The layout of `array`, read by the caller from the object itself (a
    // NumPy array of writable unsigned bytes): no buffer is taken, and
    // `array` is held until the view goes.
    static ByteView adopt(Ref array, std::uint8_t* data, int ndim, const Py_ssize_t* shape,
                          const Py_ssize_t* strides) noexcept;

    ByteView(ByteView&& other) noexcept;
    ByteView& operator=(ByteView&&) = delete;
    ByteView(const ByteView&) = delete;
    ~ByteView();

    int ndim() const noexcept { return ndim_; }
    Py_ssize_t shape(int axis) const noexcept { return shape_[axis]; }
    Py_ssize_t stride(int axis) const noexcept { return strides_[axis]; }
    std::uint8_t* data() const noexcept { return data_; }
    // The object whose memory the cells are: the buffer's exporter, or the
    // array itself when its layout was read directly.
    PyObject* exporter() const noexcept { return held_ && buffer_.obj ? buffer_.obj : array_.get(); }

    // The plane of channel `channel` (third axis) of a 3-d view, or the plane
    // of a 2-d view.  Call only after `fits` said yes.
    Plane plane(int channel = 0) const noexcept;

    // True when the view covers exactly `width` x `height` pixels (and, for a
    // colour view, at least three channels); otherwise raises ValueError
    // naming `what`, so that no loop bound can leave the buffer.
    bool fits(std::int32_t width, std::int32_t height, const char* what) const;

private:
    ByteView() = default;
    Ref array_;
    Py_buffer buffer_{};
    bool held_ = false;  // buffer_ was taken and must be released
    std::uint8_t* data_ = nullptr;
    int ndim_ = 0;
    Py_ssize_t shape_[3] = {};
    Py_ssize_t strides_[3] = {};
};

// Releases the interpreter lock for the lifetime of the object.
class ReleaseGil {
public:
    ReleaseGil() noexcept : state_(PyEval_SaveThread()) {}
    ~ReleaseGil() { PyEval_RestoreThread(state_); }
    ReleaseGil(const ReleaseGil&) = delete;
    ReleaseGil& operator=(const ReleaseGil&) = delete;

private:
    PyThreadState* state_;
};

}  // namespace zuvo
