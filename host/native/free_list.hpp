// A few freed instances of one static type, kept for reuse, as the toolkit's
// small value types do: a vector or rectangle made per widget per frame then
// costs no allocator call.  Only exact instances go in (a subclass's instance
// has a different size and a heap type); fields are set by whoever takes one.
// Sanitizer builds keep nothing, so that a use after release is still caught.
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>

namespace standin {

template <typename Instance>
class FreeList {
public:
    explicit FreeList(PyTypeObject* type) : type_(type) {}

    Instance* take() {
        if (count_ == 0) return reinterpret_cast<Instance*>(type_->tp_alloc(type_, 0));
        return reinterpret_cast<Instance*>(PyObject_Init(slots_[--count_], type_));
    }

    // tp_dealloc of the type.
    void release(PyObject* obj) {
        if (Py_TYPE(obj) == type_ && count_ < slots_.size()) {
            slots_[count_++] = obj;
            return;
        }
        Py_TYPE(obj)->tp_free(obj);
    }

private:
#ifdef ZUVO_SANITIZE
    static constexpr std::size_t kCapacity = 0;
#else
    static constexpr std::size_t kCapacity = 64;
#endif
    PyTypeObject* type_;
    std::array<PyObject*, kCapacity> slots_{};
    std::size_t count_ = 0;
};

}  // namespace standin
