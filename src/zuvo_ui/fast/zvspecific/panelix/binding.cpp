#include "binding.hpp"

#include "../../support/ref.hpp"
#include "../../zvhost/names.hpp"

namespace zuvo::panelix {

PyTypeObject* import_type(const TypeImport& spec) {
    const Ref module = Ref::steal(PyImport_ImportModule(spec.module));
    if (!module) return nullptr;
    Ref found = Ref::steal(PyObject_GetAttrString(module.get(), spec.name));
    if (!found) return nullptr;
    if (!PyType_Check(found.get())) {
        PyErr_Format(PyExc_TypeError, "%.200s.%.200s is not a type object", spec.module,
                     spec.name);
        return nullptr;
    }
    auto* type = reinterpret_cast<PyTypeObject*>(found.get());
    const Py_ssize_t basic = type->tp_basicsize;
    Py_ssize_t item = type->tp_itemsize;
    // Variable-sized instances are padded to pointer alignment at least.
    if (item > 0 && item < 8) item = 8;
    const auto expected = static_cast<Py_ssize_t>(spec.expected_size);
    if (basic + item < expected) {
        PyErr_Format(PyExc_ValueError,
                     "%.200s.%.200s size changed, may indicate binary incompatibility. Expected "
                     "%zd from C header, got %zd from PyObject",
                     spec.module, spec.name, expected, basic + item);
        return nullptr;
    }
    if (spec.larger == Larger::warn && basic > expected) {
        char message[640];
        PyOS_snprintf(message, sizeof message,
                      "%.200s.%.200s size changed, may indicate binary incompatibility. Expected "
                      "%zd from C header, got %zd from PyObject",
                      spec.module, spec.name, expected, basic);
        if (PyErr_WarnEx(PyExc_RuntimeWarning, message, 0) < 0) return nullptr;
    }
    return reinterpret_cast<PyTypeObject*>(found.release());
}

void* import_vtable(PyTypeObject* type) {
    PyObject* type_dict = type->tp_dict;
    if (!type_dict) {
        PyErr_SetString(PyExc_TypeError, "type has no dictionary");
        return nullptr;
    }
    const Ref key = Ref::steal(PyUnicode_FromString(zvhost::kVtableKey));
    if (!key) return nullptr;
    // The dictionary lookup's own KeyError is the error for a missing table.
    const Ref capsule = Ref::steal(PyObject_GetItem(type_dict, key.get()));
    if (!capsule) return nullptr;
    // A capsule whose pointer cannot be read (null, or a named or foreign object) holds no table.
    if (!PyCapsule_IsValid(capsule.get(), nullptr)) {
        PyErr_SetString(PyExc_RuntimeError, "invalid vtable found for imported type");
        return nullptr;
    }
    return PyCapsule_GetPointer(capsule.get(), nullptr);
}

void* import_function(const char* module_name, const char* name, const char* signature) {
    const Ref module = Ref::steal(PyImport_ImportModule(module_name));
    if (!module) return nullptr;
    const Ref table = Ref::steal(PyObject_GetAttrString(module.get(), zvhost::kCapiKey));
    if (!table) return nullptr;
    const Ref entry = Ref::steal(PyMapping_GetItemString(table.get(), name));
    if (!entry) {
        if (!PyErr_ExceptionMatches(PyExc_KeyError)) return nullptr;
        PyErr_Clear();
        PyErr_Format(PyExc_ImportError, "%.200s does not export expected C %.8s %.200s",
                     module_name, "function", name);
        return nullptr;
    }
    if (!PyCapsule_IsValid(entry.get(), signature)) {
        const char* got = PyCapsule_CheckExact(entry.get()) ? PyCapsule_GetName(entry.get())
                                                            : nullptr;
        if (!got) {
            PyErr_Clear();
            got = "(null)";
        }
        PyErr_Format(PyExc_TypeError,
                     "C %.8s %.200s.%.200s has wrong signature (expected %.500s, got %.500s)",
                     "function", module_name, name, signature, got);
        return nullptr;
    }
    return PyCapsule_GetPointer(entry.get(), signature);
}

PyObject* import_name(const char* module_name, const char* name) {
    const Ref from_list = Ref::steal(Py_BuildValue("(s)", name));
    if (!from_list) return nullptr;
    const Ref module = Ref::steal(
        PyImport_ImportModuleLevel(module_name, nullptr, nullptr, from_list.get(), 0));
    if (!module) return nullptr;
    PyObject* value = PyObject_GetAttrString(module.get(), name);
    if (value || !PyErr_ExceptionMatches(PyExc_AttributeError)) return value;
    PyErr_Clear();
    const Ref qualified = Ref::steal(PyUnicode_FromFormat("%s.%s", module_name, name));
    if (!qualified) return nullptr;
    value = PyDict_GetItemWithError(PyImport_GetModuleDict(), qualified.get());
    if (value) return Py_NewRef(value);
    if (PyErr_Occurred()) return nullptr;
    const Ref text = Ref::steal(PyUnicode_FromString(name));
    if (text) PyErr_Format(PyExc_ImportError, "cannot import name %S", text.get());
    return nullptr;
}

}  // namespace zuvo::panelix
