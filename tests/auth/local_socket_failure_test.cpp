// The socket errors of a connection attempt, as the system reports them, sorted into the local
// ones (counted silently by the worker) and the ones reported at once.

#include "auth/local_socket_failure.h"

#include <gtest/gtest.h>

#include <boost/asio/error.hpp>

namespace vq {
namespace {

namespace asio = boost::asio;

TEST(LocalSocketFailure, OnlyTheLocalEndsFailuresAreLocal) {
    const struct {
        const char* name;
        boost::system::error_code error;
        bool local;
    } cases[] = {
        {"address and port in use", asio::error::address_in_use, true},
        {"no ephemeral port or buffer left", asio::error::no_buffer_space, true},
        {"no descriptor left", asio::error::no_descriptors, true},
        {"address family not offered", asio::error::address_family_not_supported, true},
#ifdef _WIN32
        {"no local address", {WSAEADDRNOTAVAIL, asio::error::get_system_category()}, true},
#else
        {"no local address", {EADDRNOTAVAIL, asio::error::get_system_category()}, true},
#endif
        {"refused", asio::error::connection_refused, false},
        {"timed out", asio::error::timed_out, false},
        {"host unreachable", asio::error::host_unreachable, false},
        {"network unreachable", asio::error::network_unreachable, false},
        {"reset", asio::error::connection_reset, false},
        {"unknown name", asio::error::host_not_found, false},
        {"end of stream", asio::error::eof, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsLocalSocketFailure(c.error), c.local);
    }
}

}  // namespace
}  // namespace vq
