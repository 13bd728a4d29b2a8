#include "tests/support/loopback_server.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

namespace vq::test {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

struct ServerConnection::Impl {
    tcp::socket socket;
};

struct LoopbackServer::State {
    asio::io_context context;
    tcp::acceptor acceptor{context};
    std::vector<Handler> handlers;
    mutable std::mutex mutex;
    std::condition_variable done_signal;
    std::vector<std::string> requests;
    int accepted = 0;
    bool done = false;
    std::atomic<bool> stopping = false;
};

namespace {

std::size_t ContentLength(const std::string& head) {
    std::string lower = head;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return std::stoul(head.substr(at + 17));
}

}  // namespace

std::string ServerConnection::ReadRequest() {
    boost::system::error_code error;
    char chunk[4096];
    std::size_t head_end;
    while ((head_end = buffered_.find("\r\n\r\n")) == std::string::npos) {
        const auto n = impl_.socket.read_some(asio::buffer(chunk), error);
        if (error) return {};
        buffered_.append(chunk, n);
    }
    const std::size_t total = head_end + 4 + ContentLength(buffered_.substr(0, head_end + 2));
    while (buffered_.size() < total) {
        const auto n = impl_.socket.read_some(asio::buffer(chunk), error);
        if (error) return {};
        buffered_.append(chunk, n);
    }
    std::string request = buffered_.substr(0, total);
    buffered_.erase(0, total);
    record_(request);
    return request;
}

void ServerConnection::Send(std::string_view bytes) {
    boost::system::error_code ignored;
    asio::write(impl_.socket, asio::buffer(bytes.data(), bytes.size()), ignored);
}

void ServerConnection::SendSlowly(std::string_view bytes, std::chrono::milliseconds pause) {
    for (const char byte : bytes) {
        Send(std::string_view(&byte, 1));
        std::this_thread::sleep_for(pause);
    }
}

bool ServerConnection::WaitForClientClose(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    impl_.socket.non_blocking(true);
    char chunk[256];
    while (std::chrono::steady_clock::now() < deadline) {
        boost::system::error_code error;
        impl_.socket.read_some(asio::buffer(chunk), error);
        if (error == asio::error::would_block) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        if (error) {
            impl_.socket.non_blocking(false);
            return true;
        }
    }
    impl_.socket.non_blocking(false);
    return false;
}

void ServerConnection::Close() {
    boost::system::error_code ignored;
    impl_.socket.shutdown(tcp::socket::shutdown_both, ignored);
    impl_.socket.close(ignored);
}

void ServerConnection::Reset() {
    boost::system::error_code ignored;
    impl_.socket.set_option(asio::socket_base::linger(true, 0), ignored);
    impl_.socket.close(ignored);
}

std::uint64_t ServerConnection::SendRepeated(std::string_view pattern, std::uint64_t total) {
    std::uint64_t sent = 0;
    while (sent < total) {
        const auto size =
            static_cast<std::size_t>(std::min<std::uint64_t>(pattern.size(), total - sent));
        boost::system::error_code error;
        sent += asio::write(impl_.socket, asio::buffer(pattern.data(), size), error);
        if (error) break;
    }
    return sent;
}

LoopbackServer::LoopbackServer(std::vector<Handler> handlers) : state_(std::make_unique<State>()) {
    state_->handlers = std::move(handlers);
    const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), 0);
    state_->acceptor.open(endpoint.protocol());
    state_->acceptor.bind(endpoint);
    state_->acceptor.listen();
    port_ = state_->acceptor.local_endpoint().port();
    thread_ = std::thread([state = state_.get()] {
        for (auto& handler : state->handlers) {
            ServerConnection::Impl impl{tcp::socket(state->context)};
            boost::system::error_code error;
            state->acceptor.accept(impl.socket, error);
            if (error || state->stopping) break;
            {
                std::lock_guard lock(state->mutex);
                ++state->accepted;
            }
            ServerConnection connection(impl, [state](std::string request) {
                std::lock_guard lock(state->mutex);
                state->requests.push_back(std::move(request));
            });
            try {
                handler(connection);
            } catch (...) {
            }
            connection.Close();
        }
        std::lock_guard lock(state->mutex);
        state->done = true;
        state->done_signal.notify_all();
    });
}

LoopbackServer::~LoopbackServer() {
    state_->stopping = true;
    {
        // Wakes an accept that is still waiting for a client that will not come.
        std::unique_lock lock(state_->mutex);
        if (!state_->done) {
            lock.unlock();
            asio::io_context context;
            tcp::socket waker(context);
            boost::system::error_code ignored;
            waker.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port_), ignored);
            thread_.join();
            return;
        }
    }
    thread_.join();
}

std::string LoopbackServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

int LoopbackServer::ConnectionsAccepted() const {
    std::lock_guard lock(state_->mutex);
    return state_->accepted;
}

void LoopbackServer::WaitUntilDone() {
    std::unique_lock lock(state_->mutex);
    state_->done_signal.wait(lock, [this] { return state_->done; });
}

std::string Answer(std::string_view status_line, std::string_view body,
                   std::string_view extra_headers) {
    std::string answer(status_line);
    answer.append("\r\nContent-Length: ").append(std::to_string(body.size())).append("\r\n");
    answer.append(extra_headers);
    answer.append("\r\n").append(body);
    return answer;
}

}  // namespace vq::test
