#pragma once
// The workstation's DNS domain on Linux, where Windows keeps it in the TCP/IP parameters: the
// part of the host's name after its first dot, else the resolver's "domain" line, else the first
// name of its "search" line. The about window shows it.

#include <string>
#include <string_view>

namespace vq {

// The domain named by the resolver configuration's text (resolv.conf), or empty text.
std::string DomainFromResolverConfig(std::string_view text);

// The domain from the host's name when it is fully qualified ("ws12.corp.example"), else from
// the resolver configuration's text.
std::string WorkstationDomain(std::string_view host_name, std::string_view resolver_config);

}  // namespace vq
