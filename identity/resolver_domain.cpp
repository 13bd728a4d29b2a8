#include "identity/resolver_domain.h"

#include <sstream>

namespace vq {

std::string DomainFromResolverConfig(std::string_view text) {
    std::istringstream lines{std::string(text)};
    std::string line;
    std::string domain, search;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string keyword, first;
        words >> keyword >> first;
        // As the resolver reads it: the last "domain" or "search" line is the one that counts.
        if (keyword == "domain") {
            domain = first;
        } else if (keyword == "search") {
            search = first;
        }
    }
    return domain.empty() ? search : domain;
}

std::string WorkstationDomain(std::string_view host_name, std::string_view resolver_config) {
    const std::size_t dot = host_name.find('.');
    if (dot != std::string_view::npos && dot + 1 < host_name.size())
        return std::string(host_name.substr(dot + 1));
    return DomainFromResolverConfig(resolver_config);
}

}  // namespace vq
