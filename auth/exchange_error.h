#pragma once
// The failure of one exchange with the access server. Its text is what the worker logs and
// reports; a local socket failure is the one kind the worker tolerates silently a few times.

#include <stdexcept>
#include <string>
#include <system_error>

namespace vq {

class ExchangeError : public std::runtime_error {
public:
    enum class Kind {
        Other,               // the server, the network or the answer failed
        LocalSocketFailure,  // the local end of the connection could not be set up
    };

    explicit ExchangeError(const std::string& text, Kind kind = Kind::Other)
        : std::runtime_error(text), kind_(kind) {}

    Kind kind() const { return kind_; }
    bool IsLocalSocketFailure() const { return kind_ == Kind::LocalSocketFailure; }

private:
    Kind kind_;
};

// True for the socket layer's errors that mean the local end could not be set up: the local
// address or port is in use or not available, no buffer space or ports are left.
bool IsLocalSocketError(const std::error_code& error);

}  // namespace vq
