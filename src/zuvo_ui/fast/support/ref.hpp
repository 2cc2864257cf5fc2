// Owning and borrowed references to Python objects.
//
// `Ref` owns one strong reference and drops it when it goes out of scope, so an
// early return never leaks and nothing is released by hand.  It is made only
// through `Ref::steal` (take over a new reference, e.g. a call's result) or
// `Ref::borrow` (add a reference to a borrowed pointer).
#pragma once

#include <Python.h>

#include <utility>

namespace zuvo {

class Ref {
public:
    Ref() noexcept = default;
    Ref(const Ref& other) noexcept : p_(other.p_) { Py_XINCREF(p_); }
    Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    Ref& operator=(Ref other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~Ref() { Py_XDECREF(p_); }

    static Ref steal(PyObject* p) noexcept { return Ref(p); }
    static Ref borrow(PyObject* p) noexcept {
        Py_XINCREF(p);
        return Ref(p);
    }

    PyObject* get() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // Hands the reference to the caller (for returning it to the interpreter).
    [[nodiscard]] PyObject* release() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept { Py_CLEAR(p_); }

private:
    explicit Ref(PyObject* p) noexcept : p_(p) {}
    PyObject* p_ = nullptr;
};

// Calls `callable(args...)` with borrowed positional arguments; null on error.
template <typename... Args>
Ref call(PyObject* callable, Args... args) {
    PyObject* argv[] = {nullptr, args...};
    return Ref::steal(PyObject_Vectorcall(callable, argv + 1,
                                          sizeof...(Args) | PY_VECTORCALL_ARGUMENTS_OFFSET,
                                          nullptr));
}

// Calls the method `name` (an interned str) of `self` with borrowed arguments.
template <typename... Args>
Ref call_method(PyObject* self, PyObject* name, Args... args) {
    PyObject* argv[] = {self, args...};
    return Ref::steal(PyObject_VectorcallMethod(
        name, argv, (1 + sizeof...(Args)) | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
}

inline Ref getattr(PyObject* obj, PyObject* name) {
    return Ref::steal(PyObject_GetAttr(obj, name));
}

}  // namespace zuvo
