// What the draw functions share.
#include "common.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

#include "../../support/errors.hpp"
#include "../../support/numeric.hpp"
#include "../../support/pygame_surface.hpp"

namespace zuvo::draw {
namespace {

// Coordinates beyond this are as far away as any: no pixel tells them apart,
// and sums of two stay finite.
constexpr double kFar = 1e300;

// Whether this pygame's surfaces are laid out as pygame_surface.hpp reads
// them: a small surface read both ways must agree.
bool layout_known(PyObject* surface_type) {
    const Ref probe = Ref::steal(PyObject_CallFunction(surface_type, "((ii))", 3, 2));
    if (!probe) return false;
    const Ref pitch = Ref::steal(PyObject_CallMethod(probe.get(), "get_pitch", nullptr));
    const Ref address = Ref::steal(PyObject_GetAttrString(probe.get(), "_pixels_address"));
    const Ref bytes = Ref::steal(PyObject_CallMethod(probe.get(), "get_bytesize", nullptr));
    if (!pitch || !address || !bytes) return false;
    const pygame_surface::SdlSurface* s = pygame_surface::sdl_surface(probe.get());
    const bool agree = s && s->w == 3 && s->h == 2 && s->pitch == PyLong_AsLong(pitch.get()) &&
                       reinterpret_cast<std::uintptr_t>(s->pixels) ==
                           PyLong_AsUnsignedLongLong(address.get()) &&
                       s->format && s->format->bytes_per_pixel == PyLong_AsLong(bytes.get());
    if (PyErr_Occurred()) return false;
    if (!agree) {
        PyErr_SetString(PyExc_ImportError,
                        "this pygame lays its surfaces out in a way zuvo_ui.fast.shapes.draw "
                        "does not know (an SDL 2 build of pygame or pygame-ce is needed)");
    }
    return agree;
}

// A Rect as pygame lays it out (pgRectObject): the object's head, then x,
// y, w, h as C ints.
struct RectLayout {
    PyObject_HEAD
    int x, y, w, h;
};

// Whether Rects are laid out as RectLayout: Rects made by pygame read both
// ways agree.  1 or 0; -1 with an error set.
int rect_layout_known(PyObject* rect_type) {
    if (!PyType_Check(rect_type) || reinterpret_cast<PyTypeObject*>(rect_type)->tp_basicsize <
                                        static_cast<Py_ssize_t>(sizeof(RectLayout))) {
        return 0;
    }
    const int probes[2][4] = {{1, 2, 3, 4}, {-70000, 65537, 9, -2}};
    for (const auto& v : probes) {
        const Ref r = Ref::steal(PyObject_CallFunction(rect_type, "iiii", v[0], v[1], v[2], v[3]));
        if (!r) return -1;
        if (!Py_IS_TYPE(r.get(), reinterpret_cast<PyTypeObject*>(rect_type))) return 0;
        const auto* layout = reinterpret_cast<const RectLayout*>(r.get());
        if (layout->x != v[0] || layout->y != v[1] || layout->w != v[2] || layout->h != v[3]) return 0;
    }
    return 1;
}

Ref method(PyObject* type, const char* name) {
    return Ref::steal(PyObject_GetAttrString(type, name));
}

// A colour as pygame.draw.rect reads it: an int is a colour mapped for the
// surface; anything else goes through pygame.Color.


struct Box {
    double x, y, w, h;
};

bool raise_invalid_rect() {
    PyErr_SetString(PyExc_TypeError, "rect argument is invalid");
    return false;
}

// `count` numbers read from the sequence `seq` into `out`.
bool numbers(PyObject* seq, Py_ssize_t count, double* out) {
    if (!PySequence_Check(seq) || PySequence_Size(seq) != count) {
        PyErr_Clear();
        return raise_invalid_rect();
    }
    for (Py_ssize_t i = 0; i < count; ++i) {
        const Ref item = Ref::steal(PySequence_GetItem(seq, i));
        if (!item) {
            PyErr_Clear();
            return raise_invalid_rect();
        }
        out[i] = PyFloat_AsDouble(item.get());
        if (out[i] == -1.0 && PyErr_Occurred()) {
            if (PyErr_ExceptionMatches(PyExc_OverflowError)) {
                PyErr_Clear();
                out[i] = HUGE_VAL;  // refused with the other infinities
            } else {
                PyErr_Clear();
                return raise_invalid_rect();
            }
        }
    }
    return true;
}

// What pygame takes as a rect: (x, y, w, h), ((x, y), (w, h)), a one-item
// sequence of either, or an object whose `rect` attribute (or its result,
// when callable) is one.
std::optional<Box> box_of(PyObject* value, int depth = 0) {
    if (depth > 8) {
        raise_invalid_rect();
        return std::nullopt;
    }
    if (PySequence_Check(value) && !PyUnicode_Check(value)) {
        const Py_ssize_t length = PySequence_Size(value);
        if (length < 0) PyErr_Clear();
        double v[4];
        if (length == 4) {
            if (!numbers(value, 4, v)) return std::nullopt;
            return Box{v[0], v[1], v[2], v[3]};
        }
        if (length == 2) {
            // One item at a time: no caller code may run with an error pending.
            for (Py_ssize_t i = 0; i < 2; ++i) {
                const Ref half = Ref::steal(PySequence_GetItem(value, i));
                if (!half) {
                    PyErr_Clear();
                    raise_invalid_rect();
                    return std::nullopt;
                }
                if (!numbers(half.get(), 2, v + 2 * i)) return std::nullopt;
            }
            return Box{v[0], v[1], v[2], v[3]};
        }
        if (length == 1) {
            const Ref only = Ref::steal(PySequence_GetItem(value, 0));
            if (!only) return std::nullopt;
            return box_of(only.get(), depth + 1);
        }
    }
    Ref attribute = Ref::steal(PyObject_GetAttrString(value, "rect"));
    if (!attribute) {
        PyErr_Clear();
        raise_invalid_rect();
        return std::nullopt;
    }
    if (PyCallable_Check(attribute.get())) {
        attribute = Ref::steal(PyObject_CallNoArgs(attribute.get()));
        if (!attribute) return std::nullopt;
    }
    return box_of(attribute.get(), depth + 1);
}


// Exact floats and ints are read without running any code; false for
// anything else (and for ints beyond a double, which the general path maps).
bool plain_number(PyObject* item, double& out) {
    if (PyFloat_CheckExact(item)) {
        out = PyFloat_AS_DOUBLE(item);
        return true;
    }
    if (!PyLong_CheckExact(item)) return false;
    out = PyLong_AsDouble(item);
    if (out == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        return false;
    }
    return true;
}

// pygame's own Rect (read in place) and an exact tuple or list of four plain
// numbers, the common rects, or nothing.
std::optional<Box> plain_box(const State& state, PyObject* value) {
    if (state.rect_layout_known && Py_IS_TYPE(value, reinterpret_cast<PyTypeObject*>(state.Rect))) {
        const auto* r = reinterpret_cast<const RectLayout*>(value);
        return Box{static_cast<double>(r->x), static_cast<double>(r->y), static_cast<double>(r->w),
                   static_cast<double>(r->h)};
    }
    PyObject* const* items = nullptr;
    if (PyTuple_CheckExact(value) && PyTuple_GET_SIZE(value) == 4) {
        items = &PyTuple_GET_ITEM(value, 0);
    } else if (PyList_CheckExact(value) && PyList_GET_SIZE(value) == 4) {
        items = &PyList_GET_ITEM(value, 0);
    }
    if (!items) return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        if (!plain_number(items[i], v[i])) return std::nullopt;
    }
    return Box{v[0], v[1], v[2], v[3]};
}

// The byte of the 8-bit channel `mask` within a pixel of `bytes` bytes, as
// it lies in memory; -1 for no mask, -2 for one that is not a whole byte.
int channel_byte(std::uint32_t mask, int bytes) {
    if (mask == 0) return -1;
    const int shift = std::countr_zero(mask);
    if (shift % 8 != 0 || mask >> shift != 0xFFu || shift / 8 >= bytes) return -2;
    return std::endian::native == std::endian::little ? shift / 8 : bytes - 1 - shift / 8;
}

// The layout of a locked surface's pixels; false, with ValueError, for a
// depth or channel layout this module does not draw.
bool pixel_rows(const pygame_surface::SdlSurface& s, PixelRows& px) {
    const pygame_surface::SdlPixelFormat* f = s.format;
    const int bytes = f ? f->bytes_per_pixel : 0;
    if (bytes != 3 && bytes != 4) {
        PyErr_Format(PyExc_ValueError,
                     "draw.rect draws on surfaces of 24 or 32 bits per pixel, not %d",
                     f ? static_cast<int>(f->bits_per_pixel) : 0);
        return false;
    }
    const int red = channel_byte(f->r_mask, bytes), green = channel_byte(f->g_mask, bytes),
              blue = channel_byte(f->b_mask, bytes), alpha = channel_byte(f->a_mask, bytes);
    const bool distinct = red != green && red != blue && green != blue &&
                          (alpha == -1 || (alpha != red && alpha != green && alpha != blue));
    if (red < 0 || green < 0 || blue < 0 || alpha == -2 || !distinct ||
        s.pitch < static_cast<std::int64_t>(s.w) * bytes || s.w < 0 || s.h < 0) {
        PyErr_SetString(PyExc_ValueError,
                        "draw.rect draws on surfaces whose channels are whole bytes");
        return false;
    }
    px.base = static_cast<std::uint8_t*>(s.pixels);
    px.width = s.w;
    px.height = s.h;
    px.pitch = s.pitch;
    px.bytes_per_pixel = bytes;
    px.red = red;
    px.green = green;
    px.blue = blue;
    px.alpha = alpha;
    px.unused = bytes == 4 && alpha == -1 ? 6 - red - green - blue : -1;
    return true;
}


// BIND

}  // namespace

