#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "formats/errors.h"
#include "formats/registry.h"
#include "formats/utf8.h"
#include "formats/wide_text_win32.h"
#include "identity/config_sources_win32.h"
#include "identity/server_config.h"

namespace vq {
namespace {

class FakeTicks final : public TickSource {
public:
    std::uint32_t TickCount() const override { return now; }
    std::uint32_t now = 1000;
};

// Each test gets a folder of its own in the temporary folder with a made-up executable path in
// it; the INI file the sources look for sits beside that path.
class Win32ConfigSourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = std::wstring(temp) + L"vq-config-" + std::to_wstring(GetCurrentProcessId());
        RemoveAll();
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        executable_ = folder_ + L"\\vq.client.exe";
        ini_ = folder_ + L"\\vq.client.ini";
    }
    void TearDown() override { RemoveAll(); }

    void WriteIni(const std::string& text) {
        const HANDLE file = CreateFileW(ini_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        EXPECT_TRUE(
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
        CloseHandle(file);
    }

    Win32ConfigSources Sources(std::vector<std::u16string> arguments = {}) const {
        return Win32ConfigSources(FromWide(executable_), std::move(arguments));
    }

    std::wstring folder_;
    std::wstring executable_;
    std::wstring ini_;

private:
    void RemoveAll() {
        for (const wchar_t* name : {L"\\vq.client.ini", L"\\target.ini"})
            DeleteFileW((folder_ + name).c_str());
        RemoveDirectoryW((folder_ + L"\\vq.client.ini").c_str());
        RemoveDirectoryW(folder_.c_str());
    }
};

TEST_F(Win32ConfigSourcesTest, FindsTheIniFileBesideTheExecutable) {
    const auto sources = Sources({u"cdebug", u"server=http://a/"});
    EXPECT_EQ(sources.IniPath(), FromWide(ini_));
    EXPECT_EQ(sources.Arguments(), (std::vector<std::u16string>{u"cdebug", u"server=http://a/"}));
    EXPECT_FALSE(sources.IniFileExists());

    ASSERT_TRUE(CreateDirectoryW(ini_.c_str(), nullptr));
    EXPECT_FALSE(sources.IniFileExists()) << "a folder of that name is no INI file";
    ASSERT_TRUE(RemoveDirectoryW(ini_.c_str()));

    WriteIni("");
    EXPECT_TRUE(sources.IniFileExists());
}

TEST_F(Win32ConfigSourcesTest, ReadsTheItemWithThePlatformsIniRules) {
    struct Case {
        const char* name;
        std::string ini;
        std::u16string expected;
    };
    const std::string long_value(2100, 'x');
    const std::vector<Case> cases = {
        {"plain item", "[server]\r\nServerName=http://gate/\r\n", u"http://gate/"},
        {"names compare regardless of case", "[SERVER]\nservername=http://gate/\n",
         u"http://gate/"},
        {"spaces around the value are dropped", "[server]\r\nServerName =  http://gate/  \r\n",
         u"http://gate/"},
        {"empty value", "[server]\r\nServerName=\r\n", u""},
        {"other section only", "[client]\r\nServerName=http://other/\r\n", u"default"},
        {"other key only", "[server]\r\nHost=http://other/\r\n", u"default"},
        {"empty file", "", u"default"},
        {"2047 characters are read", "[server]\r\nServerName=" + long_value + "\r\n",
         std::u16string(2047, u'x')},
    };
    const auto sources = Sources();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.ini);
        EXPECT_EQ(sources.ReadIniString(u"server", u"ServerName", u"default"), c.expected);
    }
}

