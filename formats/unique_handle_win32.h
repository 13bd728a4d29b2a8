#pragma once
// A move-only owner of one platform handle, released once by the function given with its type:
// one alias per release function (RegCloseKey, CloseHandle, DeleteObject, DestroyIcon, ...).

#include <windows.h>

#include <atomic>
#include <utility>

namespace vq {

// Owns a handle and releases it with Release when it goes out of scope. Each kind of owner counts
// the handles it holds in the whole process (LiveCount), so a long run can show that the program's
// GDI and USER objects do not pile up: Wine's GetGuiResources answers 0.
template <typename Handle, auto Release>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {
        if (handle_ != nullptr) ++live_;
    }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    Handle Detach() {
        if (handle_ != nullptr) --live_;
        return std::exchange(handle_, nullptr);
    }
    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            Release(handle_);
            --live_;
        }
        handle_ = handle;
        if (handle_ != nullptr) ++live_;
    }

    // The handles of this kind owned right now, by every owner in the process.
    static long LiveCount() { return live_.load(); }

private:
    Handle handle_ = nullptr;
    static inline std::atomic<long> live_{0};
};

}  // namespace vq