int bind_pygame(PyObject* mod) {
    State* state = state_of(mod);
    const Ref pygame = Ref::steal(PyImport_ImportModule("pygame"));
    if (!pygame) return -1;
    Ref surface = Ref::steal(PyObject_GetAttrString(pygame.get(), "Surface"));
    if (!surface) return -1;
    if (!PyType_Check(surface.get()) ||
        !pygame_surface::is_own_type(reinterpret_cast<PyTypeObject*>(surface.get()),
                                     pygame_surface::kSurfaceType)) {
        PyErr_SetString(PyExc_ImportError, "pygame.Surface is not pygame's own Surface type");
        return -1;
    }
    Ref color = Ref::steal(PyObject_GetAttrString(pygame.get(), "Color"));
    if (!color) return -1;
    Ref rect = Ref::steal(PyObject_GetAttrString(pygame.get(), "Rect"));
    if (!rect) return -1;
    Ref error = Ref::steal(PyObject_GetAttrString(pygame.get(), "error"));
    if (!error) return -1;
    Ref lock = method(surface.get(), "lock");
    Ref unlock = method(surface.get(), "unlock");
    Ref no_args = Ref::steal(PyTuple_New(0));
    if (!lock || !unlock || !no_args) return -1;
    const int rect_known = rect_layout_known(rect.get());
    if (rect_known < 0) return -1;
    if (!layout_known(surface.get())) return -1;
    const Ref is_ce = Ref::steal(PyObject_GetAttrString(pygame.get(), "IS_CE"));
    if (!is_ce) PyErr_Clear();
    const int community = is_ce ? PyObject_IsTrue(is_ce.get()) : 0;
    if (community < 0) return -1;
    state->Surface = surface.release();
    state->Color = color.release();
    state->Rect = rect.release();
    state->error = error.release();
    state->lock = lock.release();
    state->unlock = unlock.release();
    state->no_args = no_args.release();
    state->rect_layout_known = rect_known == 1;
    state->community_edition = community == 1;
    return 0;
}


