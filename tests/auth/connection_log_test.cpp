#include "auth/connection_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "auth/in_out_error.h"
#include "auth/log_platform.h"
#include "formats/ansi_code_page.h"
#include "formats/utf8.h"

namespace vq {
namespace {

namespace fs = std::filesystem;

std::u16string U16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The real folders and files of this platform, with a date and time format that shows which
// parts of the line come from the formatter, and the code page of a Russian workstation.
class FakeLogPlatform final : public LogPlatform {
public:
    std::u16string FormatShortDate(const LocalDateTime& m) override {
        return U16(std::to_string(m.year) + "|" + std::to_string(m.month) + "|" +
                   std::to_string(m.day));
    }
    std::u16string FormatLongTime(const LocalDateTime& m) override {
        return U16(std::to_string(m.hour) + "h" + std::to_string(m.minute) + "m" +
                   std::to_string(m.second) + "s");
    }
    char16_t PathSeparator() const override { return SystemLogPlatform().PathSeparator(); }
    void CreateDirectories(std::u16string_view path) override {
        ++directories_created;
        SystemLogPlatform().CreateDirectories(path);
    }
    std::unique_ptr<LogFile> OpenForAppend(std::u16string_view path) override {
        return SystemLogPlatform().OpenForAppend(path);
    }
    const AnsiCodePage& CodePage() const override { return Windows1251CodePage(); }

