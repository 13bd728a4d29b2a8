#pragma once
// What the Windows suite asks of the workstation it runs on: whether it is a Russian one (ANSI
// code page 1251), and the system's own words for an error code, trimmed as Boost.System trims
// them (line breaks and one closing period), for comparing with the texts the program shows.

#include <winsock2.h>
#include <windows.h>

#include <string>

namespace vq::test {

inline bool IsRussianWorkstation() { return GetACP() == 1251; }

inline std::u16string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text(buffer, buffer + (buffer != nullptr ? length : 0));
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n')) text.pop_back();
    if (!text.empty() && text.back() == u'.') text.pop_back();
    return text;
}

// The worker's report of a connection refused at 127.0.0.1:PORT.
inline std::u16string RefusedConnectionText(unsigned port) {
    const std::string endpoint = "127.0.0.1:" + std::to_string(port);
    return u"Не удалось подключиться к " + std::u16string(endpoint.begin(), endpoint.end()) +
           u": " + SystemMessage(WSAECONNREFUSED);
}

}  // namespace vq::test
