#pragma once
// A server that takes connections into its backlog and never answers: a monitor window's worker
// sends its first request there and then waits for the answer (30 s), so the only reports the
// window handles during a test are the test's own.

#include <winsock2.h>
#include <windows.h>

#include <string>

namespace vq::test {

class SilentServer {
public:
    SilentServer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(socket_, 4);
        int length = sizeof(address);
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() {
        closesocket(socket_);
        WSACleanup();
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    // The program's argument naming this server.
    std::u16string Argument() const {
        const std::string text = "server=http://127.0.0.1:" + std::to_string(port_) + "/";
        return std::u16string(text.begin(), text.end());
    }
    std::u16string BaseUrl() const { return Argument().substr(7); }

private:
    SOCKET socket_ = INVALID_SOCKET;
    unsigned short port_ = 0;
};

}  // namespace vq::test