    int directories_created = 0;
};

const LocalDateTime kAfternoon{2026, 12, 10, 14, 3, 7, 250};

// Every test gets an empty folder of its own that stands for the executable's directory.
class ConnectionLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / ("vq-log-" + std::string(test->name()) + "-" +
                                               std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::u16string ExeDir() const { return folder_.u16string(); }
    fs::path LogFolder() const { return folder_ / "Log"; }
    fs::path LogFile() const { return LogFolder() / "ConectionsErrors.log"; }

    static std::string ReadAll(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path folder_;
    FakeLogPlatform platform_;
    FixedLocalClock clock_{kAfternoon};
};

TEST_F(ConnectionLogTest, StaysOffUnlessTheFirstArgumentIsExactlyCdebug) {
    struct Case {
        const char* name;
        std::vector<std::u16string> arguments;
    };
    const std::vector<Case> cases = {
        {"no arguments", {}},
        {"server address first", {u"server=http://10.0.0.1/"}},
        {"capitals", {u"CDEBUG"}},
        {"mixed case", {u"Cdebug"}},
        {"with a blank", {u"cdebug "}},
        {"empty first", {u"", u"cdebug"}},
        {"second place", {u"server=http://10.0.0.1/", u"cdebug"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FileConnectionLog log(c.arguments, ExeDir(), platform_, clock_);
        EXPECT_FALSE(log.Enabled());
        log.Write(kLogWorkerStarted);
        log.Write(u"Connection refused");
        EXPECT_EQ(platform_.directories_created, 0);
        EXPECT_FALSE(fs::exists(LogFolder()));
        EXPECT_TRUE(fs::is_empty(folder_));
    }
}

TEST_F(ConnectionLogTest, CreatesTheFolderOnFirstWriteAndAddsOneLinePerCall) {
    const std::vector<std::u16string> arguments = {u"cdebug", u"server=http://10.0.0.1/"};
    FileConnectionLog log(arguments, ExeDir(), platform_, clock_);
    ASSERT_FALSE(fs::exists(LogFolder()));
    EXPECT_TRUE(log.Enabled());

    log.Write(u"start");
    EXPECT_TRUE(fs::is_directory(LogFolder()));
    log.Write(u"Connection refused");
    log.Write(u"end");

    EXPECT_EQ(ReadAll(LogFile()),
              "2026|12|10 14h3m7s: start\r\n"
              "2026|12|10 14h3m7s: Connection refused\r\n"
              "2026|12|10 14h3m7s: end\r\n");
}

TEST_F(ConnectionLogTest, CreatesMissingParentsOfTheFolder) {
    const std::vector<std::u16string> arguments = {u"cdebug"};
    const fs::path exe_dir = folder_ / "Program Files" / "vq";
    FileConnectionLog log(arguments, exe_dir.u16string(), platform_, clock_);
    log.Write(u"start");
    EXPECT_EQ(ReadAll(exe_dir / "Log" / "ConectionsErrors.log"), "2026|12|10 14h3m7s: start\r\n");
}

TEST_F(ConnectionLogTest, FormatsTheLine) {
    struct Case {
        const char* name;
        LocalDateTime moment;
        std::u16string message;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"afternoon", kAfternoon, u"Connection refused",
         "2026|12|10 14h3m7s: Connection refused\r\n"},
        // In the first second after midnight only the date is shown, whatever the milliseconds.
        {"midnight", {2026, 12, 10, 0, 0, 0, 999}, u"x", "2026|12|10: x\r\n"},
        {"one second past", {2026, 12, 10, 0, 0, 1, 0}, u"x", "2026|12|10 0h0m1s: x\r\n"},
        {"one minute past", {2026, 12, 10, 0, 1, 0, 0}, u"x", "2026|12|10 0h1m0s: x\r\n"},
        {"one hour past", {2026, 12, 10, 1, 0, 0, 0}, u"x", "2026|12|10 1h0m0s: x\r\n"},
        {"empty message", kAfternoon, u"", "2026|12|10 14h3m7s: \r\n"},
        // The server's own line breaks stay; only the first line carries the date.
        {"several lines", kAfternoon, u"HTTP/1.0 500\r\nInternal error\nat line 3",
         "2026|12|10 14h3m7s: HTTP/1.0 500\r\nInternal error\nat line 3\r\n"},
    };
    const std::vector<std::u16string> arguments = {u"cdebug"};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.name);
        const fs::path exe_dir = folder_ / std::to_string(i);
        const FixedLocalClock clock(c.moment);
        FileConnectionLog log(arguments, exe_dir.u16string(), platform_, clock);
        log.Write(c.message);
        EXPECT_EQ(ReadAll(exe_dir / "Log" / "ConectionsErrors.log"), c.line);
    }
}

TEST_F(ConnectionLogTest, WritesInTheAnsiCodePageWithQuestionMarksForMissingCharacters) {
    const std::vector<std::u16string> arguments = {u"cdebug"};
    FileConnectionLog log(arguments, ExeDir(), platform_, clock_);
    log.Write(kLogWorkerStarted);
    log.Write(u"Сбой 中");
    EXPECT_EQ(ReadAll(LogFile()),
              "2026|12|10 14h3m7s: "
              "\xCD\xE0\xF7\xE0\xEB\xEE \xF0\xE0\xE1\xEE\xF2\xFB \xEF\xEE\xF2\xEE\xEA\xE0 "
              "\xE0\xE2\xF2\xEE\xF0\xE8\xE7\xE0\xF6\xE8\xE8\r\n"
              "2026|12|10 14h3m7s: \xD1\xE1\xEE\xE9 ?\r\n");
}

TEST_F(ConnectionLogTest, AppendsToWhatTheFileHolds) {
    fs::create_directories(LogFolder());
    std::ofstream(LogFile(), std::ios::binary) << "earlier run\r\n";
    const std::vector<std::u16string> arguments = {u"cdebug"};
    FileConnectionLog(arguments, ExeDir(), platform_, clock_).Write(u"one");
    FileConnectionLog(arguments, ExeDir(), platform_, clock_).Write(u"two");
    EXPECT_EQ(ReadAll(LogFile()),
              "earlier run\r\n2026|12|10 14h3m7s: one\r\n2026|12|10 14h3m7s: two\r\n");
}

TEST_F(ConnectionLogTest, LooksAtTheArgumentsAnewOnEveryCall) {
    std::vector<std::u16string> arguments = {u"cdebug"};
    FileConnectionLog log(arguments, ExeDir(), platform_, clock_);
    log.Write(u"one");
    arguments = {u"server=http://10.0.0.1/"};
    log.Write(u"two");
    arguments = {};
    log.Write(u"three");
    arguments = {u"cdebug"};
    log.Write(u"four");
    EXPECT_EQ(ReadAll(LogFile()), "2026|12|10 14h3m7s: one\r\n2026|12|10 14h3m7s: four\r\n");

    int asked = 0;
    FileConnectionLog provided(
        [&asked] {
            ++asked;
            return std::vector<std::u16string>{};
        },
        ExeDir(), platform_, clock_);
    provided.Write(u"five");
    provided.Write(u"six");
    EXPECT_EQ(asked, 2);
}

TEST_F(ConnectionLogTest, BuildsThePathWithOrWithoutTheTrailingSeparator) {
    const char16_t separator = SystemLogPlatform().PathSeparator();
    const std::u16string expected =
        std::u16string(u"base") + separator + u"Log" + separator + u"ConectionsErrors.log";
    const std::vector<std::u16string> arguments;
    for (const std::u16string& dir :
         {std::u16string(u"base"), u"base" + std::u16string(1, separator)}) {
        SCOPED_TRACE(Utf16ToUtf8(dir));
        EXPECT_EQ(FileConnectionLog(arguments, dir, platform_, clock_).FilePath(), expected);
    }
}

TEST_F(ConnectionLogTest, RaisesAnInOutErrorNamingTheFileWhenItCannotBeOpened) {
    struct Case {
        const char* name;
        void (*prepare)(const fs::path& log_folder);
    };
    const std::vector<Case> cases = {
        {"a folder where the file should be",
         [](const fs::path& log_folder) {
             fs::create_directories(log_folder / "ConectionsErrors.log");
         }},
        // The folder cannot be created, which shows only when the file is opened.
        {"a file where the folder should be",
         [](const fs::path& log_folder) { std::ofstream(log_folder) << "not a folder"; }},
    };
    const std::vector<std::u16string> arguments = {u"cdebug"};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.name);
        const fs::path exe_dir = folder_ / (u"Журнал " + U16(std::to_string(i)));
        fs::create_directories(exe_dir);
        c.prepare(exe_dir / "Log");
        FileConnectionLog log(arguments, exe_dir.u16string(), platform_, clock_);
        try {
            log.Write(u"start");
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& error) {
            EXPECT_NE(error.error_code(), 0);
            const std::string text = error.what();
            EXPECT_NE(text.find("Cannot open the log file"), std::string::npos) << text;
            EXPECT_NE(text.find(Utf16ToUtf8(log.FilePath())), std::string::npos) << text;
            EXPECT_NE(text.find("(OS error " + std::to_string(error.error_code()) + ")"),
                      std::string::npos)
                << text;
        }
    }
}

