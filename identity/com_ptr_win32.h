#pragma once
// ComPtr: owns one reference to a COM interface and releases it once; move-only, with no
// implicit conversion to or from the raw pointer.

#include <utility>

namespace vq {

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller holds (as an out-parameter of a COM call gives one).
    explicit ComPtr(Interface* adopted) noexcept : pointer_(adopted) {}
    ~ComPtr() { Reset(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* Get() const noexcept { return pointer_; }
    Interface* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    // For an out-parameter: releases what is held and gives the slot to fill.
    Interface** Put() noexcept {
        Reset();
        return &pointer_;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

    void Reset() noexcept {
        if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
    }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace vq
