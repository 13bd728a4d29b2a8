#pragma once
// The connection status the monitor window shows. It is a display state only: the worker never
// reads it, and every report of the worker becomes one assignment of it.

#include <cstdint>

namespace vq {

enum TConectionStatus : std::uint8_t {
    esOK,                   // access granted, account data shown
    esConecting,            // waiting for the worker's first report
    esConectionFailed,      // the local end of the connection keeps failing
    esServerInternalError,  // any other failed exchange
    esBlocked,              // the administrator blocked the account
    esOutOfBalance,         // balance exhausted on a limited account
    esSuspended,            // account suspended (no report produces it)
    esAuthFailed,           // the server refused the credentials
};

}  // namespace vq
