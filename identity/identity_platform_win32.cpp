#include "identity/identity_platform_win32.h"

#include "formats/unique_handle_win32.h"
#include "formats/wide_text_win32.h"

#define SECURITY_WIN32
#include <security.h>

#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "identity/com_values_win32.h"

namespace vq {

namespace {

// A kernel handle (an access token), closed once with CloseHandle.
using HandleOwner = UniqueHandle<HANDLE, &CloseHandle>;

class Win32AccessToken final : public AccessToken {
public:
    explicit Win32AccessToken(HandleOwner handle) : handle_(std::move(handle)) {}
    HANDLE Get() const noexcept { return handle_.Get(); }

private:
    HandleOwner handle_;
};

TokenOpening Opened(BOOL opened, HANDLE token) {
    if (!opened) return {nullptr, GetLastError()};
    HandleOwner owner(token);  // closed even if the allocation below fails
    return {std::make_unique<Win32AccessToken>(std::move(owner)), 0};
}

// The text a call wrote: at most length characters, up to the first NUL.
std::u16string Written(const std::wstring& buffer, std::size_t length) {
    const std::size_t end = wcsnlen(buffer.data(), std::min(length, buffer.size()));
    return FromWide(std::wstring_view(buffer.data(), end));
}

DirectoryAnswer Failure(HRESULT error) {
    return {static_cast<std::int32_t>(error), DirectoryText{}};
}

DirectoryText TextOf(const VARIANT& value) {
    if (value.vt == VT_BSTR) return {BstrText(value.bstrVal), 0};
    Variant text;
    const HRESULT result = VariantChangeType(text.Put(), const_cast<VARIANT*>(&value), 0, VT_BSTR);
    if (FAILED(result)) return {u"", static_cast<std::int32_t>(result)};
    return {BstrText(text.Get().bstrVal), 0};
}

DirectoryAnswer ArrayAnswer(const VARIANT& value) {
    SAFEARRAY* array = (value.vt & VT_BYREF) != 0
                           ? (value.pparray != nullptr ? *value.pparray : nullptr)
                           : value.parray;
    const VARTYPE element = value.vt & VT_TYPEMASK;
    if (array == nullptr || SafeArrayGetDim(array) != 1) return Failure(DISP_E_TYPEMISMATCH);
    // The element size is checked too, so a mislabelled array is never read past its end.
    const UINT size = SafeArrayGetElemsize(array);
    if (!((element == VT_VARIANT && size == sizeof(VARIANT)) ||
          (element == VT_BSTR && size == sizeof(BSTR))))
        return Failure(DISP_E_BADVARTYPE);

    LONG low = 0;
    LONG high = -1;
    HRESULT result = SafeArrayGetLBound(array, 1, &low);
    if (SUCCEEDED(result)) result = SafeArrayGetUBound(array, 1, &high);
    if (FAILED(result)) return Failure(result);
    const SafeArrayAccess access(array);
    if (FAILED(access.Result())) return Failure(access.Result());

    const std::int64_t count = std::max<std::int64_t>(0, std::int64_t{high} - low + 1);
    std::vector<DirectoryText> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        if (element == VT_VARIANT)
            texts.push_back(TextOf(static_cast<const VARIANT*>(access.Data())[i]));
        else
            texts.push_back({BstrText(static_cast<const BSTR*>(access.Data())[i]), 0});
    }
    return {0, std::move(texts)};
}

class Win32DirectoryObject final : public DirectoryObject {
public:
    explicit Win32DirectoryObject(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

    // IDispatch::GetIDsOfNames for "Get", then IDispatch::Invoke with the attribute name as the
    // one BSTR argument, as a late-bound call does.
    DirectoryAnswer Get(std::u16string_view attribute) override {
        wchar_t method_name[] = L"Get";
        LPOLESTR names[] = {method_name};
        DISPID method = DISPID_UNKNOWN;
        HRESULT result = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &method);
        if (FAILED(result)) return Failure(result);

        Variant argument{Bstr(attribute)};
        VARIANT arguments[] = {argument.Get()};  // borrowed: argument keeps ownership
        DISPPARAMS parameters{arguments, nullptr, 1, 0};
        Variant answer;
        ExceptionInfo exception;
        UINT argument_error = 0;
        result = dispatch_->Invoke(method, IID_NULL, LOCALE_USER_DEFAULT,
                                   DISPATCH_METHOD | DISPATCH_PROPERTYGET, &parameters,
                                   answer.Put(), exception.Put(), &argument_error);
        // A failure inside the provider (an absent attribute) comes as DISP_E_EXCEPTION with
        // the provider's own code in the exception information.
        if (result == DISP_E_EXCEPTION) return Failure(exception.Code(result));
        if (FAILED(result)) return Failure(result);
        return DirectoryAnswerFromVariant(answer.Get());
    }

private:
    ComPtr<IDispatch> dispatch_;
};

}  // namespace

