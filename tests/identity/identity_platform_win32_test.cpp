#include "identity/identity_platform_win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "formats/ansi_code_page.h"
#include "formats/memory_registry.h"
#include "formats/registry.h"
#include "formats/utf8.h"
#include "formats/value_list.h"
#include "identity/com_initialization_win32.h"
#include "identity/com_values_win32.h"
#include "identity/net_groups.h"
#include "identity/text_collation.h"
#include "identity/user_identity.h"

namespace vq {
namespace {

// What the platform answered, printed so a run shows what this system gives.
void Show(const char* what, const std::optional<std::u16string>& text) {
    std::printf("  %s: %s\n", what, text ? ("'" + Utf16ToUtf8(*text) + "'").c_str() : "(failed)");
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

class Win32IdentityTest : public ::testing::Test {
protected:
    ComInitialization com;
    Win32IdentityPlatform platform;
};

TEST_F(Win32IdentityTest, AccountNameService) {
    ASSERT_TRUE(com.Succeeded());
    const auto sam = platform.GetUserNameExW(NameFormat::SamCompatible, kUserNameCapacity);
    Show("NameSamCompatible", sam);
    Show("NameDisplay", platform.GetUserNameExW(NameFormat::Display, kUserNameCapacity));
    Show("NameFullyQualifiedDN",
         platform.GetUserNameExW(NameFormat::FullyQualifiedDN, kLongUserNameCapacity));
    ASSERT_TRUE(sam.has_value());
    EXPECT_NE(sam->find(u'\\'), std::u16string::npos);
    // A buffer too small for the name and its NUL is a failure.
    EXPECT_EQ(platform.GetUserNameExW(NameFormat::SamCompatible, sam->size()), std::nullopt);
    EXPECT_EQ(platform.GetUserNameExW(NameFormat::SamCompatible, sam->size() + 1), sam);
}

TEST_F(Win32IdentityTest, TokenOfTheProcessAndItsAccount) {
    // The test thread does not impersonate: it has no token of its own.
    const TokenOpening thread = platform.OpenThreadToken();
    EXPECT_EQ(thread.token, nullptr);
    EXPECT_EQ(thread.error, kErrorNoToken);

    const TokenOpening process = platform.OpenProcessToken();
    ASSERT_NE(process.token, nullptr);
    const TokenInformation size = platform.GetTokenInformation(*process.token, {});
    EXPECT_FALSE(size.succeeded);
    EXPECT_EQ(size.error, kErrorInsufficientBuffer);
    ASSERT_GE(size.length, sizeof(TOKEN_USER));
    std::vector<std::byte> token_user(size.length);
    ASSERT_TRUE(platform.GetTokenInformation(*process.token, token_user).succeeded);

    const auto account = platform.LookupAccountSidW(token_user, kAccountNameCapacity);
    ASSERT_TRUE(account.has_value());
    std::printf("  LookupAccountSidW: '%s' '%s'\n", Utf16ToUtf8(account->domain).c_str(),
                Utf16ToUtf8(account->name).c_str());
    EXPECT_FALSE(account->name.empty());
    EXPECT_FALSE(account->domain.empty());
    // Buffers too small, and token information too short to hold the identifier, fail.
    EXPECT_EQ(platform.LookupAccountSidW(token_user, 1), std::nullopt);
    EXPECT_EQ(platform.LookupAccountSidW(std::span(token_user).first(sizeof(TOKEN_USER)),
                                         kAccountNameCapacity),
              std::nullopt);

    std::u16string name;
    std::u16string domain;
    ASSERT_TRUE(GetTokenUserAccount(platform, name, domain));
    EXPECT_EQ((AccountName{name, domain}), *account);
}

TEST_F(Win32IdentityTest, AnImpersonatingThreadUsesItsOwnToken) {
    if (!ImpersonateSelf(SecurityImpersonation))
        GTEST_SKIP() << "ImpersonateSelf failed with " << GetLastError();
    const TokenOpening thread = platform.OpenThreadToken();
    std::u16string name;
    std::u16string domain;
    const bool found = GetTokenUserAccount(platform, name, domain);
    RevertToSelf();
    EXPECT_NE(thread.token, nullptr);
    EXPECT_TRUE(found);
    EXPECT_FALSE(name.empty());
}

TEST_F(Win32IdentityTest, NeedDataGivesTheThreeEntries) {
    ASSERT_TRUE(com.Succeeded());
    MemoryRegistry registry;
    TValueList values(SystemAnsiCodePage(), registry);
    HandleAuthNeedData(platform, values);
    ASSERT_EQ(values.GetCount(), 3);
    EXPECT_EQ(values.GetName(0), u"username");
    EXPECT_EQ(values.GetName(1), u"groups");
    EXPECT_EQ(values.GetName(2), u"dname");
    EXPECT_EQ(values.GetValue(0), GetUserNameString(platform, NameFormat::SamCompatible));
    EXPECT_FALSE(values.GetValue(0).empty());
    EXPECT_EQ(values.GetValue(1), GetUserGroupsText(platform));
    EXPECT_EQ(values.GetValue(2), GetUserNameString(platform, NameFormat::Display));
    std::printf("  request: %s", values.GetURLEncodedINI().c_str());
}

TEST_F(Win32IdentityTest, DirectoryBindingFailuresCarryTheirCode) {
    ASSERT_TRUE(com.Succeeded());
    std::vector<std::u16string> paths = {u"NoSuchProvider://CN=x"};
    // Wine 8's LDAP provider crashes in MkParseDisplayName when the object cannot be opened
    // (adsldp hands an invalid pointer to CreatePointerMoniker), so only Windows tries it.
    if (!RunningUnderWine()) paths.push_back(u"LDAP://CN=nobody,DC=invalid");
    for (const auto& path : paths) {
        SCOPED_TRACE(Utf16ToUtf8(path));
        const DirectoryBinding binding = platform.BindToObject(path);
        std::printf("  binding %s: 0x%08lX\n", Utf16ToUtf8(path).c_str(),
                    static_cast<unsigned long>(binding.error));
        EXPECT_EQ(binding.object, nullptr);
        EXPECT_LT(binding.error, 0);
    }
}

TEST(Win32CollationTest, LocaleOrderIgnoringCase) {
    const TextCollation& collation = LocaleCollation();
    EXPECT_LT(collation.Compare(u"a", u"B"), 0);
    EXPECT_GT(collation.Compare(u"b", u"A"), 0);
    EXPECT_EQ(collation.Compare(u"VPN Users", u"vpn users"), 0);
    EXPECT_EQ(collation.Compare(u"Отдел", u"ОТДЕЛ"), 0);
    EXPECT_LT(collation.Compare(u"CN=b,DC=x", u"CN=B,OU=y,DC=x"), 0);
}

TEST(Win32ComInitializationTest, BalancesItsInitialisation) {
    HRESULT outer = E_FAIL;
    HRESULT inner = E_FAIL;
    HRESULT afterwards = E_FAIL;
    std::thread([&] {
        {
            ComInitialization first;
            outer = first.Result();
            ComInitialization second;
            inner = second.Result();
        }
        // Had either stayed initialised, a different apartment could not be entered now.
        afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(afterwards)) CoUninitialize();
    }).join();
    EXPECT_EQ(outer, S_OK);
    EXPECT_EQ(inner, S_FALSE);
    EXPECT_EQ(afterwards, S_OK);
}

TEST(Win32TcpipDomainTest, ReadsTheMachineValue) {
    // Whatever this workstation holds; a missing value is empty text, not an error.
    std::u16string domain;
    EXPECT_NO_THROW(domain = GetTcpipDomain(PlatformRegistry()));
    std::printf(
        "  Tcpip Domain: '%s', key %s\n", Utf16ToUtf8(domain).c_str(),
        PlatformRegistry().OpenKey(RegistryRoot::LocalMachine, kTcpipParametersKey, false, false)
            ? "opens"
            : "does not open");
}

// --- the late-bound "Get" against an IDispatch of the test's own ---

// Answers GetIDsOfNames for "Get" only and gives a set result or failure from Invoke, noting
// the argument it was given.
class ScriptedDispatch final : public IDispatch {
public:
    HRESULT invoke_result = S_OK;
    HRESULT exception_code = 0;  // set in EXCEPINFO when invoke_result is DISP_E_EXCEPTION
    Variant answer;
    std::u16string argument;
    VARTYPE argument_type = VT_EMPTY;
    WORD flags = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (count != 1 || std::wstring(names[0]) != L"Get") return DISP_E_UNKNOWNNAME;
        ids[0] = kGetId;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD call_flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT*) override {
        if (id != kGetId || parameters->cArgs != 1) return DISP_E_MEMBERNOTFOUND;
        flags = call_flags;
        argument_type = parameters->rgvarg[0].vt;
        if (argument_type == VT_BSTR) argument = BstrText(parameters->rgvarg[0].bstrVal);
        if (invoke_result == DISP_E_EXCEPTION && exception != nullptr) {
            *exception = EXCEPINFO{};
            exception->scode = exception_code;
            exception->bstrDescription = SysAllocString(L"The property was not found.");
        }
        if (FAILED(invoke_result)) return invoke_result;
        return VariantCopy(result, const_cast<VARIANT*>(&answer.Get()));
    }

private:
    static constexpr DISPID kGetId = 7;
    ULONG references_ = 1;
};

// A VT_ARRAY | VT_VARIANT of the given variants (taken over).
Variant VariantArray(std::vector<Variant> elements) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(elements.size()));
    for (LONG i = 0; i < static_cast<LONG>(elements.size()); ++i)
        SafeArrayPutElement(array, &i, const_cast<VARIANT*>(&elements[i].Get()));  // copies
    Variant value;
    VARIANT* raw = value.Put();
    raw->vt = VT_ARRAY | VT_VARIANT;
    raw->parray = array;
    return value;
}

