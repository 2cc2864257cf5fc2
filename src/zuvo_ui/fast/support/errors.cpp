#include "errors.hpp"

#include <utility>

namespace zuvo {

#if PY_VERSION_HEX >= 0x030C0000
HeldError HeldError::take() noexcept {
    HeldError held;
    held.value_ = PyErr_GetRaisedException();
    return held;
}

void HeldError::raise() noexcept {
    if (value_) PyErr_SetRaisedException(std::exchange(value_, nullptr));
}

void HeldError::display() const noexcept {
    if (value_) PyErr_DisplayException(value_);
}
#else
HeldError HeldError::take() noexcept {
    PyObject *type = nullptr, *value = nullptr, *tb = nullptr;
    PyErr_Fetch(&type, &value, &tb);
    PyErr_NormalizeException(&type, &value, &tb);
    if (tb && value) PyException_SetTraceback(value, tb);
    Py_XDECREF(type);
    Py_XDECREF(tb);
    HeldError held;
    held.value_ = value;
    return held;
}

void HeldError::raise() noexcept {
    if (!value_) return;
    PyObject* value = std::exchange(value_, nullptr);
    PyErr_Restore(Py_NewRef(reinterpret_cast<PyObject*>(Py_TYPE(value))), value,
                  PyException_GetTraceback(value));
}

void HeldError::display() const noexcept {
    if (!value_) return;
    PyObject* tb = PyException_GetTraceback(value_);
    PyErr_Display(reinterpret_cast<PyObject*>(Py_TYPE(value_)), value_, tb);
    Py_XDECREF(tb);
}
#endif

}  // namespace zuvo
