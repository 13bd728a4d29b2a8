#include "formats/memory_registry.h"

#include <gtest/gtest.h>

#include "formats/errors.h"

namespace vq {
namespace {

using Type = RegistryValueType;

TEST(MemoryRegistry, KeysAndValueNamesIgnoreCaseAndKeepTheirOrder) {
    MemoryRegistry registry;
    const auto root = RegistryRoot::CurrentUser;
    EXPECT_EQ(registry.OpenKey(root, u"Software\\Tolmar", false, false), nullptr);

    auto key = registry.OpenKey(root, u"Software\\Tolmar\\vq", true, true);
    ASSERT_NE(key, nullptr);
    key->WriteString(u"ServerName", u"http://a/");
    key->WriteString(u"Другое", u"1");
    key->WriteString(u"SERVERNAME", u"http://b/");

    EXPECT_TRUE(registry.KeyExists(root, u"software\\TOLMAR")) << "parents are created";
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, u"Software\\Tolmar\\vq"));
    const auto again = registry.OpenKey(root, u"\\SOFTWARE\\tolmar\\VQ\\", false, false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->ValueNames(), (std::vector<std::u16string>{u"ServerName", u"Другое"}));
    EXPECT_EQ(again->ReadValue(u"servername"), (RegistryValue{Type::String, u"http://b/"}));
    EXPECT_EQ(again->ReadValue(u"другое"), (RegistryValue{Type::String, u"1"}));
    EXPECT_EQ(again->ReadValue(u"missing"), std::nullopt);
}

TEST(MemoryRegistry, ReadOnlyKeysAndDeniedWritesBehaveAsOnWindows) {
    MemoryRegistry registry;
    const auto root = RegistryRoot::LocalMachine;
    registry.SetValue(root, u"SYSTEM\\Params", u"Count", {Type::DWord, u""});
    const auto read_only = registry.OpenKey(root, u"SYSTEM\\Params", false, false);
    ASSERT_NE(read_only, nullptr);
    EXPECT_EQ(read_only->ReadValue(u"count"), (RegistryValue{Type::DWord, u""}));
    EXPECT_THROW(read_only->WriteString(u"x", u"y"), Exception);

    registry.SetWritable(false);
    EXPECT_EQ(registry.OpenKey(root, u"SYSTEM\\Params", true, true), nullptr);
    EXPECT_EQ(registry.OpenKey(root, u"SYSTEM\\Other", true, true), nullptr);
    EXPECT_FALSE(registry.KeyExists(root, u"SYSTEM\\Other"));
    EXPECT_NE(registry.OpenKey(root, u"SYSTEM\\Params", false, false), nullptr);
}

#ifndef _WIN32
// (The Windows registry has a test of its own.)
TEST(PlatformRegistry, HasNoKeysWithoutWindows) {
    EXPECT_EQ(PlatformRegistry().OpenKey(RegistryRoot::CurrentUser, u"Software", true, true),
              nullptr);
}
#endif

}  // namespace
}  // namespace vq