Variant BstrArray(std::vector<std::u16string> texts) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 1, static_cast<ULONG>(texts.size()));
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        LONG index = i + 1;
        Bstr text(texts[i]);
        SafeArrayPutElement(array, &index, text.Get());  // copies the string
    }
    Variant value;
    VARIANT* raw = value.Put();
    raw->vt = VT_ARRAY | VT_BSTR;
    raw->parray = array;
    return value;
}

Variant Number(LONG number) {
    Variant value;
    VARIANT* raw = value.Put();
    raw->vt = VT_I4;
    raw->lVal = number;
    return value;
}

Variant Unknown() {
    Variant value;
    VARIANT* raw = value.Put();
    raw->vt = VT_UNKNOWN;
    raw->punkVal = nullptr;
    return value;
}

TEST(Win32DirectoryObjectTest, GetIsCalledLateBoundAndItsResultRead) {
    ComInitialization com;
    using Texts = std::vector<DirectoryText>;
    constexpr auto kNotFound = static_cast<HRESULT>(0x8000500D);  // E_ADS_PROPERTY_NOT_FOUND
    const auto text = [](const char16_t* t) { return DirectoryText{t, 0}; };
    struct Case {
        const char* name;
        std::function<Variant()> answer;
        HRESULT invoke_result;
        std::int32_t error;
        DirectoryValue value;
    };
    std::vector<Case> cases;
    cases.push_back({"a single text", [] { return Variant(Bstr(u"CN=Staff,DC=x")); }, S_OK, 0,
                     text(u"CN=Staff,DC=x")});
    cases.push_back({"an array of variants",
                     [] {
                         std::vector<Variant> items;
                         items.emplace_back(Bstr(u"CN=b"));
                         items.emplace_back(Bstr(u"CN=A"));
                         return VariantArray(std::move(items));
                     },
                     S_OK, 0, Texts{text(u"CN=b"), text(u"CN=A")}});
    cases.push_back({"an element that is no text",
                     [] {
                         std::vector<Variant> items;
                         items.emplace_back(Bstr(u"CN=b"));
                         items.push_back(Unknown());
                         items.push_back(Number(12));
                         return VariantArray(std::move(items));
                     },
                     S_OK, 0,
                     Texts{text(u"CN=b"), DirectoryText{u"", static_cast<int>(DISP_E_TYPEMISMATCH)},
                           text(u"12")}});
    cases.push_back({"an array of texts starting at 1",
                     [] {
                         return BstrArray({u"CN=x", u"CN=y"});
                     },
                     S_OK, 0, Texts{text(u"CN=x"), text(u"CN=y")}});
    cases.push_back({"an empty array", [] { return VariantArray({}); }, S_OK, 0, Texts{}});
    cases.push_back({"a number", [] { return Number(5); }, S_OK, 0, text(u"5")});
    cases.push_back({"the attribute is absent", [] { return Variant(); }, DISP_E_EXCEPTION,
                     kNotFound, DirectoryText{}});
    cases.push_back({"the call fails", [] { return Variant(); }, E_ACCESSDENIED,
                     static_cast<std::int32_t>(E_ACCESSDENIED), DirectoryText{}});

    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* dispatch = new ScriptedDispatch;
        dispatch->answer = c.answer();
        dispatch->invoke_result = c.invoke_result;
        dispatch->exception_code = kNotFound;
        dispatch->AddRef();  // one reference for the test, one for the directory object
        const ComPtr<IDispatch> held(dispatch);
        const auto object = DispatchDirectoryObject(ComPtr<IDispatch>(dispatch));
        const DirectoryAnswer answer = object->Get(u"MemberOf");
        EXPECT_EQ(answer.error, c.error);
        EXPECT_EQ(answer.value, c.value);
        EXPECT_EQ(dispatch->argument_type, VT_BSTR);
        EXPECT_EQ(dispatch->argument, u"MemberOf");
        EXPECT_NE(dispatch->flags & DISPATCH_METHOD, 0);
    }
}

}  // namespace
}  // namespace vq
