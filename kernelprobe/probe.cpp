// zuvo_kernelprobe: runs one chosen path of the curvix kernels on
// four writable 2-d uint8 arrays indexed [x][y] (pygame's pixels3d channels and
// pixels_alpha, or any NumPy arrays).  Test and benchmark use only.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cmath>
#include <cstring>

#include "../src/zuvo_ui/fast/shapes/curvix/kernels/fast.hpp"

namespace {

using zuvo::Plane;
using zuvo::PixelPlanes;
using namespace zuvo::curvix;

struct PathName {
    const char* name;
    KernelPath path;
    bool runs;
};

constexpr PathName paths[] = {
    {"scalar", KernelPath::scalar, false},
    {"scalar+runs", KernelPath::scalar, true},
    {"neon", KernelPath::neon, false},
    {"neon+runs", KernelPath::neon, true},
    {"sse2", KernelPath::sse2, false},
    {"sse2+runs", KernelPath::sse2, true},
    {"avx2", KernelPath::avx2, false},
    {"avx2+runs", KernelPath::avx2, true},
};

const PathName* find_path(const char* name) {
    for (const PathName& p : paths) {
        if (std::strcmp(p.name, name) == 0) return &p;
    }
    PyErr_Format(PyExc_ValueError, "unknown path '%s'", name);
    return nullptr;
}

// Four buffers, each released on every exit once taken.
class FourBuffers {
public:
    FourBuffers() = default;
    FourBuffers(const FourBuffers&) = delete;
    FourBuffers& operator=(const FourBuffers&) = delete;
    ~FourBuffers() {
        for (int i = 0; i < taken_; ++i) PyBuffer_Release(&views_[i]);
    }

protected:
    bool get(PyObject* array, int flags) {
        if (PyObject_GetBuffer(array, &views_[taken_], flags) < 0) return false;
        ++taken_;
        return true;
    }

    Py_buffer views_[4]{};

private:
    int taken_ = 0;
};

// The buffers of the four planes.
class Planes : public FourBuffers {
public:
    bool take(PyObject* const arrays[4], int w, int h) {
        for (int i = 0; i < 4; ++i) {
            if (!get(arrays[i], PyBUF_RECORDS)) return false;
            const Py_buffer& v = views_[i];
            if (v.ndim != 2 || v.itemsize != 1 || (v.format && std::strcmp(v.format, "B") != 0) ||
                v.shape[0] != w || v.shape[1] != h) {
                PyErr_SetString(PyExc_ValueError, "each plane must be a writable uint8 array of shape (w, h)");
                return false;
            }
        }
        return true;
    }

