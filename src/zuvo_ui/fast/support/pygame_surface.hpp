// pygame surfaces as the public C headers lay them out: pygame's (and
// pygame-ce's) `pgSurfaceObject` holds an SDL 2 `SDL_Surface`.  Only the
// leading members that are read are declared, alike, so they are laid out
// alike.  Reading runs no Python code.
#pragma once

#include <Python.h>

#include <cstdint>

namespace zuvo::pygame_surface {

struct SdlRect {
    int x, y, w, h;
};

struct SdlPixelFormat {
    std::uint32_t format;
    void* palette;
    std::uint8_t bits_per_pixel;
    std::uint8_t bytes_per_pixel;
    std::uint8_t padding[2];
    std::uint32_t r_mask, g_mask, b_mask, a_mask;
};

struct SdlSurface {
    std::uint32_t flags;
    SdlPixelFormat* format;
    int w, h;
    int pitch;
    void* pixels;
    void* userdata;
    int locked;
    void* list_blitmap;
    SdlRect clip_rect;
};

// True when `type` is, or derives from, pygame's own type named `name` (for
// example "pygame.surface.Surface"): a static type of that name in its
// method resolution order, at least `min_size` bytes large.  A class of that
// name written in Python is a heap type and does not count.
bool derives_from(PyTypeObject* type, const char* name, Py_ssize_t min_size = 0);

// True when `type` is pygame's own static type named `name` itself.
bool is_own_type(PyTypeObject* type, const char* name);

// The SDL surface of a pygame `Surface` (or of an instance of a subclass);
// null for any other object, and for a surface without one.
const SdlSurface* sdl_surface(PyObject* obj);

inline constexpr const char* kSurfaceType = "pygame.surface.Surface";
inline constexpr const char* kBufferProxyType = "pygame.bufferproxy.BufferProxy";

}  // namespace zuvo::pygame_surface
