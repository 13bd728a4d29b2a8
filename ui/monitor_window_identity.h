#pragma once
// The monitor window's identity, shared by every instance of the program: a starting instance
// finds an earlier one's window by its class and title together.

namespace vq {

inline constexpr const wchar_t* kMonitorWindowClass = L"TKVRMonitorForm";
inline constexpr const wchar_t* kMonitorWindowTitle = L"{3AA43F08-4053-4A06-BA24-838C07F74C80}";

}  // namespace vq
