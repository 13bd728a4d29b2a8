#pragma once
// Move-only owners of GDI and USER handles, one per release function, and a guard that restores
// the object a device context had selected before.

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

using UniqueBitmap = UniqueHandle<HBITMAP, &DeleteObject>;
using UniqueMemoryDc = UniqueHandle<HDC, &DeleteDC>;
using UniqueIcon = UniqueHandle<HICON, &DestroyIcon>;

// Selects an object into a device context and puts the previous one back on scope exit, so the
// object can be deleted afterwards (DeleteObject fails on an object still selected).
class ObjectSelection {
public:
    ObjectSelection() = default;
    ObjectSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ObjectSelection(ObjectSelection&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
    ObjectSelection& operator=(ObjectSelection&& other) noexcept {
        if (this != &other) {
            Restore();
            dc_ = std::exchange(other.dc_, nullptr);
            previous_ = std::exchange(other.previous_, nullptr);
        }
        return *this;
    }
    ObjectSelection(const ObjectSelection&) = delete;
    ObjectSelection& operator=(const ObjectSelection&) = delete;
    ~ObjectSelection() { Restore(); }

private:
    void Restore() {
        if (dc_ != nullptr && previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
        dc_ = nullptr;
        previous_ = nullptr;
    }

    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace vq
