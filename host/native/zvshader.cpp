// Stand-in for zuvo_ui.fast.zvshader.zvshader: a shader handle.
#include "plain_type.hpp"

namespace {

using zuvo::zvhost::ZvShader;
using Type = standin::PlainType<ZvShader, &ZvShader::locations>;

int location(PyObject*, PyObject*) { return -1; }  // no uniforms without a GPU

zuvo::zvhost::ZvShaderVTable vtable{location};
PyModuleDef definition = {PyModuleDef_HEAD_INIT, "zvshader", nullptr, -1, nullptr,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_zvshader() {
    if (!Type::ready("zuvo_ui.fast.zvshader.zvshader.ZvShader", &vtable)) return nullptr;
    return standin::single_type_module(&definition, &Type::type, "ZvShader");
}