TEST_F(Win32ConfigSourcesTest, FileThatCannotBeOpenedRaises) {
    WriteIni("[server]\r\nServerName=http://gate/\r\n");
    // Another process holding the file without sharing makes it unreadable for the program.
    const HANDLE locked = CreateFileW(ini_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    const auto sources = Sources();
    EXPECT_TRUE(sources.IniFileExists());
    EXPECT_THROW(sources.ReadIniString(u"server", u"ServerName", u"default"), EFOpenError);

    FakeTicks ticks;
    ServerConfig config(sources, ticks);
    config.ReadServerConfig();
    EXPECT_EQ(config.ServerName(), u"") << "the failed read keeps the (empty) previous address";
    CloseHandle(locked);

    config.ReadServerConfig();
    EXPECT_EQ(config.ServerName(), u"http://gate/");
}

TEST_F(Win32ConfigSourcesTest, SymbolicLinkCountsWhenItsTargetExists) {
    const std::wstring target = folder_ + L"\\target.ini";
    const auto create_target = [&] {
        const HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    };
    create_target();
    // Some systems answer success without making the link (Wine 8); the folder listing tells.
    WIN32_FIND_DATAW found{};
    const HANDLE search = CreateSymbolicLinkW(ini_.c_str(), target.c_str(), 0)
                              ? FindFirstFileW(ini_.c_str(), &found)
                              : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE) GTEST_SKIP() << "symbolic links cannot be made here";
    FindClose(search);

    const auto sources = Sources();
    EXPECT_TRUE(sources.IniFileExists());
    ASSERT_TRUE(DeleteFileW(target.c_str()));
    EXPECT_FALSE(sources.IniFileExists()) << "dangling link";
    create_target();
    EXPECT_TRUE(sources.IniFileExists());
}

// Uses the program's own policy key in the current user's hive; skips rather than touch a key
// that was there before, and removes what it created.
class PolicyKeyTest : public Win32ConfigSourcesTest {
protected:
    void SetUp() override {
        Win32ConfigSourcesTest::SetUp();
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            GTEST_SKIP() << "the policy key exists already";
        }
        tolmar_existed_ =
            RegOpenKeyExW(HKEY_CURRENT_USER, kParent, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (tolmar_existed_) RegCloseKey(key);
        owns_key_ = true;
    }
    void TearDown() override {
        if (owns_key_) {
            RegDeleteTreeW(HKEY_CURRENT_USER, kKey);  // the key with its values
            if (!tolmar_existed_) RegDeleteKeyW(HKEY_CURRENT_USER, kParent);
        }
        Win32ConfigSourcesTest::TearDown();
    }

    void SetPolicy(DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, L"ServerName", 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void SetPolicy(const wchar_t* text) {
        SetPolicy(REG_SZ, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }

    static constexpr const wchar_t* kKey = L"Software\\Policies\\Tolmar\\vq";
    static constexpr const wchar_t* kParent = L"Software\\Policies\\Tolmar";
    bool tolmar_existed_ = false;
    bool owns_key_ = false;
};

TEST_F(PolicyKeyTest, ReadsTheAddressThroughTheRealSources) {
    EXPECT_EQ(std::wstring(kKey), ToWide(kPolicyKeyPath));
    const auto sources = Sources({u"cdebug"});
    FakeTicks ticks;
    ServerConfig config(sources, ticks);

    config.ReadServerConfig();
    EXPECT_EQ(config.ServerName(), u"") << "no INI file, no policy key";

    SetPolicy(L"http://policy/");
    config.ReadServerConfig();
    EXPECT_EQ(config.ServerName(), u"http://policy/");

    const wchar_t expandable[] = L"http://%COMPUTERNAME%/";
    SetPolicy(REG_EXPAND_SZ, expandable, sizeof expandable);
    config.ReadServerConfig();
    EXPECT_EQ(config.ServerName(), u"http://%COMPUTERNAME%/");

    const DWORD number = 1;
    SetPolicy(REG_DWORD, &number, sizeof number);
    ticks.now = 5000;
    config.ReadServerConfig();
    EXPECT_EQ(config.ServerName(), u"http://%COMPUTERNAME%/")
        << "a numeric value keeps the address";
    EXPECT_EQ(config.LastConfigRead(), 5000u);

    SetPolicy(L"http://policy/");
    WriteIni("[other]\r\n");
    config.ReadServerConfig();
    EXPECT_EQ(config.ServerName(), kDefaultServerName) << "an INI file shuts the registry out";

    const auto with_argument = Sources({u"cdebug", u"server=http://argument/"});
    ServerConfig from_argument(with_argument, ticks);
    from_argument.ReadServerConfig();
    EXPECT_EQ(from_argument.ServerName(), u"http://argument/");
}

}  // namespace
}  // namespace vq
