#pragma once
// Which failures of a connection attempt are local socket failures: the local end of the
// connection could not be set up (its address and port in use, no ephemeral port or buffer left,
// no descriptor left, an address family the system does not offer). The worker counts these
// silently a few times; every other failure (refused, timed out, unreachable, unknown name) is
// reported at once.

#include <boost/system/error_code.hpp>

namespace vq {

bool IsLocalSocketFailure(const boost::system::error_code& error);

}  // namespace vq
