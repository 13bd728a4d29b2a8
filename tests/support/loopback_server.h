#pragma once
// A scripted HTTP server on 127.0.0.1 for wire tests: each accepted connection is handed to the
// next handler in order, on the server's own thread, and the handler answers byte by byte.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vq::test {

class ServerConnection {
public:
    struct Impl;
    explicit ServerConnection(Impl& impl, std::function<void(std::string)> record)
        : impl_(impl), record_(std::move(record)) {}

    // Reads one request: the head up to the empty line and as many body bytes as its
    // Content-Length says. Empty when the client closed the connection first.
    std::string ReadRequest();
    void Send(std::string_view bytes);
    // Sends one byte at a time with a pause between them.
    void SendSlowly(std::string_view bytes, std::chrono::milliseconds pause);
    // Waits until the client closes the connection; false when it did not within the time.
    bool WaitForClientClose(std::chrono::milliseconds limit);
    void Close();
    // Drops the connection with a reset (RST) instead of an orderly close.
    void Reset();
    // Sends pattern again and again until total bytes went out or the client stopped taking
    // them; returns the bytes sent. Streams a huge answer without holding it in memory.
    std::uint64_t SendRepeated(std::string_view pattern, std::uint64_t total);

private:
    Impl& impl_;
    std::function<void(std::string)> record_;
    std::string buffered_;
};

class LoopbackServer {
public:
    using Handler = std::function<void(ServerConnection&)>;

    explicit LoopbackServer(std::vector<Handler> handlers);
    ~LoopbackServer();

    std::uint16_t Port() const { return port_; }
    // "http://127.0.0.1:PORT/"
    std::string BaseUrl() const;
    // Every request read so far, in order, byte for byte.
    std::vector<std::string> Requests() const;
    int ConnectionsAccepted() const;
    // Waits until every handler has run.
    void WaitUntilDone();

private:
    struct State;
    std::unique_ptr<State> state_;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

// A complete answer with a Content-Length body; extra headers are whole lines with CR LF.
std::string Answer(std::string_view status_line, std::string_view body,
                   std::string_view extra_headers = "");

}  // namespace vq::test
