#include "identity/configured_domain_name.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

#include "formats/errors.h"
#include "formats/memory_registry.h"

namespace vq {
namespace {

class IniOnlySources final : public ConfigSources {
public:
    const std::vector<std::u16string>& Arguments() const override { return arguments_; }
    bool IniFileExists() const override { return exists; }
    std::u16string ReadIniString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view default_value) const override {
        if (unreadable) throw EFOpenError("Cannot open file \"/etc/vq/vq.ini\"");
        if (section == u"identity" && key == u"Domain" && domain) return *domain;
        return std::u16string(default_value);
    }
    Registry& PolicyRegistry() const override { return registry_; }

    bool exists = true;
    bool unreadable = false;
    std::optional<std::u16string> domain;

private:
    std::vector<std::u16string> arguments_;
    mutable MemoryRegistry registry_;
};

class CountingSource final : public DomainNameSource {
public:
    std::u16string ShortDomainName() noexcept override {
        ++asked;
        return u"WINBIND";
    }
    int asked = 0;
};

TEST(ConfiguredDomainNameTest, TheSettingFirstThenTheOtherSource) {
    struct Case {
        const char* name;
        bool exists;
        bool unreadable;
        std::optional<std::u16string> domain;
        std::u16string expected;
        int other_asked;
    };
    const std::vector<Case> cases = {
        {"the setting", true, false, u"CORP", u"CORP", 0},
        {"the setting without the editor's spaces", true, false, u" \tCORP ", u"CORP", 0},
        {"no such key", true, false, std::nullopt, u"WINBIND", 1},
        {"an empty value", true, false, u"  ", u"WINBIND", 1},
        {"no file", false, false, u"CORP", u"WINBIND", 1},
        {"an unreadable file", true, true, u"CORP", u"WINBIND", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IniOnlySources sources;
        sources.exists = c.exists;
        sources.unreadable = c.unreadable;
        sources.domain = c.domain;
        CountingSource winbind;
        ConfiguredDomainName domain(sources, winbind);
        EXPECT_EQ(domain.ShortDomainName(), c.expected);
        EXPECT_EQ(winbind.asked, c.other_asked);
    }
}

}  // namespace
}  // namespace vq
