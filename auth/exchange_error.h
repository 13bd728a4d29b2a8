#pragma once
// The failure of one exchange with the access server. Its text is what the worker logs and
// reports; a local socket failure is the one kind the worker tolerates silently a few times.

#include <stdexcept>
#include <string>

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

}  // namespace vq
