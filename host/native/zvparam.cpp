// Stand-in for zuvo_ui.fast.zvparam.zvparam: a named widget parameter.
#include "plain_type.hpp"

namespace {

using zuvo::zvhost::ZvParam;
using Type = standin::PlainType<ZvParam, &ZvParam::name, &ZvParam::value, &ZvParam::default_value>;

PyObject* get_value(PyObject* self) {
    return Py_NewRef(reinterpret_cast<ZvParam*>(self)->value);
}

zuvo::zvhost::ZvParamVTable vtable{get_value};
PyModuleDef definition = {PyModuleDef_HEAD_INIT, "zvparam", nullptr, -1, nullptr,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_zvparam() {
    if (!Type::ready("zuvo_ui.fast.zvparam.zvparam.ZvParam", &vtable)) return nullptr;
    return standin::single_type_module(&definition, &Type::type, "ZvParam");
}