std::optional<Colour> colour_of(const State& state, PyObject* surf, PyObject* value) {
    // An exact tuple of three or four exact ints within 0..255 is what
    // pygame.Color makes of it (alpha 255 when left out), without calling it.
    if (PyTuple_CheckExact(value) && (PyTuple_GET_SIZE(value) == 3 || PyTuple_GET_SIZE(value) == 4)) {
        float channel[4] = {0, 0, 0, 255};
        bool plain = true;
        for (Py_ssize_t i = 0; plain && i < PyTuple_GET_SIZE(value); ++i) {
            PyObject* item = PyTuple_GET_ITEM(value, i);
            int overflow = 0;
            const long v = PyLong_CheckExact(item) ? PyLong_AsLongAndOverflow(item, &overflow) : -1;
            plain = overflow == 0 && v >= 0 && v <= 255;
            channel[i] = static_cast<float>(v);
        }
        if (plain) return Colour{channel[0], channel[1], channel[2], channel[3]};
    }
    Ref color;
    if (PyLong_Check(value)) {
        if (state.community_edition) {
            const Ref limit = Ref::steal(PyLong_FromUnsignedLong(0xFFFFFFFFul));
            if (!limit) return std::nullopt;
            const int above = PyObject_RichCompareBool(value, limit.get(), Py_GT);
            if (above < 0) return std::nullopt;
            if (above) {
                PyErr_SetString(PyExc_ValueError,
                                "invalid color argument (integer out of acceptable range)");
                return std::nullopt;
            }
        }
        const Ref unmap = method(state.Surface, "unmap_rgb");
        if (!unmap) return std::nullopt;
        color = call(unmap.get(), surf, value);
    } else {
        color = call(state.Color, value);
    }
    if (!color) return std::nullopt;
    const Ref packed = Ref::steal(PyNumber_Long(color.get()));
    if (!packed) return std::nullopt;
    const unsigned long rgba = PyLong_AsUnsignedLong(packed.get());
    if (rgba == static_cast<unsigned long>(-1) && PyErr_Occurred()) return std::nullopt;
    const auto channel = [&](int shift) { return static_cast<float>((rgba >> shift) & 0xFFu); };
    return Colour{channel(24), channel(16), channel(8), channel(0)};
}


