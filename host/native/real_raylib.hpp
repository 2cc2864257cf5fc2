// Drawing through raylib itself, for the stand-in's raylib wrapper and render
// textures.  zuvo_standin.real_raylib opens a hidden raylib window and hands
// the addresses of raylib's C functions (taken from the raylib package's CFFI
// module) to zuvo_standin._raylib; the wrapper modules reach that module's
// state through one capsule.  Nothing links against raylib at build time.
#pragma once

#include <Python.h>

namespace standin::real {

// raylib's own value types, laid out as raylib.h declares them, so that they
// pass by value through the C calling convention exactly as raylib expects.
struct Texture {
    unsigned int id;
    int width;
    int height;
    int mipmaps;
    int format;
};

struct RenderTexture {
    unsigned int id;  // framebuffer object
    Texture texture;  // colour attachment
    Texture depth;
};

struct Rectangle {
    float x;
    float y;
    float width;
    float height;
};

struct Vector2 {
    float x;
    float y;
};

struct Color {
    unsigned char r;
    unsigned char g;
    unsigned char b;
    unsigned char a;
};

static_assert(sizeof(Texture) == 20 && sizeof(RenderTexture) == 44);
static_assert(sizeof(Rectangle) == 16 && sizeof(Vector2) == 8 && sizeof(Color) == 4);

// The raylib functions the stand-in calls.
struct Functions {
    void (*BeginTextureMode)(RenderTexture target);
    void (*EndTextureMode)();
    void (*BeginBlendMode)(int mode);
    void (*EndBlendMode)();
    void (*ClearBackground)(Color color);
    RenderTexture (*LoadRenderTexture)(int width, int height);
    void (*UnloadRenderTexture)(RenderTexture target);
    void (*DrawTextureRec)(Texture texture, Rectangle source, Vector2 position, Color tint);
};

// raylib's BLEND_ALPHA: what EndBlendMode goes back to.
constexpr int kDefaultBlendMode = 0;

// zuvo_standin._raylib's state, shared with the wrapper modules.
struct Bridge {
    // Null while drawing through raylib is off.
    const Functions* functions;
    // The blend mode raylib was last left in by the stand-in.
    int blend_mode;
    // The render texture raylib was last pointed at by the stand-in, if any:
    // raylib's LoadRenderTexture and UnloadRenderTexture bind the window's
    // framebuffer, so making or unloading another texture must point raylib
    // back at this one.
    bool has_target;
    RenderTexture target;
    // The raylib render texture that `owner` (a ZvRenderTexture) holds, or null.
    const RenderTexture* (*texture_of)(PyObject* owner);
    // Gives `owner` a new render texture of the given size; false with an exception.
    bool (*load)(PyObject* owner, int width, int height);
    // Unloads the render texture `owner` holds, if any (its tp_dealloc calls this).
    void (*unload)(PyObject* owner);
};

constexpr const char* kModule = "zuvo_standin._raylib";
constexpr const char* kCapsule = "zuvo_standin._raylib.bridge";

// Imports zuvo_standin._raylib and takes its state; null with an exception.
inline Bridge* import_bridge() {
    // PyCapsule_Import imports the top-level package only, before 3.13.
    PyObject* module = PyImport_ImportModule(kModule);
    if (!module) return nullptr;
    Py_DECREF(module);
    return static_cast<Bridge*>(PyCapsule_Import(kCapsule, 0));
}

}  // namespace standin::real
