#include "identity/server_config.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <utility>

#include "formats/errors.h"
#include "formats/memory_registry.h"
#include "formats/utf8.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

using Type = RegistryValueType;

class FakeSources final : public ConfigSources {
public:
    const std::vector<std::u16string>& Arguments() const override { return arguments; }
    bool IniFileExists() const override { return ini_exists; }
    std::u16string ReadIniString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view default_value) const override {
        if (ini_unreadable) throw EFOpenError("Cannot open file \"vq.ini\"");
        const auto item = ini.find({std::u16string(section), std::u16string(key)});
        return item != ini.end() ? item->second : std::u16string(default_value);
    }
    Registry& PolicyRegistry() const override { return registry; }

    void SetIniServerName(std::u16string value) {
        ini_exists = true;
        ini[{u"server", u"ServerName"}] = std::move(value);
    }
    void SetPolicy(RegistryValue value) {
        registry.SetValue(RegistryRoot::CurrentUser, kPolicyKeyPath, u"ServerName",
                          std::move(value));
    }

    std::vector<std::u16string> arguments;
    bool ini_exists = false;
    bool ini_unreadable = false;
    std::map<std::pair<std::u16string, std::u16string>, std::u16string> ini;
    mutable MemoryRegistry registry;
};

class FakeTicks final : public TickSource {
public:
    std::uint32_t TickCount() const override { return now; }
    std::uint32_t now = 1000;
};

std::vector<std::u16string> Request(ServerConfig& config) {
    LineList lines;
    lines.Add(u"left over");  // the handler replaces whatever the list holds
    config.HandleGetServer(lines);
    return lines.Lines();
}

