#include "state.hpp"

#include "../../support/module.hpp"

namespace zuvo::panelix {

Host host{};
Names names{};
PyObject* module_dict = nullptr;

bool init_names() {
    struct Entry {
        PyObject** slot;
        const char* text;
    };
    const Entry entries[] = {
        {&names.surface, "_surface"},
        {&names.absolute_coordinates, "absolute_coordinates"},
        {&names.layout, "_layout"},
        {&names.rl_predraw_widgets, "_rl_predraw_widgets"},
        {&names.sdl_texture, "_sdl_texture"},
        {&names.renderer, "renderer"},
        {&names.target, "target"},
        {&names.blit, "blit"},
        {&names.get_rect, "get_rect"},
        {&names.window, "_window"},
        {&names.window_renderer, "_renderer"},
        {&names.tuple_absolute_coordinates, "_tuple_absolute_coordinates"},
        {&names.fill, "fill"},
        {&names.Blank, "Blank"},
        {&names.Color, "Color"},
        {&names.zuvo_state, "zuvo_state"},
    };
    for (const Entry& e : entries) {
        if (*e.slot) continue;
        *e.slot = PyUnicode_InternFromString(e.text);
        if (!*e.slot) return false;
    }
    return true;
}

void clear_host() {
    Py_CLEAR(host.vector2);
    Py_CLEAR(host.rect);
    Py_CLEAR(host.cobject);
    Py_CLEAR(host.render_texture);
    Py_CLEAR(host.white_color);
    Py_CLEAR(host.origin);
    host = Host{};
    module_dict = nullptr;
}

Ref module_global(PyObject* name) {
    PyObject* value = PyDict_GetItemWithError(module_dict, name);
    if (!value && !PyErr_Occurred()) value = PyDict_GetItemWithError(PyEval_GetBuiltins(), name);
    if (value) return Ref::borrow(value);
    if (!PyErr_Occurred()) PyErr_Format(PyExc_NameError, "name '%U' is not defined", name);
    return {};
}

void raise_cannot_convert(PyObject* obj, PyTypeObject* type) {
    PyErr_Format(PyExc_TypeError, "Cannot convert %.200s to %.200s", Py_TYPE(obj)->tp_name,
                 type->tp_name);
}

#if PY_VERSION_HEX >= 0x030C0000
SavedError::SavedError() noexcept : value_(PyErr_GetRaisedException()) {}
SavedError::~SavedError() {
    PyErr_Clear();
    PyErr_SetRaisedException(value_);
}
void SavedError::display() const noexcept { PyErr_DisplayException(value_); }
#else
SavedError::SavedError() noexcept {
    PyErr_Fetch(&type_, &value_, &tb_);
    PyErr_NormalizeException(&type_, &value_, &tb_);
    if (tb_ && value_) PyException_SetTraceback(value_, tb_);
}
SavedError::~SavedError() {
    PyErr_Clear();
    PyErr_Restore(type_, value_, tb_);
}
void SavedError::display() const noexcept { PyErr_Display(type_, value_, tb_); }
#endif

PyObject* traced(Ref result, const char* qualname) {
    if (!result) add_traceback(qualname, kSource);
    return result.release();
}

bool traced(bool ok, const char* qualname) {
    if (!ok) add_traceback(qualname, kSource);
    return ok;
}

}  // namespace zuvo::panelix
