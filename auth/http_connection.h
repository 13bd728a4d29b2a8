#pragma once
// One TCP connection to a server, with a time-out on every wait for the server. Connecting has
// no time-out of its own: the operating system's applies.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vq {

class HttpConnection {
public:
    explicit HttpConnection(std::chrono::milliseconds timeout);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

    bool IsOpen() const;
    bool IsOpenTo(const std::string& host_name, std::uint16_t port) const;

    // Resolves the name and connects. Raises ExchangeError; a failure to set up the local end
    // of the connection is marked as a local socket failure.
    void Open(const std::string& host_name, std::uint16_t port);
    // Sends the head and the body as one write.
    void Write(std::string_view head, std::string_view body);
    // Waits for bytes from the server; 0 means the server closed the connection.
    std::size_t ReadSome(char* buffer, std::size_t size);
    // Closes the connection if it is open; never fails.
    void Close() noexcept;
    // Whether the last write or read found the connection ended by the server.
    bool PeerClosed() const { return peer_closed_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::chrono::milliseconds timeout_;
    std::string host_name_;
    std::uint16_t port_ = 0;
    bool peer_closed_ = false;
};

}  // namespace vq
