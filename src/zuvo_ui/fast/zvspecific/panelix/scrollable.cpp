// Scrollable containers: which children intersect the container, and
// updating those.  Children are reached through the widget type's native
// layout and method table; every element is type-checked before its fields
// are touched, and the list length is re-checked before every read because
// host code run in between (overrides, get_item_abs_coords) may change the list.
#include "../../support/args.hpp"
#include "../../support/module.hpp"
#include "entry_points.hpp"
#include "state.hpp"

namespace zuvo::panelix {
namespace {

using zvhost::ZuvoCobject;
using zvhost::ZvRect;
using zvhost::ZvVector2;

constexpr Signature update_signature{"scrollable_update_collided",
                                     "zuvo_ui.fast.zvspecific.panelix.scrollable_update_collided",
                                     std::array{"collided_items"}, 1};
constexpr Signature recollide_signature{
    "scrollable_recollide_items", "zuvo_ui.fast.zvspecific.panelix.scrollable_recollide_items",
    std::array{"self", "items"}, 2};
constexpr const char* kUpdateWorker = "zuvo_ui.fast.zvspecific.panelix._scrollable_update_collided";
constexpr const char* kRecollideWorker =
    "zuvo_ui.fast.zvspecific.panelix._scrollable_recollide_items";

// Strict comparisons in single precision: touching edges do not intersect,
// and any NaN makes a comparison, and so the result, false.
bool widget_drawable_rect(const ZvRect& item_rect, const ZvRect& layout_rect) {
    const float layout_right = layout_rect.x + layout_rect.w;
    const float item_right = item_rect.x + item_rect.w;
    const float layout_bottom = layout_rect.y + layout_rect.h;
    const float item_bottom = item_rect.y + item_rect.h;
    return item_rect.x < layout_right && item_right > layout_rect.x &&
           item_rect.y < layout_bottom && item_bottom > layout_rect.y;
}

// The `i`-th child, owned for the step (host code may drop the list's reference).
Ref child_at(PyObject* list, Py_ssize_t i) {
    if (i >= PyList_GET_SIZE(list)) {
        PyErr_SetString(PyExc_RuntimeError, "list changed size during iteration");
        return {};
    }
    Ref item = Ref::borrow(PyList_GET_ITEM(list, i));
    if (!instance_of(item.get(), host.cobject)) return {};
    return item;
}

// get_zvrect through the widget's method table, honouring Python overrides.
Ref rect_of(ZuvoCobject* widget) {
    Ref rect = owned(widget->vtab->get_zvrect(widget, 0));
    if (rect && !instance_of(rect.get(), host.rect)) return {};
    return rect;
}

Ref recollide_items(PyObject* self, PyObject* items) {
    auto* container = as<ZuvoCobject>(self);
    const Ref true_rect = rect_of(container);
    if (!true_rect) return {};
    // Read after get_zvrect, whose override may have replaced the vector.
    auto* position = reinterpret_cast<PyObject*>(container->absolute_coordinates);
    if (!instance_of(position, host.vector2)) return {};
    const ZvRect& layout_rect = *as<ZvRect>(true_rect.get());
    as<ZvVector2>(position)->data = {static_cast<double>(layout_rect.x),
                                     static_cast<double>(layout_rect.y)};

    const Py_ssize_t n = PyList_GET_SIZE(items);
    Ref collided_items = Ref::steal(PyList_New(0));
    if (!collided_items) return {};
    for (Py_ssize_t i = 0; i < n; ++i) {
        const Ref item = child_at(items, i);
        if (!item) return {};
        auto* child = as<ZuvoCobject>(item.get());
        Ref coordinates = owned(host.get_item_abs_coords(container, child));
        if (!coordinates || !none_or(coordinates.get(), host.vector2)) return {};
        Py_SETREF(child->absolute_coordinates, as<ZvVector2>(coordinates.release()));
        const Ref item_rect = rect_of(child);
        if (!item_rect) return {};
        if (widget_drawable_rect(*as<ZvRect>(item_rect.get()), layout_rect) &&
            PyList_Append(collided_items.get(), item.get()) < 0) {
            return {};
        }
    }
    return collided_items;
}

// A child's failed update is printed and handed to the unraisable hook; the
// loop stops there and the call still succeeds.
void report_failed_update() {
    Ref context;
    {
        const SavedError failure;
        failure.display();
        context = Ref::steal(PyUnicode_FromString(kUpdateWorker));
    }
    PyErr_WriteUnraisable(context ? context.get() : Py_None);
}

bool update_collided(PyObject* collided_items) {
    const Py_ssize_t n = PyList_GET_SIZE(collided_items);
    for (Py_ssize_t i = 0; i < n; ++i) {
        const Ref item = child_at(collided_items, i);
        if (!item) return false;
        auto* child = as<ZuvoCobject>(item.get());
        if (!owned(child->vtab->update(child, 0))) {
            report_failed_update();
            return true;
        }
    }
    return true;
}

bool exact_list(PyObject* obj, const char* param) {
    if (Py_IS_TYPE(obj, &PyList_Type)) return true;
    raise_arg_type(param, &PyList_Type, obj);
    return false;
}

}  // namespace

PyObject* scrollable_update_collided(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                     PyObject* kwnames) {
    std::array<PyObject*, 1> arg{};
    if (!parse_args(update_signature, args, nargs, kwnames, arg) ||
        !exact_list(arg[0], "collided_items") ||
        !traced(update_collided(arg[0]), kUpdateWorker)) {
        return traced(Ref{}, update_signature.qualname);
    }
    Py_RETURN_NONE;
}

PyObject* scrollable_recollide_items(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                     PyObject* kwnames) {
    std::array<PyObject*, 2> arg{};
    if (!parse_args(recollide_signature, args, nargs, kwnames, arg)) {
        return traced(Ref{}, recollide_signature.qualname);
    }
    if (!PyObject_TypeCheck(arg[0], host.cobject)) {
        raise_arg_type("self", host.cobject, arg[0]);
        return traced(Ref{}, recollide_signature.qualname);
    }
    if (!exact_list(arg[1], "items")) return traced(Ref{}, recollide_signature.qualname);
    PyObject* result = traced(recollide_items(arg[0], arg[1]), kRecollideWorker);
    return traced(Ref::steal(result), recollide_signature.qualname);
}

}  // namespace zuvo::panelix
