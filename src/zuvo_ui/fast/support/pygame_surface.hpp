// pygame surfaces as the public C headers lay them out: pygame's (and
// pygame-ce's) `pgSurfaceObject` holds an SDL 2 `SDL_Surface`.  Only the
// leading members that are read are declared, alike, so they are laid out
// alike.  Reading runs no Python code.
#pragma once

#include <Python.h>

#include <cstdint>
#include <optional>

#include "ref.hpp"

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

// Where a surface's pixels lie in those of its outermost parent.  A
// subsurface shares its parent's pixels, and pygame frees them when the
// parent is re-initialised, leaving the subsurface pointing at freed memory.
struct PixelOwner {
    Ref parent;  // the surface itself when it is no subsurface
    int x = 0, y = 0;
};

// SDL's flag of a surface whose pixels it did not allocate: subsurfaces,
// display surfaces, surfaces over a buffer.
inline constexpr std::uint32_t kPreallocated = 0x1;

// Whether `surf` is a pygame Surface whose pixels belong to something else
// (so that pixel_owner and owned_by apply).
bool borrows_pixels(PyObject* surf);

// Asks pygame, through its own Surface methods (never a subclass's), for
// the outermost parent of `surf` and the offset in it: runs Python calls,
// so take it before any pixel is reached.  Null with the error set.
std::optional<PixelOwner> pixel_owner(PyObject* surf);

// True when the live pixels of `surf` still lie within those of its
// recorded parent, at the recorded offset and pitch.  Reads only the
// surface objects: call it after the last Python call.
bool owned_by(PyObject* surf, const PixelOwner& owner);

inline constexpr const char* kSurfaceType = "pygame.surface.Surface";
inline constexpr const char* kBufferProxyType = "pygame.bufferproxy.BufferProxy";

}  // namespace zuvo::pygame_surface