TEST_F(ConnectionLogTest, ShutsOutASecondWriterWhileTheFileIsOpen) {
    const std::vector<std::u16string> arguments = {u"cdebug"};
    FileConnectionLog log(arguments, ExeDir(), platform_, clock_);
    log.Write(u"one");
    {
        // Another instance's worker in the middle of its write.
        const auto held = SystemLogPlatform().OpenForAppend(log.FilePath());
        EXPECT_THROW(log.Write(u"two"), EInOutError);
        held->Write("other\r\n");
        held->Close();
    }
    log.Write(u"three");
    EXPECT_EQ(ReadAll(LogFile()),
              "2026|12|10 14h3m7s: one\r\nother\r\n2026|12|10 14h3m7s: three\r\n");
}

TEST_F(ConnectionLogTest, PortablePlatformFormatsAsARussianLocaleDoes) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows formats with the user's locale (see the Win32 tests)";
#else
    auto& platform = SystemLogPlatform();
    EXPECT_EQ(platform.FormatShortDate({2026, 3, 5, 9, 4, 7, 0}), u"05.03.2026");
    EXPECT_EQ(platform.FormatLongTime({2026, 3, 5, 9, 4, 7, 0}), u"09:04:07");
    EXPECT_EQ(platform.FormatLongTime({2026, 3, 5, 23, 59, 59, 0}), u"23:59:59");

    const std::vector<std::u16string> arguments = {u"cdebug"};
    FileConnectionLog(arguments, ExeDir(), platform, clock_).Write(u"start");
    FileConnectionLog(arguments, ExeDir(), platform, FixedLocalClock({2027, 1, 1, 0, 0, 0, 0}))
        .Write(u"end");
    // Linux text files are UTF-8: Russian messages keep their letters.
    FileConnectionLog(arguments, ExeDir(), platform, clock_).Write(kLogWorkerStarted);
    EXPECT_EQ(ReadAll(LogFile()),
              "10.12.2026 14:03:07: start\r\n01.01.2027: end\r\n10.12.2026 14:03:07: " +
                  Utf16ToUtf8(kLogWorkerStarted) + "\r\n");
    EXPECT_EQ(platform.CodePage().Encode(u"Начало"),
              "\xD0\x9D\xD0\xB0\xD1\x87\xD0\xB0\xD0\xBB\xD0\xBE");
#endif
}

}  // namespace
}  // namespace vq