bool check_surface(const State& state, PyObject* surf) {
    if (PyObject_TypeCheck(surf, reinterpret_cast<PyTypeObject*>(state.Surface))) return true;
    PyErr_Format(PyExc_TypeError, "argument 1 must be pygame.surface.Surface, not %.200s",
                 Py_TYPE(surf)->tp_name);
    return false;
}

std::optional<Area> area_of(const State& state, PyObject* value) {
    auto box = plain_box(state, value);
    if (!box) box = box_of(value);
    if (!box || !check_finite({box->x, box->y, box->w, box->h}, "rect values")) return std::nullopt;
    const auto far = [](double v) { return std::clamp(v, -kFar, kFar); };
    return Area{far(std::min(box->x, box->x + box->w)), far(std::min(box->y, box->y + box->h)),
                far(std::max(box->x, box->x + box->w)), far(std::max(box->y, box->y + box->h))};
}

bool pair_of(PyObject* value, double out[2], const char* what) {
    if (PySequence_Check(value) && PySequence_Size(value) == 2) {
        for (Py_ssize_t i = 0; i < 2; ++i) {
            const Ref item = Ref::steal(PySequence_GetItem(value, i));
            if (!item) break;
            out[i] = PyFloat_AsDouble(item.get());
            if (out[i] == -1.0 && PyErr_Occurred()) break;
            if (i == 1) return true;
        }
    }
    PyErr_Clear();
    PyErr_Format(PyExc_TypeError, "%s must be a pair of numbers", what);
    return false;
}

