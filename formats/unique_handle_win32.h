#pragma once
// A move-only owner of one platform handle, released once by the function given with its type:
// one alias per release function (RegCloseKey, CloseHandle, DeleteObject, DestroyIcon, ...).

#include <windows.h>

#include <utility>

namespace vq {

// Owns a handle and releases it with Release when it goes out of scope.
template <typename Handle, auto Release>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    Handle Detach() { return std::exchange(handle_, nullptr); }
    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            Release(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

}  // namespace vq
