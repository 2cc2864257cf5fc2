// Instance layouts and native method tables of the host toolkit's types.
//
// The toolkit's widget types are native extension types whose instances begin
// with the object header and a pointer to the type's method table, followed by
// the type's fields.  The fast layer reads those fields and calls those tables
// directly, so every layout here must match the toolkit's byte for byte: the
// sizes are pinned below and checked again at import against the live types.
//
// Included by panelix and by the stand-in host, by nothing else.
#pragma once

#include <Python.h>

#include <cstdint>

namespace zuvo::zvhost {

struct ZvVector2;
struct ZvRect;
struct ZuvoCobject;
struct ZvRenderTexture;

struct zv_vector2_t {
    double x;
    double y;
};

// Factories are static methods: they sit in the table but take no instance.
struct ZvVector2VTable {
    ZvVector2* (*create)(double x, double y);  // new reference, or null with an exception
};

struct ZvVector2 {
    PyObject_HEAD
    ZvVector2VTable* vtab;
    zv_vector2_t data;
};

struct ZvRectVTable {
    ZvRect* (*create)(float x, float y, float w, float h);
};

struct ZvRect {
    PyObject_HEAD
    ZvRectVTable* vtab;
    float x;
    float y;
    float w;
    float h;
};

struct ZvParamVTable {
    PyObject* (*get_value)(PyObject* self);
};

struct ZvParam {
    PyObject_HEAD
    ZvParamVTable* vtab;
    PyObject* name;
    PyObject* value;
    PyObject* default_value;
    double minimum;
    double maximum;
    double step;
    std::int32_t kind;
    std::int32_t flags;
};

struct CacheVTable {
    PyObject* (*lookup)(PyObject* self, PyObject* key);  // borrowed, null when absent
};

struct Cache {
    PyObject_HEAD
    CacheVTable* vtab;
    PyObject* entries;  // dict
};

// The trailing flag of each method is "skip dispatch": 0 lets an override
// defined in a Python subclass (or on the instance) run instead of the native body.
struct ZuvoCobjectVTable {
    ZvRect* (*get_zvrect)(ZuvoCobject* self, int skip_dispatch);  // may return None
    PyObject* (*update)(ZuvoCobject* self, int skip_dispatch);
    PyObject* (*draw)(ZuvoCobject* self, int skip_dispatch);
};

struct ZuvoCobject {
    PyObject_HEAD
    ZuvoCobjectVTable* vtab;
    ZvVector2* absolute_coordinates;  // None or a ZvVector2
    ZvVector2* coordinates;           // position inside the parent
    ZvVector2* size;
    ZvVector2* scroll;  // offset subtracted from the children's positions
    PyObject* parent;
    PyObject* name;
    std::int64_t update_count;
    std::int64_t draw_count;
    // The rest of the toolkit's widget state (events, style, animation, flags),
    // which neither the fast layer nor the stand-in reads.
    unsigned char toolkit_state[144];
};

struct ZRequestVTable {
    PyObject* (*complete)(PyObject* self, PyObject* result);
};

struct ZRequest {
    PyObject_HEAD
    ZRequestVTable* vtab;
    PyObject* kind;
    PyObject* payload;
    PyObject* callback;
    PyObject* sender;
    double created;
    double deadline;
    std::int64_t id;
    std::int32_t priority;
    std::int32_t state;
};

struct ZSystemVTable {
    PyObject* (*submit)(PyObject* self, PyObject* request);
};

struct ZSystem {
    PyObject_HEAD
    ZSystemVTable* vtab;
    PyObject* requests;  // list
    PyObject* handlers;  // dict
    double clock;
    std::int64_t frame;
    // Per-subsystem slots of the toolkit (input, timers, layout, audio, ...).
    PyObject* subsystems[55];
};

struct ZvRenderTextureVTable {
    // Draws `source` at `position` into the current drawing target.  No result:
    // a failure is reported by leaving an exception pending.
    void (*c_fast_zvblit)(ZvRenderTexture* self, ZvRenderTexture* source, ZvVector2* position,
                          int blend_mode, int flip_y, ZvRect* color);
};

struct ZvRenderTexture {
    PyObject_HEAD
    ZvRenderTextureVTable* vtab;
    std::uint32_t id;
    std::int32_t width;
    std::int32_t height;
    std::int32_t format;
    PyObject* name;
};

struct ZvShaderVTable {
    int (*location)(PyObject* self, PyObject* uniform);
};

struct ZvShader {
    PyObject_HEAD
    ZvShaderVTable* vtab;
    std::uint32_t id;
    std::int32_t location_count;
    PyObject* locations;
};

// The instance sizes the fast layer checks at import.
static_assert(sizeof(ZvVector2) == 40);
static_assert(sizeof(ZvRect) == 40);
static_assert(sizeof(ZvParam) == 80);
static_assert(sizeof(Cache) == 32);
static_assert(sizeof(ZuvoCobject) == 232);
static_assert(sizeof(ZRequest) == 88);
static_assert(sizeof(ZSystem) == 496);
static_assert(sizeof(ZvRenderTexture) == 48);
static_assert(sizeof(ZvShader) == 40);

// Native functions exported in the modules' "__pyx_capi__" tables.  The
// trailing int of the raylib functions is "skip dispatch" too; callers pass 0.
using GetItemAbsCoords = ZvVector2* (*)(ZuvoCobject* container, ZuvoCobject* child);
using BeginTextureMode = void (*)(PyObject* target, int skip_dispatch);
using EndTextureMode = void (*)(int skip_dispatch);
using BeginBlendMode = void (*)(int mode, int skip_dispatch);
using EndBlendMode = void (*)(int skip_dispatch);
using ClearBackgroundBlank = void (*)();

}  // namespace zuvo::zvhost