bool check_finite(std::initializer_list<double> values, const char* what) {
    if (std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); })) {
        return true;
    }
    PyErr_Format(PyExc_ValueError, "%s must be finite numbers", what);
    return false;
}

std::array<double, 4> corner_radii(double shared, const double own[4]) {
    const double base = shared >= 1 ? shared : 0;
    const auto pick = [&](double r) { return r >= 0 ? r : base; };
    return {pick(own[0]), pick(own[1]), pick(own[3]), pick(own[2])};
}

Ref rect_result(const State& state, PixelBox drawn, double x, double y) {
    const int v[4] = {drawn.empty() ? trunc_to_int32(x) : drawn.x0,
                      drawn.empty() ? trunc_to_int32(y) : drawn.y0,
                      drawn.empty() ? 0 : drawn.x1 - drawn.x0, drawn.empty() ? 0 : drawn.y1 - drawn.y0};
    if (state.rect_layout_known) {
        // pygame's Rect() is (0, 0, 0, 0); its fields are then set in place.
        auto* type = reinterpret_cast<PyTypeObject*>(state.Rect);
        Ref rect = Ref::steal(type->tp_new(type, state.no_args, nullptr));
        if (!rect) return rect;
        if (Py_IS_TYPE(rect.get(), type)) {
            auto* r = reinterpret_cast<RectLayout*>(rect.get());
            r->x = v[0];
            r->y = v[1];
            r->w = v[2];
            r->h = v[3];
            return rect;
        }
    }
    return Ref::steal(PyObject_CallFunction(state.Rect, "iiii", v[0], v[1], v[2], v[3]));
}

std::optional<LockedSurface> LockedSurface::lock(const State& state, PyObject* surf) {
    if (!pygame_surface::sdl_surface(surf)) {
        PyErr_SetString(state.error, "display Surface quit");
        return std::nullopt;
    }
    std::optional<pygame_surface::PixelOwner> owner;
    if (pygame_surface::borrows_pixels(surf)) {
        owner = pygame_surface::pixel_owner(surf);
        if (!owner) return std::nullopt;
    }
    if (!call(state.lock, surf)) return std::nullopt;
    LockedSurface locked(Ref::borrow(state.unlock), surf);
    // Read after the lock, with no Python code run since.
    const pygame_surface::SdlSurface* s = pygame_surface::sdl_surface(surf);
    if (!s) {
        PyErr_SetString(state.error, "display Surface quit");
        return std::nullopt;
    }
    if (!pixel_rows(*s, locked.pixels_)) return std::nullopt;
    if (s->w == 0 || s->h == 0) return locked;  // nothing to draw on; the clip box stays empty
    if (!s->pixels) {
        PyErr_SetString(PyExc_ValueError, "the surface has no pixels");
        return std::nullopt;
    }
    if (owner && !pygame_surface::owned_by(surf, *owner)) {
        PyErr_SetString(PyExc_ValueError,
                        "the parent of this subsurface was re-initialised: its pixels are gone");
        return std::nullopt;
    }
    const pygame_surface::SdlRect c = s->clip_rect;
    locked.clip_ = {std::max(c.x, 0), std::max(c.y, 0),
                    static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{c.x} + c.w, s->w)),
                    static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{c.y} + c.h, s->h))};
    return locked;
}

LockedSurface::LockedSurface(LockedSurface&& other) noexcept
    : unlock_(std::move(other.unlock_)), surf_(std::exchange(other.surf_, nullptr)),
      pixels_(other.pixels_), clip_(other.clip_) {}

LockedSurface::~LockedSurface() {
    if (!surf_) return;
    SavedError saved;
    (void)call(unlock_.get(), surf_);
}

bool LockedSurface::unlock() {
    return static_cast<bool>(call(unlock_.get(), std::exchange(surf_, nullptr)));
}

}  // namespace zuvo::draw
