// Holding an exception aside while clean-up code runs; checking for one cheaply.
#pragma once

#include <Python.h>

namespace zuvo {

// An exception taken out of the way to be raised later, once whatever must
// report first has had its chance; dropped if never raised.
class HeldError {
public:
    HeldError() noexcept = default;
    HeldError(HeldError&& other) noexcept : value_(other.value_) { other.value_ = nullptr; }
    HeldError& operator=(HeldError&&) = delete;
    HeldError(const HeldError&) = delete;
    ~HeldError() { Py_XDECREF(value_); }

    // Takes the exception being raised (none: holds nothing).
    [[nodiscard]] static HeldError take() noexcept;

    explicit operator bool() const noexcept { return value_ != nullptr; }

    // Makes the held exception the one being raised again; holds nothing after.
    void raise() noexcept;

    // Prints the held exception with its traceback to sys.stderr.
    void display() const noexcept;

private:
    PyObject* value_ = nullptr;  // the normalised exception, its traceback attached
};

// Takes the exception being raised out of the way while clean-up code runs,
// and puts it back when the scope ends, whatever the clean-up left behind.
class SavedError {
public:
    SavedError() noexcept : held_(HeldError::take()) {}
    ~SavedError() {
        PyErr_Clear();
        held_.raise();
    }
    SavedError(const SavedError&) = delete;
    SavedError& operator=(const SavedError&) = delete;

    // Prints the saved exception with its traceback to sys.stderr.
    void display() const noexcept { held_.display(); }

private:
    HeldError held_;
};

// PyErr_Occurred() on a thread state looked up once.  For host calls that
// report failure only by leaving an exception pending, checked after each:
// with a shared libpython every PyErr_Occurred() looks the thread state up
// again through a thread-local read in the dynamic linker.
class PendingError {
public:
    PendingError() noexcept : state_(PyThreadState_Get()) {}

    [[nodiscard]] bool occurred() const noexcept {
#if PY_VERSION_HEX >= 0x030C0000
        return state_->current_exception != nullptr;
#else
        return state_->curexc_type != nullptr;
#endif
    }

private:
    PyThreadState* state_;
};

}  // namespace zuvo
