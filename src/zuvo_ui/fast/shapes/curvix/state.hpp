// What the curvix entry points share: interned names, the module namespace,
// and the calls into pygame (always reached as `md.pygame`, looked up afresh).
#pragma once

#include <Python.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "../../support/buffer.hpp"
#include "../../support/module.hpp"
#include "../../support/pygame_surface.hpp"
#include "../../support/ref.hpp"
#include "kernels/corners.hpp"

namespace zuvo::curvix {

inline constexpr const char* kModuleName = "zuvo_ui.fast.shapes.curvix";
inline constexpr const char* kSource = "zuvo_ui/fast/shapes/curvix";

struct Names {
    PyObject* md;
    PyObject* pygame;
    PyObject* Surface;
    PyObject* SRCALPHA;
    PyObject* surfarray;
    PyObject* pixels3d;
    PyObject* pixels_alpha;
    PyObject* fill;
    PyObject* get_width;
    PyObject* get_height;
    PyObject* get_cached_filled;    // "_get_cached_rounded_rect_surface"
    PyObject* get_cached_outlined;  // "_get_cached_outlined_rounded_rect_sdf"
    PyObject* transparent;          // the tuple (0, 0, 0, 0)
    // Whether an attribute of a plain module may be read from its namespace
    // (see `attribute` in state.cpp).
    bool read_module_namespaces;
};

// Set once by the module's execute step and kept for the life of the process.
extern Names names;
extern PyObject* module_dict;

bool init_names();

// A module global, looked up in the module namespace and then the builtins;
// NameError when neither has it.  Returns a new reference.
Ref module_global(PyObject* name);

// `md.pygame`, looked up afresh.
Ref pygame_module();

// `pygame.Surface((width, height), pygame.SRCALPHA)`; `size` is the caller's
// size tuple those came from (it is passed on when it holds exactly them).
Ref new_surface(PyObject* pygame, PyObject* size, std::int32_t width, std::int32_t height);

// `surf.fill(color)`, result dropped; first ValueError for a subsurface of
// pygame's whose parent was re-initialised (pygame's fill would write freed
// pixels).
bool fill(PyObject* surf, PyObject* color);

// `surf.get_width()` / `surf.get_height()` converted to int32.
std::optional<std::int32_t> surface_dimension(PyObject* surf, PyObject* method);

// The pixel views of one surface: the only way the entry points reach pixels.
// They are taken in steps, in this order:
//   1. `take_colour`: `pygame.surfarray.pixels3d(surf)`, when the colour is
//      wanted;
//   2. optionally, work that reads only the colour planes' numbers (no
//      Python, no pixels), such as asking for the lines a kernel will write:
//      pygame's making of the alpha view gives those time to arrive;
//   3. `take_alpha`: `pygame.surfarray.pixels_alpha(surf)`, then the proof
//      below.
// Each view must be 8-bit cells covering exactly width x height pixels (and
// three channels).  The object releases its views, with the interpreter lock
// held, when it goes.
//
// The invariant: once `take_alpha` has succeeded, and until the caller runs
// Python code again, every view held describes live memory.  Python code runs
// between and inside the getters (pygame's getters call the surface's
// `get_view`, which a subclass may override; a finaliser or another thread
// may run there too), and re-initialising a pygame surface frees its pixels
// even while views of them are held.  So, after the last getter, a view that
// pygame's own `surfarray` function made, or whose memory pygame exported,
// must have exactly the layout of the surface's live pixels, read from the
// surface object itself, and a subsurface's pixels must still lie in its
// parent's (re-initialising the parent frees them); otherwise ValueError.  Other views (planes that a
// replaced `md` hands out) are kept alive by the references held here.
//
// Nothing the caller passed in may be converted or called while views are
// held, for the same reason: every argument is converted before `take_colour`.
class SurfaceViews {
public:
    static std::optional<SurfaceViews> take_colour(PyObject* pygame, PyObject* surf,
                                                   std::int32_t width, std::int32_t height);
    // The colour view's planes, for step 2.
    ColourPlanes colour_planes() const noexcept {
        return {colour_->plane(0), colour_->plane(1), colour_->plane(2)};
    }
    // False, with the exception set, when the view cannot be taken or the
    // views held are not proven live.
    bool take_alpha();

    // The three steps with nothing between them, or the alpha view alone.
    static std::optional<SurfaceViews> take_both(PyObject* pygame, PyObject* surf,
                                                 std::int32_t width, std::int32_t height);
    static std::optional<SurfaceViews> take_alpha_only(PyObject* pygame, PyObject* surf,
                                                       std::int32_t width, std::int32_t height);

    // Only after `take_alpha` succeeded.
    Plane alpha() const noexcept { return alpha_->plane(); }
    // The four planes; only for views taken with `take_colour`.
    PixelPlanes planes() const noexcept {
        return {colour_->plane(0), colour_->plane(1), colour_->plane(2), alpha_->plane()};
    }

private:
    SurfaceViews(Ref surfarray, PyObject* surf, std::int32_t width, std::int32_t height) noexcept
        : surfarray_(std::move(surfarray)), surf_(surf), width_(width), height_(height) {}
    static std::optional<SurfaceViews> start(PyObject* pygame, PyObject* surf,
                                             std::int32_t width, std::int32_t height);
    // One view; `checked` says whether it must describe the live pixels.
    std::optional<ByteView> take_view(PyObject* which, int ndim, const char* what, bool& checked);
    bool proven_live() const;

    Ref surfarray_;
    PyObject* surf_;  // borrowed: the caller holds it for the whole call
    std::int32_t width_, height_;
    std::optional<ByteView> colour_, alpha_;
    bool colour_checked_ = false, alpha_checked_ = false;
    std::optional<pygame_surface::PixelOwner> owner_;  // for a subsurface of pygame's
};

// The corner-radius normalisation: one number for all four corners, a
// four-item sequence clockwise from the top-left, anything else four zeros.
std::optional<CornerRadii> normalise_radii(PyObject* radii_input);

// The `index`-th item of `seq`, read by indexing.
Ref item_at(PyObject* seq, Py_ssize_t index);

// Raises the error Python gives for `len(None)` or `None[...]`.
void raise_none_has_no_len();
void raise_none_not_subscriptable();

// Adds the traceback entry `qualname` when `result` is null; passes it on.
inline PyObject* traced(Ref result, const char* qualname) {
    return zuvo::traced(std::move(result), qualname, kSource);
}

}  // namespace zuvo::curvix
