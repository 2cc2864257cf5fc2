// zuvo_standin._raylib: the raylib functions the stand-in draws with, and the
// render textures its ZvRenderTexture objects own.  Driven from Python by
// zuvo_standin.real_raylib; read by the wrapper modules through a capsule.
#include <cstdint>
#include <unordered_map>
#include <utility>

#include "common.hpp"
#include "real_raylib.hpp"

namespace {

using namespace standin::real;
using zuvo::Ref;

// Kept from use() until close(): render textures are unloaded with these even
// while drawing is switched off, as long as raylib's window (and so its GL
// context) is open.
Functions table;
bool have_table = false;
// Never destroyed: at process exit that would run after the interpreter is gone.
std::unordered_map<PyObject*, RenderTexture>& textures =
    *new std::unordered_map<PyObject*, RenderTexture>;

Bridge bridge{};

const RenderTexture* texture_of(PyObject* owner) {
    const auto found = textures.find(owner);
    return found == textures.end() ? nullptr : &found->second;
}

// raylib's LoadRenderTexture and UnloadRenderTexture bind the window's
// framebuffer when done, and leave draws batched for the target unflushed:
// around them, the batch goes to the target and the target is bound again.
template <typename Body>
void keeping_the_target(Body body) {
    if (bridge.has_target) table.BeginTextureMode(bridge.target);
    body();
    if (bridge.has_target) table.BeginTextureMode(bridge.target);
}

void unload(PyObject* owner) {
    const auto found = textures.find(owner);
    if (found == textures.end()) return;
    const RenderTexture texture = found->second;
    textures.erase(found);
    if (!have_table) return;
    // A texture can go at any time (a garbage collection inside a frame).
    keeping_the_target([&] { table.UnloadRenderTexture(texture); });
}

bool load(PyObject* owner, int width, int height) {
    if (!have_table) {
        PyErr_SetString(PyExc_RuntimeError, "raylib is not in use");
        return false;
    }
    unload(owner);
    RenderTexture texture{};
    keeping_the_target([&] { texture = table.LoadRenderTexture(width, height); });
    if (texture.id == 0 || texture.texture.id == 0) {
        PyErr_Format(PyExc_RuntimeError, "raylib could not create a %dx%d render texture", width,
                     height);
        return false;
    }
    textures.emplace(owner, texture);
    return true;
}


// The address of raylib's function `name` from the dictionary use() was given.
template <typename F>
bool take(PyObject* addresses, const char* name, F& slot) {
    PyObject* value = PyDict_GetItemString(addresses, name);
    if (!value) {
        PyErr_Format(PyExc_KeyError, "no address for raylib's %s", name);
        return false;
    }
    const unsigned long long address = PyLong_AsUnsignedLongLong(value);
    if (PyErr_Occurred()) return false;
    if (address == 0 || address > UINTPTR_MAX) {
        PyErr_Format(PyExc_ValueError, "invalid address for raylib's %s", name);
        return false;
    }
    slot = reinterpret_cast<F>(static_cast<std::uintptr_t>(address));
    return true;
}

#define TAKE(name) take(addresses, #name, found.name)

// use({name: address, ...}) draws through those functions from now on;
// use(None) stops drawing (render textures already made are kept).
PyObject* use(PyObject*, PyObject* addresses) {
    if (addresses == Py_None) {
        bridge.functions = nullptr;
        Py_RETURN_NONE;
    }
    if (!PyDict_Check(addresses)) {
        PyErr_SetString(PyExc_TypeError, "use() takes a dict of function addresses or None");
        return nullptr;
    }
    Functions found{};
    if (!TAKE(BeginTextureMode) || !TAKE(EndTextureMode) || !TAKE(BeginBlendMode) ||
        !TAKE(EndBlendMode) || !TAKE(ClearBackground) || !TAKE(LoadRenderTexture) ||
        !TAKE(UnloadRenderTexture) || !TAKE(DrawTextureRec))
        return nullptr;
    table = found;
    have_table = true;
    bridge.functions = &table;
    bridge.blend_mode = kDefaultBlendMode;
    bridge.has_target = false;
    Py_RETURN_NONE;
}

#undef TAKE

// Before raylib's window closes: every render texture is unloaded and the
// functions are forgotten.  Returns how many textures were unloaded.
PyObject* close(PyObject*, PyObject*) {
    const auto owned = std::exchange(textures, {});
    if (have_table)
        for (const auto& [owner, texture] : owned) table.UnloadRenderTexture(texture);
    bridge.functions = nullptr;
    bridge.has_target = false;
    have_table = false;
    return PyLong_FromSize_t(owned.size());
}

PyObject* active(PyObject*, PyObject*) { return PyBool_FromLong(bridge.functions != nullptr); }

// texture(owner): (id, width, height, mipmaps, format) of the colour texture
// of the render texture `owner` holds, as raylib's Texture takes them; None
// when it holds none.
PyObject* texture(PyObject*, PyObject* owner) {
    const RenderTexture* found = texture_of(owner);
    if (!found) Py_RETURN_NONE;
    const Texture& t = found->texture;
    return Py_BuildValue("(Iiiii)", t.id, t.width, t.height, t.mipmaps, t.format);
}

PyObject* texture_count(PyObject*, PyObject*) { return PyLong_FromSize_t(textures.size()); }

PyMethodDef functions[] = {
    {"use", use, METH_O, "Draws through raylib's functions at these addresses (None: stops)."},
    {"close", close, METH_NOARGS, "Unloads every render texture and forgets raylib."},
    {"active", active, METH_NOARGS, "True while the stand-in draws through raylib."},
    {"texture", texture, METH_O, "The colour texture a ZvRenderTexture holds, or None."},
    {"texture_count", texture_count, METH_NOARGS, "How many render textures are loaded."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "_raylib", nullptr, -1, functions,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__raylib() {
    bridge.blend_mode = kDefaultBlendMode;
    bridge.texture_of = texture_of;
    bridge.load = load;
    bridge.unload = unload;
    Ref module = Ref::steal(PyModule_Create(&definition));
    if (!module) return nullptr;
    const Ref capsule = Ref::steal(PyCapsule_New(&bridge, kCapsule, nullptr));
    if (!capsule || PyModule_AddObjectRef(module.get(), "bridge", capsule.get()) < 0)
        return nullptr;
    return module.release();
}
