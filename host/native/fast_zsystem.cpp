// Stand-in for zuvo_ui.fast.zsystem.fast_zsystem: requests and the system
// that queues them.
#include "plain_type.hpp"

namespace {

using zuvo::zvhost::ZRequest;
using zuvo::zvhost::ZSystem;
using Request = standin::PlainType<ZRequest, &ZRequest::kind, &ZRequest::payload,
                                   &ZRequest::callback, &ZRequest::sender>;
using System = standin::PlainType<ZSystem, &ZSystem::requests, &ZSystem::handlers>;

PyObject* complete(PyObject* self, PyObject* result) {
    auto* request = reinterpret_cast<ZRequest*>(self);
    request->state = 1;
    Py_SETREF(request->payload, Py_NewRef(result));
    Py_RETURN_NONE;
}

PyObject* submit(PyObject* self, PyObject* request) {
    auto* system = reinterpret_cast<ZSystem*>(self);
    if (!PyList_Check(system->requests)) Py_SETREF(system->requests, PyList_New(0));
    if (!system->requests || PyList_Append(system->requests, request) < 0) return nullptr;
    Py_RETURN_NONE;
}

zuvo::zvhost::ZRequestVTable request_vtable{complete};
zuvo::zvhost::ZSystemVTable system_vtable{submit};
PyModuleDef definition = {PyModuleDef_HEAD_INIT, "fast_zsystem", nullptr, -1, nullptr,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_fast_zsystem() {
    if (!Request::ready("zuvo_ui.fast.zsystem.fast_zsystem.ZRequest", &request_vtable) ||
        !System::ready("zuvo_ui.fast.zsystem.fast_zsystem.ZSystem", &system_vtable)) {
        return nullptr;
    }
    zuvo::Ref module = zuvo::Ref::steal(PyModule_Create(&definition));
    if (!module || !standin::add_type(module.get(), &Request::type, "ZRequest") ||
        !standin::add_type(module.get(), &System::type, "ZSystem")) {
        return nullptr;
    }
    return module.release();
}
