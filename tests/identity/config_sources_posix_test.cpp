#include "identity/config_sources_posix.h"

#include <sys/stat.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "formats/errors.h"
#include "identity/server_config.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

class FixedTicks final : public TickSource {
public:
    std::uint32_t TickCount() const override { return 1000; }
};

class PosixConfigSourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("vq-ini-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path Ini() const { return folder_ / "vq.ini"; }
    void WriteIni(const std::string& text) const { std::ofstream(Ini(), std::ios::binary) << text; }

    // The address a fresh ServerConfig reads from these sources.
    std::u16string Address(std::vector<std::u16string> arguments) const {
        const PosixConfigSources sources(std::move(arguments), Ini());
        const FixedTicks ticks;
        ServerConfig config(sources, ticks);
        config.ReadServerConfig();
        return config.ServerName();
    }

    fs::path folder_;
};

TEST_F(PosixConfigSourcesTest, ArgumentThenSystemFileThenTheBuiltInDefault) {
    EXPECT_EQ(Address({}), kDefaultServerName) << "no file";
    WriteIni("; the access server\n[server]\nServerName=http://file/\n");
    EXPECT_EQ(Address({}), u"http://file/");
    EXPECT_EQ(Address({u"cdebug", u"server=http://argument/"}), u"http://argument/");
    WriteIni("[other]\nServerName=http://file/\n");
    EXPECT_EQ(Address({}), kDefaultServerName) << "file without the item";
    fs::remove(Ini());
    fs::create_symlink(folder_ / "missing.ini", Ini());
    EXPECT_EQ(Address({}), kDefaultServerName) << "dangling link";
}

TEST_F(PosixConfigSourcesTest, RaisesForAFileThatIsThereButCannotBeRead) {
    struct Case {
        const char* name;
        void (*prepare)(const fs::path& ini);
        const char* why;
    };
    const std::vector<Case> cases = {
        {"a folder", [](const fs::path& ini) { fs::create_directory(ini); }, "not a regular file"},
        // Opened without O_NONBLOCK, a FIFO would wait here for a writer for ever.
        {"a FIFO", [](const fs::path& ini) { ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0); },
         "not a regular file"},
        {"larger than the cap",
         [](const fs::path& ini) {
             std::ofstream(ini, std::ios::binary) << "[server]\nServerName=http://a/\n"
                                                  << std::string(kIniFileMaxBytes, ';');
         },
         "larger than"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ignored;
        fs::remove_all(Ini(), ignored);
        c.prepare(Ini());
        const PosixConfigSources sources({}, Ini());
        EXPECT_THAT([&] { return sources.ReadIniString(u"server", u"ServerName", u"d"); },
                    test::ThrowsWithMessage<EFOpenError>(HasSubstr(c.why)));
    }
    // A path through a file: the folder cannot exist, but that is not "missing".
    const PosixConfigSources through_file({}, folder_ / "vq.ini" / "x.ini");
    EXPECT_THROW(through_file.ReadIniString(u"server", u"ServerName", u"d"), EFOpenError);
}

TEST_F(PosixConfigSourcesTest, AFailedReadKeepsTheAddressItHad) {
    WriteIni("[server]\nServerName=http://before/\n");
    const PosixConfigSources sources({}, Ini());
    const FixedTicks ticks;
    ServerConfig config(sources, ticks);
    config.ReadServerConfig();
    fs::remove(Ini());
    fs::create_directory(Ini());
    config.ReadServerConfig();
    EXPECT_EQ(config.ServerName(), u"http://before/");
}

TEST(PosixConfigSources, ReadsTheSystemFileByDefaultAndHasNoPolicyKey) {
    const PosixConfigSources sources({u"a"});
    EXPECT_EQ(sources.IniPath(), "/etc/vq/vq.ini");
    EXPECT_EQ(sources.Arguments(), std::vector<std::u16string>{u"a"});
    EXPECT_EQ(ReadPolicyServerName(sources.PolicyRegistry()), u"");
}

// The example /etc/vq/vq.ini of the package: VQ_EXAMPLE_INI names an unpacked copy
// (tests/tools/deb_check.sh), or the one in the source tree is read.
TEST_F(PosixConfigSourcesTest, ShippedExampleGivesTheDefaultUntilItsLineIsUncommented) {
    const char* unpacked = std::getenv("VQ_EXAMPLE_INI");
    const fs::path example =
        unpacked ? fs::path(unpacked) : fs::path(VQ_SOURCE_DIR) / "installer/linux/vq.ini";
    std::ifstream in(example, std::ios::binary);
    ASSERT_TRUE(in) << example;
    const std::string text{std::istreambuf_iterator<char>(in), {}};

    WriteIni(text);
    const PosixConfigSources sources({}, Ini());
    EXPECT_EQ(sources.ReadIniString(kIniSection, kServerNameItem, u"(absent)"), u"(absent)");

    // What an administrator does: take the comment mark off the ServerName line.
    const std::string commented = "; ServerName=";
    const auto line = text.find("\n" + commented);
    ASSERT_NE(line, std::string::npos) << "no commented ServerName line";
    WriteIni(text.substr(0, line + 1) + text.substr(line + 1 + 2));
    EXPECT_EQ(sources.ReadIniString(kIniSection, kServerNameItem, u"(absent)"), kDefaultServerName);
}

}  // namespace
}  // namespace vq
