#include "identity/winbind_domain_name_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vq {
namespace {

namespace fs = std::filesystem;

// A folder of stand-ins for wbinfo, removed with the test.
class WinbindDomainNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vq-wbinfo-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A shell script that checks it was asked for the own domain, then runs body.
    std::string Program(const std::string& name, const std::string& body) {
        const fs::path path = folder_ / name;
        std::ofstream(path) << "#!/bin/sh\n[ \"$1\" = --own-domain ] || exit 9\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }

    fs::path folder_;
};

TEST_F(WinbindDomainNameTest, TheFirstLineOfASuccessfulAnswer) {
    struct Case {
        const char* name;
        std::string body;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"one line", "echo CORP", u"CORP"},
        {"spaces and CR around it", "printf ' CORP \\r\\nmore\\n'", u"CORP"},
        {"no line end", "printf CORP", u"CORP"},
        {"an empty answer", "true", u""},
        {"a failing wbinfo (winbindd not running)",
         "echo 'failed to call wbcGetDomainInfo'; exit 1", u""},
        {"an answer beyond the bound", "head -c 5000 /dev/zero | tr '\\0' A", u""},
        {"no answer in time: killed, nothing late taken", "sleep 30; echo LATE", u""},
        {"the output closed, still running past the limit", "echo CORP; exec >&-; sleep 30", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WinbindDomainName winbind(Program("wbinfo", c.body), std::chrono::milliseconds(300));
        EXPECT_EQ(winbind.ShortDomainName(), c.expected);
    }
}

TEST_F(WinbindDomainNameTest, NoWbinfoNoAnswer) {
    WinbindDomainName missing((folder_ / "wbinfo").string());
    EXPECT_EQ(missing.ShortDomainName(), u"");
    WinbindDomainName not_in_path("vq-no-such-program-here");
    EXPECT_EQ(not_in_path.ShortDomainName(), u"");
}

}  // namespace
}  // namespace vq
