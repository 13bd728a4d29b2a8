#include "identity/resolver_domain.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(WorkstationDomainTest, FromTheHostNameElseTheResolver) {
    const struct {
        const char* host;
        const char* resolver;
        const char* expected;
    } cases[] = {
        {"ws12.corp.example", "search other.example\n", "corp.example"},
        {"ws12", "nameserver 10.0.0.1\ndomain corp.example\n", "corp.example"},
        {"ws12", "search corp.example lab.example\n", "corp.example"},
        {"ws12", "domain a.example\nsearch b.example\n", "a.example"},
        {"ws12", "search a.example\nsearch b.example\n", "b.example"},
        {"ws12.", "# domain commented.example\n", ""},
        {"ws12", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WorkstationDomain(c.host, c.resolver), c.expected)
            << c.host << " / " << c.resolver;
}

}  // namespace
}  // namespace vq
