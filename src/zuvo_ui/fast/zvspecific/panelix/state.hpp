// What the panelix entry points share: the host types, method tables and
// native functions bound at import, interned names, and the module namespace.
#pragma once

#include <Python.h>

#include "../../support/errors.hpp"
#include "../../support/module.hpp"
#include "../../support/ref.hpp"
#include "../../zvhost/types.hpp"

namespace zuvo::panelix {

inline constexpr const char* kModuleName = "zuvo_ui.fast.zvspecific.panelix";
inline constexpr const char* kSource = "zuvo_ui/fast/zvspecific/panelix";

struct Host {
    PyTypeObject* vector2;
    PyTypeObject* rect;
    PyTypeObject* cobject;
    PyTypeObject* render_texture;
    zvhost::ZvVector2VTable* vector2_table;
    zvhost::ZvRectVTable* rect_table;
    zvhost::ZuvoCobjectVTable* cobject_table;
    zvhost::ZvRenderTextureVTable* render_texture_table;
    zvhost::GetItemAbsCoords get_item_abs_coords;
    zvhost::BeginTextureMode begin_texture_mode;
    zvhost::EndBlendMode end_blend_mode;
    zvhost::EndTextureMode end_texture_mode;
    zvhost::BeginBlendMode begin_blend_mode;
    zvhost::ClearBackgroundBlank c_clear_background_blank;
    PyObject* white_color;  // a ZvRect, all four fields 255
    PyObject* origin;       // the tuple (0, 0)
};

struct Names {
    PyObject* surface;  // "_surface"
    PyObject* absolute_coordinates;
    PyObject* layout;  // "_layout"
    PyObject* rl_predraw_widgets;
    PyObject* sdl_texture;  // "_sdl_texture"
    PyObject* renderer;
    PyObject* target;
    PyObject* blit;
    PyObject* get_rect;
    PyObject* window;        // "_window"
    PyObject* window_renderer;  // "_renderer"
    PyObject* tuple_absolute_coordinates;
    PyObject* fill;
    PyObject* Blank;
    PyObject* Color;
    PyObject* zuvo_state;
};

// Set by the execute step and kept for the life of the process.
extern Host host;
extern Names names;
extern PyObject* module_dict;

bool init_names();

// Forgets what a failed execute step had bound, so a later import starts over.
void clear_host();

// A module global, looked up in the module namespace and then the builtins.
Ref module_global(PyObject* name);

// "Cannot convert <type of obj> to <type>".
void raise_cannot_convert(PyObject* obj, PyTypeObject* type);

// None or an instance of `type` (subclasses included); otherwise raises.
inline bool none_or(PyObject* obj, PyTypeObject* type) {
    if (obj == Py_None || PyObject_TypeCheck(obj, type)) return true;
    raise_cannot_convert(obj, type);
    return false;
}

// An instance of `type`; None and anything else raise.
inline bool instance_of(PyObject* obj, PyTypeObject* type) {
    if (PyObject_TypeCheck(obj, type)) return true;
    raise_cannot_convert(obj, type);
    return false;
}

// Adds the traceback entry `qualname` when the call failed; passes its result on.
inline PyObject* traced(Ref result, const char* qualname) {
    return zuvo::traced(std::move(result), qualname, kSource);
}
inline bool traced(bool ok, const char* qualname) { return zuvo::traced(ok, qualname, kSource); }

template <typename T>
T* as(PyObject* obj) {
    return reinterpret_cast<T*>(obj);
}

inline Ref owned(void* obj) { return Ref::steal(static_cast<PyObject*>(obj)); }

}  // namespace zuvo::panelix
