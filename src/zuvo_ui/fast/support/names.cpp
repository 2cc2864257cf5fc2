#include "names.hpp"

namespace zuvo {

bool intern_names(std::initializer_list<InternedName> names) {
    for (const InternedName& n : names) {
        if (*n.slot) continue;
        *n.slot = PyUnicode_InternFromString(n.text);
        if (!*n.slot) return false;
    }
    return true;
}

Ref lookup_global(PyObject* module_dict, PyObject* name) {
    PyObject* value = PyDict_GetItemWithError(module_dict, name);
    if (!value && !PyErr_Occurred()) value = PyDict_GetItemWithError(PyEval_GetBuiltins(), name);
    if (value) return Ref::borrow(value);
    if (!PyErr_Occurred()) PyErr_Format(PyExc_NameError, "name '%U' is not defined", name);
    return {};
}

}  // namespace zuvo
