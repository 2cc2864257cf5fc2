// What the draw functions share: pygame's types, the conversions of their
// arguments, and a surface locked with its live pixels read from it.
#pragma once

#include <Python.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "../../support/ref.hpp"
#include "../curvix/kernels/draw_rect.hpp"

namespace zuvo::draw {

// pygame's types, bound when the module is executed.
struct State {
    PyObject* Surface;  // pygame.surface.Surface itself (never a subclass)
    PyObject* Color;
    PyObject* Rect;
    PyObject* error;    // pygame.error
    PyObject* lock;     // Surface.lock and Surface.unlock, pygame's own methods
    PyObject* unlock;
    PyObject* no_args;  // (), for making Rects
    bool community_edition;  // pygame-ce: refuses ints that are no 32-bit colour
    bool rect_layout_known;  // a Rect is an object head and four ints (x, y, w, h)
};

inline State* state_of(PyObject* mod) { return static_cast<State*>(PyModule_GetState(mod)); }

// The execute step: imports pygame and fills the state.  0, or -1 with an error set.
int bind_pygame(PyObject* mod);

// A pygame Surface (or an instance of a subclass); otherwise false with
// pygame's TypeError.
bool check_surface(const State& state, PyObject* surf);

// A colour as pygame.draw.rect reads it: an int is mapped for the surface;
// anything else goes through pygame.Color (and raises what it raises).
std::optional<Colour> colour_of(const State& state, PyObject* surf, PyObject* value);

// A rect argument as pygame takes it ((x, y, w, h), ((x, y), (w, h)), a
// one-item sequence of either, an object with a `rect` attribute or
// method), normalised on a copy and clamped to 1e300 in magnitude.  NaN or
// infinite values raise ValueError; anything else unreadable TypeError
// "rect argument is invalid".
struct Area {
    double x0, y0, x1, y1;
};
std::optional<Area> area_of(const State& state, PyObject* value);

// Two numbers from a two-item sequence; false, with TypeError "`what` must
// be a pair of numbers", otherwise.
bool pair_of(PyObject* value, double out[2], const char* what);

// False, with ValueError "`what` must be finite numbers", unless every value is finite.
bool check_finite(std::initializer_list<double> values, const char* what);

// The four corner radii clockwise from the top-left, chosen as
// pygame.draw.rect chooses them: `shared` below 1 means square corners, a
// corner's own radius of 0 or more overrides it.  `own` is in pygame's
// argument order (top-left, top-right, bottom-left, bottom-right).
std::array<double, 4> corner_radii(double shared, const double own[4]);

// The Rect of `drawn`, or of zero size at (x, y) when it is empty.
Ref rect_result(const State& state, PixelBox drawn, double x, double y);

// A surface locked by pygame's own Surface.lock (so a subclass's override
// never runs), with its pixels and clip box read from the surface object
// after locking; unlocked by pygame's own Surface.unlock.
class LockedSurface {
public:
    // Raises pygame.error for a surface without pixels (a display surface
    // after pygame.display.quit(), which pygame's own lock would crash on),
    // ValueError for a depth or channel layout that is not drawn.
    static std::optional<LockedSurface> lock(const State& state, PyObject* surf);
    LockedSurface(LockedSurface&& other) noexcept;
    LockedSurface(const LockedSurface&) = delete;
    LockedSurface& operator=(const LockedSurface&) = delete;
    // On the failure paths: unlocks, keeping the error being raised.
    ~LockedSurface();

    const PixelRows& pixels() const noexcept { return pixels_; }
    PixelBox clip() const noexcept { return clip_; }
    // Unlocks now; false, with the error set, when unlocking fails.
    bool unlock();

private:
    LockedSurface(Ref unlock, PyObject* surf) noexcept : unlock_(std::move(unlock)), surf_(surf) {}
    Ref unlock_;
    PyObject* surf_;
    PixelRows pixels_;
    PixelBox clip_;
};

}  // namespace zuvo::draw