    PixelPlanes planes() const {
        const auto plane = [](const Py_buffer& v) {
            return Plane{static_cast<std::uint8_t*>(v.buf), static_cast<std::int32_t>(v.shape[0]),
                         static_cast<std::int32_t>(v.shape[1]), v.strides[0], v.strides[1]};
        };
        return {plane(views_[0]), plane(views_[1]), plane(views_[2]), plane(views_[3])};
    }
};

constexpr const char* outline_doc =
    "outline(red, green, blue, alpha, w, h, radii, stroke_width, stroke_rgb, alpha_base,\n"
    "        bg_rgb_or_None, bg_alpha, path) -> None\n\n"
    "radii: the four outer-edge radii (tl, tr, br, bl); bg_alpha -1 means a three-item\n"
    "background; path one of paths().";

PyObject* outline(PyObject*, PyObject* args) {
    PyObject* arrays[4];
    int w, h, alpha_base, bg_alpha;
    float tl, tr, br, bl, stroke_width;
    unsigned char r, g, b;
    PyObject* bg_obj;
    const char* path_name;
    if (!PyArg_ParseTuple(args, "OOOOii(ffff)f(bbb)iOis", &arrays[0], &arrays[1], &arrays[2],
                          &arrays[3], &w, &h, &tl, &tr, &br, &bl, &stroke_width, &r, &g, &b,
                          &alpha_base, &bg_obj, &bg_alpha, &path_name)) {
        return nullptr;
    }
    const PathName* path = find_path(path_name);
    if (!path) return nullptr;
    Rgb bg;
    const bool has_bg = bg_obj != Py_None;
    if (has_bg && !PyArg_ParseTuple(bg_obj, "bbb", &bg.r, &bg.g, &bg.b)) return nullptr;
    if (w < 0 || h < 0) {
        PyErr_SetString(PyExc_ValueError, "negative size");
        return nullptr;
    }
    Planes planes;
    if (!planes.take(arrays, w, h)) return nullptr;
    const OutlineTransformShape shape = make_outline_transform(
        w, h, CornerRadii{tl, tr, br, bl}, stroke_width, Rgb{r, g, b}, alpha_base, has_bg, bg,
        bg_alpha);
    transform_outline_on(planes.planes(), shape, path->path, path->runs);
    Py_RETURN_NONE;
}

constexpr const char* kernel_doc =
    "kernel(kind, red, green, blue, alpha, w, h, radii, width, rgb, alpha_base, path) -> None\n\n"
    "Runs the 'filled' generator's corners, the 'outlined' generator's bands and corners,\n"
    "or the corner transform with a colour ('corners') or without one ('corners-scale') on\n"
    "the planes, on one of paths() ('scalar' is the scalar kernel itself; '+runs' writes\n"
    "the outlined bands as runs).  radii: (tl, tr, br, bl); the outlined generator takes\n"
    "int(tl).  The corner transform's radii are clamped as the module clamps them.";

PyObject* other_kernel(PyObject*, PyObject* args) {
    const char* kind;
    PyObject* arrays[4];
    int w, h, alpha_base;
    float tl, tr, br, bl, width;
    unsigned char r, g, b;
    const char* path_name;
    if (!PyArg_ParseTuple(args, "sOOOOii(ffff)f(bbb)is", &kind, &arrays[0], &arrays[1], &arrays[2],
                          &arrays[3], &w, &h, &tl, &tr, &br, &bl, &width, &r, &g, &b, &alpha_base,
                          &path_name)) {
        return nullptr;
    }
    const PathName* path = find_path(path_name);
    if (!path) return nullptr;
    if (w < 0 || h < 0) {
        PyErr_SetString(PyExc_ValueError, "negative size");
        return nullptr;
    }
    Planes planes;
    if (!planes.take(arrays, w, h)) return nullptr;
    const PixelPlanes px = planes.planes();
    const CornerRadii radii{tl, tr, br, bl};
    if (std::strcmp(kind, "filled") == 0) {
        round_filled_corners_on(px.alpha, make_filled_shape(w, h, radii, alpha_base), path->path);
    } else if (std::strcmp(kind, "outlined") == 0) {
        const OutlinedShape shape =
            make_outlined_shape(w, h, zuvo::trunc_to_int32(tl), width, alpha_base, r, g, b);
        paint_outline_on(px, shape, path->path, path->runs);
    } else if (std::strcmp(kind, "corners") == 0 || std::strcmp(kind, "corners-scale") == 0) {
        const bool has_color = std::strcmp(kind, "corners") == 0;
        const CornerTransformShape shape = make_corner_transform(
            w, h, clamp_corner_radii(w, h, radii), has_color, alpha_base);
        transform_corners_on(px.alpha, shape, path->path);
    } else {
        PyErr_Format(PyExc_ValueError, "unknown kernel '%s'", kind);
        return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject* available_paths(PyObject*, PyObject*) {
    PyObject* list = PyList_New(0);
    if (!list) return nullptr;
    for (const PathName& p : paths) {
        if (!kernel_path_available(p.path)) continue;
        PyObject* name = PyUnicode_FromString(p.name);
        if (!name || PyList_Append(list, name) < 0) {
            Py_XDECREF(name);
            Py_DECREF(list);
            return nullptr;
        }
        Py_DECREF(name);
    }
    return list;
}

PyObject* all_paths(PyObject*, PyObject*) {
    PyObject* tuple = PyTuple_New(sizeof paths / sizeof paths[0]);
    if (!tuple) return nullptr;
    Py_ssize_t i = 0;
    for (const PathName& p : paths) {
        PyObject* name = PyUnicode_FromString(p.name);
        if (!name) {
            Py_DECREF(tuple);
            return nullptr;
        }
        PyTuple_SET_ITEM(tuple, i++, name);
    }
    return tuple;
}

// Contiguous 1-d buffers of one element type.
class Vectors : public FourBuffers {
public:
    bool take(PyObject* const arrays[4]) {
        for (int i = 0; i < 4; ++i) {
            const int flags = PyBUF_C_CONTIGUOUS | PyBUF_FORMAT | (i == 3 ? PyBUF_WRITABLE : 0);
            if (!get(arrays[i], flags)) return false;
            const Py_buffer& v = views_[i];
            if (v.ndim != 1 || std::strcmp(v.format, views_[0].format) != 0 ||
                v.shape[0] != views_[0].shape[0] ||
                (std::strcmp(v.format, "f") != 0 && std::strcmp(v.format, "d") != 0)) {
                PyErr_SetString(PyExc_ValueError, "a, b, c, out must be 1-d float32 or float64 arrays of one length");
                return false;
            }
        }
        return true;
    }

    bool single() const { return std::strcmp(views_[0].format, "f") == 0; }
    std::size_t size() const { return static_cast<std::size_t>(views_[0].shape[0]); }
    template <class T>
    T* at(int i) const { return static_cast<T*>(views_[i].buf); }
};

template <class T>
void std_fma(const T* a, const T* b, const T* c, T* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = std::fma(a[i], b[i], c[i]);
}

#ifdef ZUVO_HAS_SSE2_PATH
constexpr bool has_sse2_path = true;
#else
// Never called: the SSE2 path's emulation is only in x86-64 builds.
template <class T>
void fused_multiply_add_sse2(const T*, const T*, const T*, T*, std::size_t) {}
constexpr bool has_sse2_path = false;
#endif

template <class T>
void apply_fma(const Vectors& v, bool emulated) {
    void (*op)(const T*, const T*, const T*, T*, std::size_t) = std_fma<T>;
    if (emulated) op = fused_multiply_add_sse2;
    op(v.at<T>(0), v.at<T>(1), v.at<T>(2), v.at<T>(3), v.size());
}

PyObject* fused_multiply_add(PyObject*, PyObject* args) {
    PyObject* arrays[4];
    const char* which;
    if (!PyArg_ParseTuple(args, "OOOOs", &arrays[0], &arrays[1], &arrays[2], &arrays[3], &which)) {
        return nullptr;
    }
    const bool emulated = std::strcmp(which, "sse2") == 0;
    if (!emulated && std::strcmp(which, "std") != 0) {
        PyErr_Format(PyExc_ValueError, "unknown fused multiply-add '%s'", which);
        return nullptr;
    }
    if (emulated && !has_sse2_path) {
        PyErr_SetString(PyExc_NotImplementedError, "this build has no SSE2 path");
        return nullptr;
    }
    Vectors v;
    if (!v.take(arrays)) return nullptr;
    if (v.single()) {
        apply_fma<float>(v, emulated);
    } else {
        apply_fma<double>(v, emulated);
    }
    Py_RETURN_NONE;
}

PyMethodDef methods[] = {
    {"outline", outline, METH_VARARGS, outline_doc},
    {"fma", fused_multiply_add, METH_VARARGS,
     "fma(a, b, c, out, which): out = a * b + c rounded once, by 'std' (std::fma) or 'sse2'\n"
     "(the SSE2 path's emulation)."},
    {"kernel", other_kernel, METH_VARARGS, kernel_doc},
    {"paths", available_paths, METH_NOARGS, "The paths this processor can run."},
    {"all_paths", all_paths, METH_NOARGS, "Every path the probe knows."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef module = {PyModuleDef_HEAD_INIT, "zuvo_kernelprobe",
                      "Test-only access to each path of the curvix kernels.", 0, methods,
                      nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_zuvo_kernelprobe() { return PyModule_Create(&module); }
