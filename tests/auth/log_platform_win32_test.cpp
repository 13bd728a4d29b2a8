#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "auth/connection_log.h"
#include "auth/in_out_error.h"
#include "auth/log_platform.h"
#include "formats/ansi_code_page.h"
#include "formats/wide_text_win32.h"
#include "tests/support/throws_with_message.h"
#include "tests/support/workstation_win32.h"

namespace vq {
namespace {

namespace fs = std::filesystem;

// The moment as GetDateFormatW / GetTimeFormatW show it for the user's locale.
std::u16string Win32Format(const LocalDateTime& m, bool date) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(m.year);
    time.wMonth = static_cast<WORD>(m.month);
    time.wDay = static_cast<WORD>(m.day);
    time.wHour = static_cast<WORD>(m.hour);
    time.wMinute = static_cast<WORD>(m.minute);
    time.wSecond = static_cast<WORD>(m.second);
    wchar_t text[128] = {};
    const int n =
        date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 128)
             : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, 128);
    EXPECT_GT(n, 1);
    return FromWide(text);
}

// Each test gets a fresh folder under the Windows temporary folder.
class Win32LogPlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / ("vq-log-win32-" + std::string(test->name()) + "-" +
                                               std::to_string(GetCurrentProcessId()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    static std::string ReadAll(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path folder_;
};

TEST_F(Win32LogPlatformTest, FormatsWithTheUserLocale) {
    auto& platform = SystemLogPlatform();
    const LocalDateTime moment{2026, 12, 10, 14, 3, 7, 0};
    const std::u16string date = platform.FormatShortDate(moment);
    const std::u16string time = platform.FormatLongTime(moment);
    EXPECT_EQ(date, Win32Format(moment, true));
    EXPECT_EQ(time, Win32Format(moment, false));
    // Whatever the locale, the day and the minute are there.
    EXPECT_NE(date.find(u"10"), std::u16string::npos);
    EXPECT_NE(time.find(u"03"), std::u16string::npos);
    EXPECT_EQ(platform.PathSeparator(), u'\\');
}

TEST_F(Win32LogPlatformTest, WritesTheLogWithBackslashesAndTheLocaleDate) {
    const std::vector<std::u16string> arguments = {u"cdebug"};
    const std::u16string exe_dir = FromWide(folder_.wstring()) + u"\\bin\\";
    const LocalDateTime afternoon{2026, 12, 10, 14, 3, 7, 0};
    const LocalDateTime midnight{2026, 12, 11, 0, 0, 0, 0};
    const FixedLocalClock clock(afternoon);
    FileConnectionLog log(arguments, exe_dir, SystemLogPlatform(), clock);
    EXPECT_EQ(log.FilePath(), exe_dir + u"Log\\ConectionsErrors.log");
    log.Write(u"start");
    FileConnectionLog(arguments, exe_dir, SystemLogPlatform(), FixedLocalClock(midnight))
        .Write(u"end");

    const std::u16string expected = Win32Format(afternoon, true) + u" " +
                                    Win32Format(afternoon, false) + u": start\r\n" +
                                    Win32Format(midnight, true) + u": end\r\n";
    EXPECT_EQ(ReadAll(folder_ / "bin" / "Log" / "ConectionsErrors.log"),
              SystemAnsiCodePage().Encode(expected));
}

// On a Russian workstation the log is Windows-1251 byte for byte (checked against the code page's
// own table, not the system's conversion), with the Russian short date and long time.
TEST_F(Win32LogPlatformTest, RussianWorkstationWritesWindows1251AndTheRussianDate) {
    if (!test::IsRussianWorkstation())
        GTEST_SKIP() << "needs ANSI code page 1251 (the Russian Wine run)";
    const std::vector<std::u16string> arguments = {u"cdebug"};
    const FixedLocalClock clock(LocalDateTime{2026, 12, 10, 14, 3, 7, 0});
    FileConnectionLog log(arguments, FromWide(folder_.wstring()) + u"\\", SystemLogPlatform(),
                          clock);
    log.Write(u"Начало работы потока авторизации");
    log.Write(u"Не удалось подключиться к 127.0.0.1:1: Сервер отверг «запрос» — ё, Ё, №");
    EXPECT_EQ(ReadAll(folder_ / "Log" / "ConectionsErrors.log"),
              "10.12.2026 14:03:07: " +
                  Windows1251CodePage().Encode(u"Начало работы потока авторизации") +
                  "\r\n10.12.2026 14:03:07: " +
                  Windows1251CodePage().Encode(
                      u"Не удалось подключиться к 127.0.0.1:1: Сервер отверг «запрос» — ё, Ё, №") +
                  "\r\n");
}

TEST_F(Win32LogPlatformTest, CreatesNestedFoldersAndAppends) {
    auto& platform = SystemLogPlatform();
    const std::u16string dir = FromWide(folder_.wstring()) + u"\\a\\b/c";
    platform.CreateDirectories(dir);
    EXPECT_TRUE(fs::is_directory(folder_ / "a" / "b" / "c"));
    platform.CreateDirectories(dir);  // already there: no harm

    const std::u16string path = dir + u"\\file.log";
    for (const char* bytes : {"one\r\n", "two\r\n"}) {
        const auto file = platform.OpenForAppend(path);
        file->Write(bytes);
        file->Close();
    }
    EXPECT_EQ(ReadAll(folder_ / "a" / "b" / "c" / "file.log"), "one\r\ntwo\r\n");
}

// Another program's handle on the file: a writer shuts the log out, a reader does not.
TEST_F(Win32LogPlatformTest, AnotherWriterShutsTheLogOutAndAReaderDoesNot) {
    const std::vector<std::u16string> arguments = {u"cdebug"};
    FileConnectionLog log(arguments, FromWide(folder_.wstring()));
    log.Write(u"one");
    const std::u16string file = log.FilePath();
    const std::wstring path = ToWide(file);

    struct Case {
        const char* name;
        DWORD access;
        bool shut_out;
    };
    const std::vector<Case> cases = {
        {"writer", GENERIC_WRITE, true},
        {"appender", FILE_APPEND_DATA, true},
        {"reader", GENERIC_READ, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HANDLE held = CreateFileW(path.c_str(), c.access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        if (c.shut_out) {
            EXPECT_THAT([&] { log.Write(u"two"); },
                        test::ThrowsWithMessage<EInOutError>(
                            testing::HasSubstr("ConectionsErrors.log"),
                            testing::Property("error_code()", &EInOutError::error_code,
                                              static_cast<int>(ERROR_SHARING_VIOLATION))));
        } else {
            EXPECT_NO_THROW(log.Write(u"read along"));
        }
        CloseHandle(held);
    }
}

// While the log holds the file, readers get in and writers do not.
TEST_F(Win32LogPlatformTest, OpenFileAdmitsReadersOnly) {
    const std::u16string path = FromWide(folder_.wstring()) + u"\\file.log";
    const auto file = SystemLogPlatform().OpenForAppend(path);
    const std::wstring wide = ToWide(path);
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;

    const HANDLE reader = CreateFileW(wide.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);

    const HANDLE writer = CreateFileW(wide.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    file->Close();
}

}  // namespace
}  // namespace vq
