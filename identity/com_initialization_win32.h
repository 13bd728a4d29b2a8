#pragma once
// ComInitialization: the component object services initialised on the calling thread for the
// object's lifetime (CoInitializeEx in a single-threaded apartment, as a window thread needs),
// and uninitialised on destruction when the initialisation succeeded. It belongs to the thread
// that made it, so it is neither copied nor moved.

#include <windows.h>

namespace vq {

class ComInitialization {
public:
    ComInitialization() noexcept;
    ~ComInitialization();
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

    // S_OK, or S_FALSE when the thread was already initialised (both count as success and are
    // balanced on destruction); a failure such as RPC_E_CHANGED_MODE otherwise.
    HRESULT Result() const noexcept { return result_; }
    bool Succeeded() const noexcept { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

}  // namespace vq
