// Holding an exception aside while clean-up code runs.
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

}  // namespace zuvo
