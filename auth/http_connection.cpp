#include "auth/http_connection.h"

#include <array>
#include <optional>

#include <boost/asio/connect.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/buffers_suffix.hpp>
#include <boost/beast/core/error.hpp>

#include "auth/exchange_error.h"
#include "auth/failure_texts.h"
#include "auth/local_socket_failure.h"
#include "auth/socket_wait.h"

namespace vq {

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;

namespace {

// The server ended the connection: an orderly close or a reset.
bool IsClosedByPeer(const beast::error_code& error) {
    return error == asio::error::eof || error == asio::error::connection_reset ||
           error == asio::error::connection_aborted || error == asio::error::broken_pipe;
}

// The system's own description of a socket failure, in the system's language (Boost.System
// words Windows' messages in UTF-8: BOOST_SYSTEM_USE_UTF8, set for every file of the build).
// Asio's own end of stream has only an English text, so it is worded here.
std::string Description(const beast::error_code& error) {
    if (error == asio::error::eof) return "сервер закрыл соединение";
    return error.message();
}

std::string Endpoint(const std::string& host_name, std::uint16_t port) {
    return host_name + ":" + std::to_string(port);
}

}  // namespace

struct HttpConnection::Impl {
    asio::io_context context;
    std::optional<tcp::socket> socket;

    // Runs the started asynchronous operation (resolving, connecting) to its end.
    void RunToCompletion() {
        context.restart();
        context.run();
    }

    // Waits until the socket is ready for `what`, for at most `timeout`; false when the time ran
    // out. A failed wait counts as ready: the read or write that follows reports the socket's state.
    bool Wait(SocketWaitFor what, std::chrono::milliseconds timeout) {
        return WaitForSocket(static_cast<NativeSocket>(socket->native_handle()), what, timeout);
    }
};

HttpConnection::HttpConnection(std::chrono::milliseconds timeout)
    : impl_(std::make_unique<Impl>()), timeout_(timeout) {}

HttpConnection::~HttpConnection() { Close(); }

bool HttpConnection::IsOpen() const { return impl_->socket && impl_->socket->is_open(); }

bool HttpConnection::IsOpenTo(const std::string& host_name, std::uint16_t port) const {
    return IsOpen() && host_name == host_name_ && port == port_;
}

void HttpConnection::Open(const std::string& host_name, std::uint16_t port) {
    Close();
    beast::error_code error;
    tcp::resolver resolver(impl_->context);
    const auto endpoints = resolver.resolve(host_name, std::to_string(port), error);
    if (error) throw ExchangeError(failure_text::CannotResolve(host_name, Description(error)));

    impl_->socket.emplace(impl_->context);
    asio::async_connect(*impl_->socket, endpoints,
                        [&error](const beast::error_code& e, const tcp::endpoint&) { error = e; });
    impl_->RunToCompletion();
    if (error) {
        impl_->socket.reset();
        throw ExchangeError(
            failure_text::CannotConnect(Endpoint(host_name, port), Description(error)),
            IsLocalSocketFailure(error) ? ExchangeError::Kind::LocalSocketFailure
                                        : ExchangeError::Kind::Other);
    }
    // Requests are written whole; there is nothing to gain from Nagle's delay.
    impl_->socket->set_option(tcp::no_delay(true), error);
    // Reads and writes never block: each waits in WaitForSocket, with the time-out, when the
    // socket cannot take it at once.
    impl_->socket->non_blocking(true, error);
    if (error) {
        impl_->socket.reset();
        throw ExchangeError(
            failure_text::CannotConnect(Endpoint(host_name, port), Description(error)),
            ExchangeError::Kind::LocalSocketFailure);
    }
    host_name_ = host_name;
    port_ = port;
}

void HttpConnection::Write(std::string_view head, std::string_view body) {
    const std::array<asio::const_buffer, 2> buffers{asio::buffer(head.data(), head.size()),
                                                    asio::buffer(body.data(), body.size())};
    beast::buffers_suffix<std::array<asio::const_buffer, 2>> rest(buffers);
    peer_closed_ = false;
    while (asio::buffer_size(rest) > 0) {
        beast::error_code error;
        const std::size_t written = impl_->socket->write_some(rest, error);
        rest.consume(written);
        if (error == asio::error::would_block) {
            if (!impl_->Wait(SocketWaitFor::Writing, timeout_))
                throw ExchangeError(failure_text::SendTimedOut(timeout_));
        } else if (error) {
            peer_closed_ = IsClosedByPeer(error);
            throw ExchangeError(failure_text::CannotSend(Description(error)));
        }
    }
}

std::size_t HttpConnection::ReadSome(char* buffer, std::size_t size) {
    beast::error_code error;
    std::size_t received = 0;
    peer_closed_ = false;
    // The answer is seldom there before it is waited for: wait first, then read what came.
    do {
        if (!impl_->Wait(SocketWaitFor::Reading, timeout_))
            throw ExchangeError(failure_text::ReceiveTimedOut(timeout_));
        received = impl_->socket->read_some(asio::buffer(buffer, size), error);
    } while (error == asio::error::would_block);
    peer_closed_ = IsClosedByPeer(error);
    if (error == asio::error::eof) return 0;
    if (error) throw ExchangeError(failure_text::ConnectionLost(Description(error)));
    return received;
}

void HttpConnection::Close() noexcept {
    if (!impl_->socket) return;
    beast::error_code ignored;
    impl_->socket->shutdown(tcp::socket::shutdown_both, ignored);
    impl_->socket->close(ignored);
    impl_->socket.reset();
}

}  // namespace vq
