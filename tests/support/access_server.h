#pragma once
// The PHP reference access server (tools/access-server) on a loopback port, with its own copy of
// the accounts file and its own session folder, for as long as the object lives. Linux only.

#include <cstdint>
#include <filesystem>
#include <string>

namespace vq::test {

class AccessServer {
public:
    AccessServer();
    ~AccessServer();
    AccessServer(const AccessServer&) = delete;
    AccessServer& operator=(const AccessServer&) = delete;

    // "http://127.0.0.1:PORT/"
    std::string BaseUrl() const;
    const std::filesystem::path& AccountsFile() const { return accounts_; }
    // What the server wrote to its standard error (one line per request).
    std::string Log() const;

    void Stop();
    void Start();

private:
    std::filesystem::path folder_, accounts_;
    std::uint16_t port_ = 0;
    long pid_ = -1;
};

}  // namespace vq::test
