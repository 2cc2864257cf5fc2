// Stand-in for zuvo_ui.fast.zvrendertex.zv_render_tex: raylib render textures.
// Blits are recorded; their arguments are checked against the native
// signature so that a caller passing the wrong objects is caught.  While
// zuvo_standin.real_raylib is enabled, a texture made with a size owns a
// raylib render texture of that size, and blits draw it.

// Python.h first: structmember.h needs it, and CPython 3.11 does not include it for you.
#include <Python.h>
#include <structmember.h>

#include <climits>
#include <cstddef>

#include "common.hpp"
#include "real_raylib.hpp"

namespace {

using namespace zuvo::zvhost;
using zuvo::Ref;

PyTypeObject texture_type = {PyVarObject_HEAD_INIT(nullptr, 0)};
ZvRenderTextureVTable vtable;
PyTypeObject* vector_type = nullptr;
PyTypeObject* rect_type = nullptr;
std::uint32_t next_id = 1;
standin::real::Bridge* bridge = nullptr;  // set at import

// A tint channel from the colour rectangle's float: rounded, clamped to a byte.
unsigned char channel(float value) {
    if (!(value > 0.0f)) return 0;  // NaN too
    if (value >= 255.0f) return 255;
    return static_cast<unsigned char>(value + 0.5f);
}

// What the toolkit's blit does with raylib: `source`'s texture drawn whole
// at `position` (the origin when None) into raylib's current target, tinted
// by `color`; turned upside down when `flip_y` is set, since raylib keeps a
// render texture's rows bottom up; with `blend_mode` for this one draw unless
// it is negative, which keeps the blend mode in force.
void draw_through_raylib(ZvRenderTexture* source, ZvVector2* position, int blend_mode, int flip_y,
                         ZvRect* color) {
    using namespace standin::real;
    const Functions* rl = bridge->functions;
    if (!rl) return;
    const RenderTexture* found = bridge->texture_of(reinterpret_cast<PyObject*>(source));
    if (!found) return;  // a texture made without a size, or before raylib was enabled
    const Texture& texture = found->texture;
    const auto height = static_cast<float>(texture.height);
    const Rectangle whole{0.0f, 0.0f, static_cast<float>(texture.width), flip_y ? -height : height};
    Vector2 at{0.0f, 0.0f};
    if (reinterpret_cast<PyObject*>(position) != Py_None)
        at = {static_cast<float>(position->data.x), static_cast<float>(position->data.y)};
    const Color tint{channel(color->x), channel(color->y), channel(color->w), channel(color->h)};
    if (blend_mode < 0) {
        rl->DrawTextureRec(texture, whole, at, tint);
        return;
    }
    rl->BeginBlendMode(blend_mode);
    rl->DrawTextureRec(texture, whole, at, tint);
    rl->BeginBlendMode(bridge->blend_mode);
}

bool check_exact_kind(PyObject* obj, PyTypeObject* type) {
    if (PyObject_TypeCheck(obj, type)) return true;
    standin::raise_cannot_convert(obj, type);
    return false;
}

void c_fast_zvblit(ZvRenderTexture* self, ZvRenderTexture* source, ZvVector2* position,
                   int blend_mode, int flip_y, ZvRect* color) {
    auto* src = reinterpret_cast<PyObject*>(source);
    auto* pos = reinterpret_cast<PyObject*>(position);
    auto* col = reinterpret_cast<PyObject*>(color);
    if (!check_exact_kind(src, &texture_type) || !standin::check_optional(pos, vector_type) ||
        !check_exact_kind(col, rect_type)) {
        return;
    }
    if (standin::recording()) {
        const Ref blend = Ref::steal(PyLong_FromLong(blend_mode));
        const Ref flip = Ref::steal(PyLong_FromLong(flip_y));
        if (!blend || !flip) return;
        if (!standin::record("c_fast_zvblit", {reinterpret_cast<PyObject*>(self), src, pos,
                                               blend.get(), flip.get(), col}))
            return;
    }
    draw_through_raylib(source, position, blend_mode, flip_y, color);
}

// The same blit for Python callers: texture.c_fast_zvblit(source, position,
// blend_mode, flip_y, color).
PyObject* py_c_fast_zvblit(PyObject* self, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 5) {
        PyErr_SetString(PyExc_TypeError,
                        "c_fast_zvblit(source, position, blend_mode, flip_y, color)");
        return nullptr;
    }
    int modes[2] = {};
    for (int i = 0; i < 2; ++i) {
        const long value = PyLong_AsLong(args[2 + i]);
        if (value == -1 && PyErr_Occurred()) return nullptr;
        if (value < INT_MIN || value > INT_MAX) {
            PyErr_SetString(PyExc_OverflowError, "c_fast_zvblit mode out of range");
            return nullptr;
        }
        modes[i] = static_cast<int>(value);
    }
    c_fast_zvblit(reinterpret_cast<ZvRenderTexture*>(self),
                  reinterpret_cast<ZvRenderTexture*>(args[0]),
                  reinterpret_cast<ZvVector2*>(args[1]), modes[0], modes[1],
                  reinterpret_cast<ZvRect*>(args[4]));
    if (PyErr_Occurred()) return nullptr;
    Py_RETURN_NONE;
}

