#include "auth/local_socket_failure.h"

#include <cerrno>

#include <boost/asio/error.hpp>

namespace vq {

namespace asio = boost::asio;

bool IsLocalSocketFailure(const boost::system::error_code& error) {
    // No local address or ephemeral port is left for the connection.
#ifdef _WIN32
    constexpr int kAddressNotAvailable = WSAEADDRNOTAVAIL;
#else
    constexpr int kAddressNotAvailable = EADDRNOTAVAIL;
#endif
    // The same names stand for the POSIX errno values and for the WSA codes on Windows.
    return error == asio::error::address_in_use ||   // EADDRINUSE / WSAEADDRINUSE
           error == asio::error::no_buffer_space ||  // ENOBUFS / WSAENOBUFS: no ports left
           error == asio::error::address_family_not_supported ||
           error == asio::error::no_descriptors ||  // EMFILE / WSAEMFILE
           error ==
               boost::system::error_code(kAddressNotAvailable, asio::error::get_system_category());
}

}  // namespace vq
