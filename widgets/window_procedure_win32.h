#pragma once
// The window procedure of a class whose windows each belong to one object: the object passed as
// CreateWindowExW's last argument. WM_NCCREATE brings it (CREATESTRUCTW::lpCreateParams) and it is
// kept in the window's GWLP_USERDATA; from there on the object's Handler gets the window's
// messages. A window of the class made without an object gets the default procedure only.
//
// Handler is a member function taking (UINT, WPARAM, LPARAM), or (HWND, UINT, WPARAM, LPARAM)
// when it needs the handle before CreateWindowExW has returned it. Handle, if given, is the
// object's own copy of its window handle (an HWND data member): set at WM_NCCREATE, so the object
// has it during creation, and cleared at WM_NCDESTROY, which then goes to the default procedure
// after Destroyed (a member function, if given) has let go of what belonged to the window.
// Without Handle the Handler gets WM_NCDESTROY too. Either way nothing reaches the object after it.

#include <windows.h>

#include <type_traits>

namespace vq {

template <class Window>
Window* WindowObject(HWND window) {
    return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// For an object that goes before its window: the messages of the window's destruction, and any
// after, reach the default procedure instead of a destroyed object.
inline void DetachWindowObject(HWND window) { SetWindowLongPtrW(window, GWLP_USERDATA, 0); }

template <class Window, auto Handler, auto Handle = nullptr, auto Destroyed = nullptr>
LRESULT CALLBACK WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    constexpr bool keepsHandle = !std::is_null_pointer_v<decltype(Handle)>;
    static_assert(keepsHandle || std::is_null_pointer_v<decltype(Destroyed)>,
                  "Destroyed is called where the kept handle is cleared");
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (auto* created = static_cast<Window*>(create->lpCreateParams)) {
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
            if constexpr (keepsHandle) created->*Handle = window;
        }
    }
    Window* self = WindowObject<Window>(window);
    if (self == nullptr) return DefWindowProcW(window, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachWindowObject(window);
        if constexpr (keepsHandle) {
            self->*Handle = nullptr;
            if constexpr (!std::is_null_pointer_v<decltype(Destroyed)>) (self->*Destroyed)();
            return DefWindowProcW(window, msg, wParam, lParam);
        }
    }
    if constexpr (std::is_invocable_v<decltype(Handler), Window*, HWND, UINT, WPARAM, LPARAM>)
        return (self->*Handler)(window, msg, wParam, lParam);
    else
        return (self->*Handler)(msg, wParam, lParam);
}

}  // namespace vq