std::unique_ptr<DirectoryObject> DispatchDirectoryObject(ComPtr<IDispatch> dispatch) {
    return std::make_unique<Win32DirectoryObject>(std::move(dispatch));
}

DirectoryAnswer DirectoryAnswerFromVariant(const VARIANT& value) {
    if ((value.vt & VT_ARRAY) != 0) return ArrayAnswer(value);
    return {0, TextOf(value)};
}

Win32IdentityPlatform::Win32IdentityPlatform() : security_(L"secur32.dll") {}

std::optional<std::u16string> Win32IdentityPlatform::GetUserNameExW(NameFormat format,
                                                                    std::size_t capacity) {
    // security.h only declares the function here: its address comes from the library loaded by
    // full path, so the program does not import secur32.
    const auto get_user_name = security_.Find<decltype(::GetUserNameExW)>("GetUserNameExW");
    if (get_user_name == nullptr) return std::nullopt;
    if (capacity == 0 || capacity > ULONG_MAX) return std::nullopt;
    std::wstring buffer(capacity, L'\0');
    ULONG size = static_cast<ULONG>(capacity);
    if (!get_user_name(static_cast<EXTENDED_NAME_FORMAT>(format), buffer.data(), &size))
        return std::nullopt;
    return Written(buffer, size);
}

// OpenAsSelf: the access check uses the process's identity, so a thread impersonating a client
// that may not query its own token can still read it.
TokenOpening Win32IdentityPlatform::OpenThreadToken() {
    HANDLE token = nullptr;
    const BOOL opened = ::OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token);
    return Opened(opened, token);
}

TokenOpening Win32IdentityPlatform::OpenProcessToken() {
    HANDLE token = nullptr;
    const BOOL opened = ::OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    return Opened(opened, token);
}

TokenInformation Win32IdentityPlatform::GetTokenInformation(const AccessToken& token,
                                                            std::span<std::byte> buffer) {
    const auto& win32_token = dynamic_cast<const Win32AccessToken&>(token);
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), MAXDWORD));
    DWORD length = 0;
    const BOOL succeeded = ::GetTokenInformation(
        win32_token.Get(), TokenUser, size == 0 ? nullptr : buffer.data(), size, &length);
    return {succeeded != FALSE, succeeded ? 0 : GetLastError(), length};
}

std::optional<AccountName> Win32IdentityPlatform::LookupAccountSidW(
    std::span<const std::byte> token_user, std::size_t capacity) {
    if (token_user.size() < sizeof(TOKEN_USER) || capacity == 0 || capacity > MAXDWORD)
        return std::nullopt;
    TOKEN_USER user;
    std::memcpy(&user, token_user.data(), sizeof user);
    // GetTokenInformation puts the identifier in the same buffer, after the structure; one that
    // lies elsewhere is not followed.
    const auto begin = reinterpret_cast<std::uintptr_t>(token_user.data());
    const auto end = begin + token_user.size();
    const auto sid = reinterpret_cast<std::uintptr_t>(user.User.Sid);
    if (sid < begin + sizeof(TOKEN_USER) || sid + sizeof(SID) > end || !IsValidSid(user.User.Sid) ||
        sid + GetLengthSid(user.User.Sid) > end)
        return std::nullopt;

    std::wstring name(capacity, L'\0');
    std::wstring domain(capacity, L'\0');
    DWORD name_length = static_cast<DWORD>(capacity);
    DWORD domain_length = static_cast<DWORD>(capacity);
    SID_NAME_USE use = SidTypeUnknown;
    if (!::LookupAccountSidW(nullptr, user.User.Sid, name.data(), &name_length, domain.data(),
                             &domain_length, &use))
        return std::nullopt;
    return AccountName{Written(name, name_length), Written(domain, domain_length)};
}

DirectoryBinding Win32IdentityPlatform::BindToObject(std::u16string_view path) {
    ComPtr<IBindCtx> context;
    HRESULT result = CreateBindCtx(0, context.Put());
    if (FAILED(result)) return {nullptr, static_cast<std::int32_t>(result)};

    const std::wstring display_name = ToWide(path);
    ULONG eaten = 0;
    ComPtr<IMoniker> moniker;
    result = MkParseDisplayName(context.Get(), display_name.c_str(), &eaten, moniker.Put());
    if (FAILED(result)) return {nullptr, static_cast<std::int32_t>(result)};

    ComPtr<IDispatch> dispatch;
    result = moniker->BindToObject(context.Get(), nullptr, IID_IDispatch, dispatch.PutVoid());
    if (FAILED(result)) return {nullptr, static_cast<std::int32_t>(result)};
    return {DispatchDirectoryObject(std::move(dispatch)), 0};
}

}  // namespace vq
