#include "errors.hpp"

namespace zuvo {

#if PY_VERSION_HEX >= 0x030C0000
SavedError::SavedError() noexcept : value_(PyErr_GetRaisedException()) {}
SavedError::~SavedError() {
    PyErr_Clear();
    PyErr_SetRaisedException(value_);
}
void SavedError::display() const noexcept { PyErr_DisplayException(value_); }
#else
SavedError::SavedError() noexcept {
    PyErr_Fetch(&type_, &value_, &tb_);
    PyErr_NormalizeException(&type_, &value_, &tb_);
    if (tb_ && value_) PyException_SetTraceback(value_, tb_);
}
SavedError::~SavedError() {
    PyErr_Clear();
    PyErr_Restore(type_, value_, tb_);
}
void SavedError::display() const noexcept { PyErr_Display(type_, value_, tb_); }
#endif

}  // namespace zuvo
