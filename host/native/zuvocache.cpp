// Stand-in for zuvo_ui.fast.zuvocache.zuvocache: the toolkit's keyed cache.
#include "plain_type.hpp"

namespace {

using zuvo::zvhost::Cache;
using Type = standin::PlainType<Cache, &Cache::entries>;

PyObject* lookup(PyObject* self, PyObject* key) {
    PyObject* entries = reinterpret_cast<Cache*>(self)->entries;
    return PyDict_Check(entries) ? PyDict_GetItemWithError(entries, key) : nullptr;
}

zuvo::zvhost::CacheVTable vtable{lookup};
PyModuleDef definition = {PyModuleDef_HEAD_INIT, "zuvocache", nullptr, -1, nullptr,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_zuvocache() {
    if (!Type::ready("zuvo_ui.fast.zuvocache.zuvocache.Cache", &vtable)) return nullptr;
    return standin::single_type_module(&definition, &Type::type, "Cache");
}
