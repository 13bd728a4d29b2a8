// The start-up header: the display name, or the account name when there is none.

#include <gtest/gtest.h>

#include "tests/identity/fake_identity_platform.h"
#include "ui/header_name.h"

namespace vq {
namespace {

TEST(HeaderName, DisplayNameFirstThenAccountNameThenEmpty) {
    test::FakeIdentityPlatform platform;
    platform.names[NameFormat::SamCompatible] = u"TEST\\ivanov";
    EXPECT_EQ(HeaderUserName(platform), u"TEST\\ivanov");
    platform.names[NameFormat::Display] = u"Иванов Иван";
    EXPECT_EQ(HeaderUserName(platform), u"Иванов Иван");
    platform.names.clear();
    EXPECT_EQ(HeaderUserName(platform), u"");
}

}  // namespace
}  // namespace vq
