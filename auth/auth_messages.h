#pragma once
// The five messages by which the authorization worker reaches the monitor window. They are sent
// synchronously: the worker waits until the window has handled them, which is what lets the
// window read and fill the worker's lists without a lock.

#include <cstdint>

namespace vq {

inline constexpr unsigned kWmUser = 0x0400;  // WM_USER

// wParam 1: a local socket failure reported after three silent ones; 0: any other failure.
// lParam: the failure text, NUL-terminated UTF-16 (const char16_t*), valid during the call.
inline constexpr unsigned WM_AUTH_ERROR = kWmUser + 48;
// lParam: the worker's empty TValueList*, to be filled with username, groups and dname.
inline constexpr unsigned WM_AUTH_NEED_DATA = kWmUser + 49;
// lParam: the worker's TValueList* holding the account fields of the answer.
inline constexpr unsigned WM_AUTH_STATUS = kWmUser + 50;
// lParam: the worker's empty LineList*, to be given the server base URL.
inline constexpr unsigned WM_AUTH_GET_SERVER = kWmUser + 51;
// lParam: 0. The server refused the credentials.
inline constexpr unsigned WM_AUTH_FAILED = kWmUser + 52;

// The monitor window as the worker sees it.
class AuthOwner {
public:
    virtual ~AuthOwner() = default;
    // Delivers the message and returns once it has been handled. A send to an owner that no
    // longer exists does nothing and returns at once.
    virtual void Send(unsigned message, std::uintptr_t wparam, void* lparam) = 0;
};

}  // namespace vq
