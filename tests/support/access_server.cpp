#include "tests/support/access_server.h"

#ifndef _WIN32

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include "formats/byte_stream.h"

namespace vq::test {

namespace fs = std::filesystem;
namespace asio = boost::asio;
using tcp = asio::ip::tcp;

namespace {

std::uint16_t FreePort() {
    asio::io_context context;
    tcp::acceptor acceptor(context, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    return acceptor.local_endpoint().port();
}

bool Accepts(std::uint16_t port) {
    asio::io_context context;
    tcp::socket socket(context);
    boost::system::error_code error;
    socket.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port), error);
    return !error;
}

}  // namespace

AccessServer::AccessServer() {
    folder_ = fs::temp_directory_path() /
              ("vq-access-" + std::to_string(::getpid()) + "-" + std::to_string(std::rand()));
    fs::create_directories(folder_ / "sessions");
    accounts_ = folder_ / "accounts.ini";
    fs::copy_file(fs::path(VQ_SOURCE_DIR) / "tools/access-server/accounts.ini", accounts_,
                  fs::copy_options::overwrite_existing);
    port_ = FreePort();
    Start();
}

AccessServer::~AccessServer() {
    Stop();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

void AccessServer::Start() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("VQ_ACCOUNTS_FILE", accounts_.c_str(), 1);
        const std::string listen = "127.0.0.1:" + std::to_string(port_);
        const std::string sessions = "session.save_path=" + (folder_ / "sessions").string();
        const std::string root = std::string(VQ_SOURCE_DIR) + "/tools/access-server";
        const std::string log = (folder_ / "server.log").string();
        if (!std::freopen(log.c_str(), "a", stderr) || !std::freopen("/dev/null", "w", stdout))
            ::_exit(126);
        ::execlp("php", "php", "-d", sessions.c_str(), "-S", listen.c_str(), "-t", root.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    pid_ = pid;
    for (int i = 0; i < 200 && !Accepts(port_); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
}

void AccessServer::Stop() {
    if (pid_ <= 0) return;
    ::kill(static_cast<pid_t>(pid_), SIGTERM);
    ::waitpid(static_cast<pid_t>(pid_), nullptr, 0);
    pid_ = -1;
}

std::string AccessServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

std::string AccessServer::Log() const {
    try {
        return ReadFileBytes(folder_ / "server.log");
    } catch (...) {
        return {};
    }
}

}  // namespace vq::test

#endif
