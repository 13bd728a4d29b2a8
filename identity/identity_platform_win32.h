#pragma once
// Win32IdentityPlatform: the identity operations on the real services: GetUserNameExW
// (secur32), OpenThreadToken / OpenProcessToken / GetTokenInformation / LookupAccountSidW
// (advapi32), and the directory's LDAP provider through monikers and late-bound IDispatch calls
// (ole32, oleaut32). The directory calls need the component object services initialised on the
// calling thread (ComInitialization). secur32 is not a known DLL, so it is not imported: the
// object loads it from the system folder by its full path and holds it while it lives; beyond
// that it holds no state.

#include <windows.h>
#include <ole2.h>

#include <memory>

#include "formats/system_library_win32.h"
#include "identity/com_ptr_win32.h"
#include "identity/identity_platform.h"

namespace vq {

class Win32IdentityPlatform final : public IdentityPlatform {
public:
    Win32IdentityPlatform();

    // Nothing when secur32 or its GetUserNameExW is missing, as when the call fails.
    std::optional<std::u16string> GetUserNameExW(NameFormat format, std::size_t capacity) override;
    TokenOpening OpenThreadToken() override;
    TokenOpening OpenProcessToken() override;
    TokenInformation GetTokenInformation(const AccessToken& token,
                                         std::span<std::byte> buffer) override;
    std::optional<AccountName> LookupAccountSidW(std::span<const std::byte> token_user,
                                                 std::size_t capacity) override;
    DirectoryBinding BindToObject(std::u16string_view path) override;

private:
    SystemLibrary security_;
};

// A directory object behind its IDispatch: "Get" is called late-bound, by name.
std::unique_ptr<DirectoryObject> DispatchDirectoryObject(ComPtr<IDispatch> dispatch);

// What a "Get" result gives: VT_BSTR (or any value convertible to text) as a single text; a
// one-dimensional VT_ARRAY of VT_VARIANT or VT_BSTR as its texts in order, an element that cannot
// be converted carrying its conversion error; any other array is an error.
DirectoryAnswer DirectoryAnswerFromVariant(const VARIANT& value);

}  // namespace vq