TEST(ServerConfig, ReadsTheFirstSourceThatAnswers) {
    struct Case {
        const char* name;
        std::vector<std::u16string> arguments;
        std::optional<std::u16string> ini_server_name;  // nullopt: no INI file
        std::map<std::pair<std::u16string, std::u16string>, std::u16string> other_ini_items;
        std::optional<RegistryValue> policy;  // nullopt: no policy key
        std::u16string expected;
    };
    const RegistryValue policy{Type::String, u"http://policy/"};
    const std::vector<Case> cases = {
        {"first matching argument wins",
         {u"a", u"server=URL1", u"server=URL2"},
         u"http://ini/",
         {},
         policy,
         u"URL1"},
        {"argument match is case-sensitive",
         {u"SERVER=URL"},
         u"http://ini/",
         {},
         policy,
         u"http://ini/"},
        {"bare server= gives empty text", {u"server="}, u"http://ini/", {}, policy, u""},
        {"copy starts at the 8th character", {u"-server=x"}, std::nullopt, {}, policy, u"=x"},
        {"argument text kept as is",
         {u"cdebug", u"server= http://a/ "},
         std::nullopt,
         {},
         std::nullopt,
         u" http://a/ "},
        {"INI value beats the registry", {u"cdebug"}, u"http://ini/", {}, policy, u"http://ini/"},
        {"empty INI value is kept", {}, u"", {}, policy, u""},
        {"INI without the item gives the default, registry ignored",
         {},
         std::nullopt,
         {{{u"other", u"ServerName"}, u"http://x/"}},
         policy,
         std::u16string(kDefaultServerName)},
        {"policy string", {}, std::nullopt, {}, policy, u"http://policy/"},
        {"expandable policy string is not expanded",
         {},
         std::nullopt,
         {},
         RegistryValue{Type::ExpandString, u"http://%HOST%/"},
         u"http://%HOST%/"},
        {"policy string cut at its first NUL",
         {},
         std::nullopt,
         {},
         RegistryValue{Type::String, std::u16string(u"http://a/\0b", 11)},
         u"http://a/"},
        {"no INI and no policy key", {}, std::nullopt, {}, std::nullopt, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSources sources;
        sources.arguments = c.arguments;
        if (c.ini_server_name) sources.SetIniServerName(*c.ini_server_name);
        for (const auto& [item, value] : c.other_ini_items) {
            sources.ini_exists = true;
            sources.ini[item] = value;
        }
        if (c.policy) sources.SetPolicy(*c.policy);
        FakeTicks ticks;
        ServerConfig config(sources, ticks);
        config.ReadServerConfig();
        EXPECT_EQ(config.ServerName(), c.expected);
        EXPECT_EQ(config.LastConfigRead(), ticks.now);
    }
}

TEST(ServerConfig, PolicyKeyWithoutTheValueGivesEmptyText) {
    FakeSources sources;
    sources.registry.SetValue(RegistryRoot::CurrentUser, kPolicyKeyPath, u"Other",
                              {Type::String, u"http://other/"});
    sources.arguments = {u"server=http://old/"};
    FakeTicks ticks;
    ServerConfig config(sources, ticks);
    config.ReadServerConfig();
    ASSERT_EQ(config.ServerName(), u"http://old/");

    // An empty result replaces the previous address: it is no failure.
    sources.arguments.clear();
    config.ReadServerConfig();
    EXPECT_EQ(config.ServerName(), u"");
}

TEST(ServerConfig, FailedReadKeepsTheAddressAndStampsTheAttempt) {
    struct Case {
        const char* name;
        void (*break_source)(FakeSources&);
    };
    const std::vector<Case> cases = {
        {"numeric policy value",
         [](FakeSources& s) {
             s.SetPolicy({Type::DWord, u""});
         }},
        {"multi-string policy value",
         [](FakeSources& s) {
             s.SetPolicy({Type::MultiString, u"a"});
         }},
        {"binary policy value",
         [](FakeSources& s) {
             s.SetPolicy({Type::Binary, u""});
         }},
        {"unreadable INI file", [](FakeSources& s) { s.ini_exists = s.ini_unreadable = true; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSources sources;
        sources.SetPolicy({Type::String, u"http://good/"});
        FakeTicks ticks;
        ServerConfig config(sources, ticks);
        config.ReadServerConfig();
        ASSERT_EQ(config.ServerName(), u"http://good/");

        c.break_source(sources);
        ticks.now = 777777;
        config.ReadServerConfig();
        EXPECT_EQ(config.ServerName(), u"http://good/");
        EXPECT_EQ(config.LastConfigRead(), 777777u);
    }
}

TEST(ServerConfig, PolicyValueOfAnotherTypeRaisesInvalidDataType) {
    MemoryRegistry registry;
    registry.SetValue(RegistryRoot::CurrentUser, kPolicyKeyPath, u"ServerName", {Type::QWord, u""});
    EXPECT_THAT([&] { return ReadPolicyServerName(registry); },
                test::ThrowsWithMessage<Exception>("Invalid data type for 'ServerName'"));
}

TEST(ServerConfig, RequestRereadsOnlyAfterFiveMinutes) {
    struct Case {
        const char* name;
        std::uint32_t last_read;
        std::uint32_t now;
        bool rereads;
    };
    const std::vector<Case> cases = {
        {"same tick", 5000, 5000, false},
        {"exactly 300000 ms later", 5000, 305000, false},
        {"300001 ms later", 5000, 305001, true},
        {"counter wrapped, 300000 ms", 0xFFFFFFFFu - 99999, 200000, false},
        {"counter wrapped, 300001 ms", 0xFFFFFFFFu - 99999, 200001, true},
        {"a clock behind the stamp looks like a long wait", 5000, 4999, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSources sources;
        sources.SetIniServerName(u"http://before/");
        FakeTicks ticks;
        ticks.now = c.last_read;
        ServerConfig config(sources, ticks);
        config.ReadServerConfig();

        sources.SetIniServerName(u"http://after/");
        ticks.now = c.now;
        const std::u16string expected = c.rereads ? u"http://after/" : u"http://before/";
        EXPECT_EQ(Request(config), std::vector<std::u16string>{expected});
        EXPECT_EQ(config.LastConfigRead(), c.rereads ? c.now : c.last_read);
    }
}

TEST(ServerConfig, ResetStampMakesTheFirstRequestReadAgainOnceTheSystemIsUpFiveMinutes) {
    struct Case {
        const char* name;
        std::uint32_t now;
        bool rereads;
    };
    const std::vector<Case> cases = {
        {"system up 300000 ms", 300000, false},
        {"system up 300001 ms", 300001, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSources sources;
        sources.arguments = {u"server=http://before/"};
        FakeTicks ticks;
        ticks.now = c.now;
        ServerConfig config(sources, ticks);
        config.ReadServerConfig();
        config.ResetLastConfigRead();
        EXPECT_EQ(config.LastConfigRead(), 0u);

        sources.arguments = {u"server=http://after/"};
        EXPECT_EQ(Request(config)[0], c.rereads ? u"http://after/" : u"http://before/");
    }
}

TEST(ServerConfig, BrokenPolicyValueIsRetriedOnlyAfterFiveMinutes) {
    FakeSources sources;
    sources.SetPolicy({Type::String, u"http://old/"});
    FakeTicks ticks;
    ServerConfig config(sources, ticks);
    config.ReadServerConfig();

    sources.SetPolicy({Type::DWord, u""});
    ticks.now += 300001;
    EXPECT_EQ(Request(config), std::vector<std::u16string>{u"http://old/"});
    EXPECT_EQ(config.LastConfigRead(), ticks.now);

    sources.SetPolicy({Type::String, u"http://new/"});
    ticks.now += 300000;
    EXPECT_EQ(Request(config), std::vector<std::u16string>{u"http://old/"});
    ticks.now += 1;
    EXPECT_EQ(Request(config), std::vector<std::u16string>{u"http://new/"});
}

TEST(ServerConfig, RequestFillsTheLineListWithTheAddress) {
    struct Case {
        const char* name;
        std::u16string argument;
        std::vector<std::u16string> lines;
    };
    const std::vector<Case> cases = {
        {"one line", u"server=http://gate/", {u"http://gate/"}},
        {"empty address leaves the list empty", u"server=", {}},
        {"line breaks give several lines",
         u"server=http://a/\r\nhttp://b/\nc",
         {u"http://a/", u"http://b/", u"c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSources sources;
        sources.arguments = {c.argument};
        FakeTicks ticks;
        ServerConfig config(sources, ticks);
        config.ReadServerConfig();
        EXPECT_EQ(Request(config), c.lines);
    }
}

TEST(ServerConfig, IniPathReplacesTheExtension) {
    struct Case {
        std::u16string executable;
        std::u16string ini;
    };
    const std::vector<Case> cases = {
        {u"C:\\Program Files\\vq\\vq.exe", u"C:\\Program Files\\vq\\vq.ini"},
        {u"C:\\vq\\vq.client.exe", u"C:\\vq\\vq.client.ini"},
        {u"C:\\vq.d\\vq", u"C:\\vq.d\\vq.ini"},
        {u"C:/tools.x/vq", u"C:/tools.x/vq.ini"},
        {u"C:vq", u"C:vq.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.executable));
        EXPECT_EQ(ConfigIniPath(c.executable), c.ini);
    }
}

}  // namespace
}  // namespace vq
