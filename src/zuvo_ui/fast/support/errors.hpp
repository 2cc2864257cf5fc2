// Holding an exception aside while clean-up code runs; checking for one cheaply.
#pragma once

#include <Python.h>

namespace zuvo {

// Takes the exception being raised out of the way while clean-up code runs,
// and puts it back when the scope ends, whatever the clean-up left behind.
class SavedError {
public:
    SavedError() noexcept;
    ~SavedError();
    SavedError(const SavedError&) = delete;
    SavedError& operator=(const SavedError&) = delete;

    // Prints the saved exception with its traceback to sys.stderr.
    void display() const noexcept;

private:
#if PY_VERSION_HEX < 0x030C0000
    PyObject* type_ = nullptr;
    PyObject* tb_ = nullptr;
#endif
    PyObject* value_ = nullptr;
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
