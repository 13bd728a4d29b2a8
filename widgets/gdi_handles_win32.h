#pragma once
// Move-only owners of GDI and USER handles, one per release function, and a guard that restores
// the object a device context had selected before.

#include <windows.h>

#include "formats/unique_handle_win32.h"

namespace vq {

using UniqueBitmap = UniqueHandle<HBITMAP, &DeleteObject>;
using UniqueMemoryDc = UniqueHandle<HDC, &DeleteDC>;
using UniqueIcon = UniqueHandle<HICON, &DestroyIcon>;

// A window's device context, or the screen's for a null window: GetDC pairs with ReleaseDC, not
// DeleteDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back on scope exit, so the
// object can be deleted afterwards (DeleteObject fails on an object still selected).
class ObjectSelection {
public:
    ObjectSelection() = default;
    ObjectSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ObjectSelection(ObjectSelection&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)),
          previous_(std::exchange(other.previous_, nullptr)) {}
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
