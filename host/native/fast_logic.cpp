// Stand-in for zuvo_ui.fast.logic.fast_logic: the layout arithmetic.
#include "common.hpp"

namespace {

using namespace zuvo::zvhost;
using zuvo::Ref;

PyTypeObject* widget_type = nullptr;
PyTypeObject* vector_type = nullptr;
ZvVector2VTable* vector_vtable = nullptr;

const ZvVector2* vector_field(ZvVector2* v, const char* field) {
    if (reinterpret_cast<PyObject*>(v) != Py_None) return v;
    PyErr_Format(PyExc_TypeError, "widget has no %s", field);
    return nullptr;
}

// A child sits at its position inside the container, moved by the container's scroll.
ZvVector2* get_item_abs_coords(ZuvoCobject* container, ZuvoCobject* child) {
    if (!standin::record("get_item_abs_coords", {reinterpret_cast<PyObject*>(container),
                                                 reinterpret_cast<PyObject*>(child)}))
        return nullptr;
    const ZvVector2* origin = vector_field(container->absolute_coordinates, "absolute_coordinates");
    if (!origin) return nullptr;
    const ZvVector2* scroll = container->scroll;
    const ZvVector2* position = child->coordinates;
    return vector_vtable->create(origin->data.x + position->data.x - scroll->data.x,
                                 origin->data.y + position->data.y - scroll->data.y);
}

PyObject* py_get_item_abs_coords(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 2) {
        PyErr_SetString(PyExc_TypeError, "get_item_abs_coords(container, child)");
        return nullptr;
    }
    for (Py_ssize_t i = 0; i < 2; ++i) {
        if (!PyObject_TypeCheck(args[i], widget_type)) {
            standin::raise_cannot_convert(args[i], widget_type);
            return nullptr;
        }
    }
    return reinterpret_cast<PyObject*>(get_item_abs_coords(
        reinterpret_cast<ZuvoCobject*>(args[0]), reinterpret_cast<ZuvoCobject*>(args[1])));
}

PyMethodDef functions[] = {
    {"get_item_abs_coords", reinterpret_cast<PyCFunction>(
                                reinterpret_cast<void (*)()>(py_get_item_abs_coords)),
     METH_FASTCALL, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "fast_logic", nullptr, -1, functions,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_fast_logic() {
    void* table = nullptr;
    if (!standin::import_type(kCobjectModule, "ZuvoCobject", &widget_type, &table)) return nullptr;
    if (!standin::import_type(kVector2Module, "ZvVector2", &vector_type, &table)) return nullptr;
    vector_vtable = static_cast<ZvVector2VTable*>(table);
    Ref module = Ref::steal(PyModule_Create(&definition));
    if (!module) return nullptr;
    GetItemAbsCoords function = get_item_abs_coords;
    if (!standin::export_function(module.get(), "get_item_abs_coords",
                                  reinterpret_cast<void*>(function),
                                  signature::get_item_abs_coords))
        return nullptr;
    return module.release();
}