PyMethodDef methods[] = {
    {"c_fast_zvblit",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(py_c_fast_zvblit)),
     METH_FASTCALL, "Draws `source` at `position` (recorded; drawn while raylib is enabled)."},
    {nullptr, nullptr, 0, nullptr},
};

PyObject* texture_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    static const char* keywords[] = {"width", "height", "name", nullptr};
    int width = 0, height = 0;
    PyObject* name = Py_None;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|iiO", const_cast<char**>(keywords), &width,
                                     &height, &name))
        return nullptr;
    auto* t = reinterpret_cast<ZvRenderTexture*>(type->tp_alloc(type, 0));
    if (!t) return nullptr;
    t->vtab = &vtable;
    t->id = next_id++;
    t->width = width;
    t->height = height;
    t->name = Py_NewRef(name);
    Ref texture = Ref::steal(reinterpret_cast<PyObject*>(t));
    if (bridge->functions && width > 0 && height > 0 &&
        !bridge->load(texture.get(), width, height))
        return nullptr;
    return texture.release();
}

void texture_dealloc(PyObject* self) {
    bridge->unload(self);
    Py_CLEAR(reinterpret_cast<ZvRenderTexture*>(self)->name);
    Py_TYPE(self)->tp_free(self);
}

PyObject* texture_repr(PyObject* self) {
    const auto* t = reinterpret_cast<ZvRenderTexture*>(self);
    return PyUnicode_FromFormat("<ZvRenderTexture %R %dx%d>", t->name, t->width, t->height);
}

PyMemberDef members[] = {
    {"id", T_UINT, offsetof(ZvRenderTexture, id), READONLY, nullptr},
    {"width", T_INT, offsetof(ZvRenderTexture, width), READONLY, nullptr},
    {"height", T_INT, offsetof(ZvRenderTexture, height), READONLY, nullptr},
    {"name", T_OBJECT, offsetof(ZvRenderTexture, name), READONLY, nullptr},
    {nullptr, 0, 0, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "zv_render_tex", nullptr, -1, nullptr,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_zv_render_tex() {
    bridge = standin::real::import_bridge();
    if (!bridge) return nullptr;
    void* table = nullptr;
    if (!standin::import_type(kVector2Module, "ZvVector2", &vector_type, &table)) return nullptr;
    if (!standin::import_type(kRectModule, "ZvRect", &rect_type, &table)) return nullptr;
    vtable.c_fast_zvblit = c_fast_zvblit;
    texture_type.tp_name = "zuvo_ui.fast.zvrendertex.zv_render_tex.ZvRenderTexture";
    texture_type.tp_basicsize = sizeof(ZvRenderTexture);
    texture_type.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    texture_type.tp_new = texture_new;
    texture_type.tp_dealloc = texture_dealloc;
    texture_type.tp_repr = texture_repr;
    texture_type.tp_members = members;
    texture_type.tp_methods = methods;
    if (!standin::ready_with_vtable(&texture_type, &vtable)) return nullptr;
    Ref module = Ref::steal(PyModule_Create(&definition));
    if (!module || !standin::add_type(module.get(), &texture_type, "ZvRenderTexture"))
        return nullptr;
    return module.release();
}
