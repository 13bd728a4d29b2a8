#include "identity/com_initialization_win32.h"

#include <objbase.h>

namespace vq {

ComInitialization::ComInitialization() noexcept
    : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

ComInitialization::~ComInitialization() {
    if (SUCCEEDED(result_)) CoUninitialize();
}

}  // namespace vq
