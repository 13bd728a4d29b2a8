#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "formats/ansi_code_page.h"
#include "formats/errors.h"
#include "formats/registry.h"
#include "formats/value_list.h"
#include "formats/wide_text_win32.h"

namespace vq {
namespace {

using Type = RegistryValueType;

// Every test works in a scratch key of its own under HKCU\Software and deletes it afterwards.
class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring id = std::to_wstring(GetCurrentProcessId());
        parent_ = L"Software\\vq-tests-" + id;
        path_ = u"Software\\vq-tests-" + FromWide(id) + u"\\registry";
        RegDeleteTreeW(HKEY_CURRENT_USER, parent_.c_str());
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, parent_.c_str()); }

    // Stores a value of any type directly through the Win32 API.
    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        const std::wstring path = ToWide(path_);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    std::wstring parent_;
    std::u16string path_;
};

TEST_F(Win32RegistryTest, OpensCreatesListsReadsAndWrites) {
    auto& registry = PlatformRegistry();
    EXPECT_EQ(registry.OpenKey(RegistryRoot::CurrentUser, path_, false, false), nullptr);

    auto key = registry.OpenKey(RegistryRoot::CurrentUser, path_, true, true);
    ASSERT_NE(key, nullptr);
    key->WriteString(u"ServerName", u"http://srv/");
    key->WriteString(u"Отдел", u"Бухгалтерия");
    key = nullptr;

    const DWORD number = 5;
    SetRaw(L"number", REG_DWORD, &number, sizeof number);
    SetRaw(L"path", REG_EXPAND_SZ, L"%TEMP%", 14);
    SetRaw(L"unterminated", REG_SZ, L"abc", 6);  // no NUL stored
    SetRaw(L"multi", REG_MULTI_SZ, L"a\0b\0", 10);

    const auto read = registry.OpenKey(RegistryRoot::CurrentUser, path_, false, false);
    ASSERT_NE(read, nullptr);
    auto names = read->ValueNames();
    std::sort(names.begin(), names.end());  // Windows keeps no promised order; Wine sorts
    EXPECT_EQ(names, (std::vector<std::u16string>{u"ServerName", u"multi", u"number", u"path",
                                                  u"unterminated", u"Отдел"}));
    struct Case {
        const char16_t* name;
        RegistryValue value;
    };
    const Case cases[] = {
        {u"servername", {Type::String, u"http://srv/"}},
        {u"ОТДЕЛ", {Type::String, u"Бухгалтерия"}},
        {u"number", {Type::DWord, u""}},
        {u"path", {Type::ExpandString, u"%TEMP%"}},
        {u"unterminated", {Type::String, u"abc"}},
        {u"multi", {Type::MultiString, std::u16string(u"a\0b", 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.name)));
        EXPECT_EQ(read->ReadValue(c.name), c.value);
    }
    EXPECT_EQ(read->ReadValue(u"missing"), std::nullopt);
    EXPECT_THROW(read->WriteString(u"x", u"y"), Exception) << "the key was opened read-only";
}

TEST_F(Win32RegistryTest, ValueListRoundTripsThroughTheRegistry) {
    TValueList written(Windows1251CodePage());
    written.Add(u"user", u"TEST\\ivanov");
    written.Add(u"title", u"Отдел 5");
    ASSERT_TRUE(written.WriteToReg(path_));
    const DWORD number = 5;
    SetRaw(L"number", REG_DWORD, &number, sizeof number);

    TValueList read(Windows1251CodePage());
    read.SetDefRegKey(path_);
    read.SetLiveRegUpdate(true);
    ASSERT_TRUE(read.ReadFromReg(u""));
    ASSERT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.GetItem(u"USER"), u"TEST\\ivanov");
    EXPECT_EQ(read.GetItem(u"title"), u"Отдел 5");
    EXPECT_EQ(read.IndexOfName(u"number"), -1);
    EXPECT_TRUE(read.LiveRegUpdate());

    read.Add(u"live", u"yes");  // the live copy goes to HKCU\DefRegKey
    const auto key = PlatformRegistry().OpenKey(RegistryRoot::CurrentUser, path_, false, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadValue(u"live"), (RegistryValue{Type::String, u"yes"}));

    EXPECT_FALSE(read.ReadFromReg(path_ + u"\\missing"));
}

}  // namespace
}  // namespace vq
