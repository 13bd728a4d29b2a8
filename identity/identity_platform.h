#pragma once
// What the user's identity is read from: the account-name service, the access tokens, the
// account lookup and the directory's LDAP provider. Each operation is one platform call (or, for
// the directory binding, one short fixed sequence of calls) and reports failure the way the
// platform does, by an error code, so the identity logic can follow its steps and tell the
// failures apart. Implementations never raise for a failing call. The Windows implementation is
// Win32IdentityPlatform (identity_platform_win32.h); tests give fakes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vq {

// The Win32 error codes the identity logic tells apart.
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER
inline constexpr std::uint32_t kErrorNoToken = 1008;            // ERROR_NO_TOKEN

// The name formats of GetUserNameExW (EXTENDED_NAME_FORMAT values).
enum class NameFormat : int {
    FullyQualifiedDN = 1,  // NameFullyQualifiedDN: "CN=...,OU=...,DC=..."
    SamCompatible = 2,     // NameSamCompatible: "DOMAIN\account"
    Display = 3,           // NameDisplay: the user's display name
};

// An access token opened for query access; closed when the object goes.
class AccessToken {
public:
    virtual ~AccessToken() = default;
};

// The outcome of opening a token: the token, or null and the error code of the failed open.
struct TokenOpening {
    std::unique_ptr<AccessToken> token;
    std::uint32_t error = 0;
};

// The outcome of one GetTokenInformation call: whether it succeeded, the error code when it did
// not, and the ReturnLength it reported (the bytes written, or the bytes needed).
struct TokenInformation {
    bool succeeded = false;
    std::uint32_t error = 0;
    std::uint32_t length = 0;
};

// LookupAccountSidW's answer: the account name and the name of the domain that holds it.
struct AccountName {
    std::u16string name;
    std::u16string domain;

    friend bool operator==(const AccountName&, const AccountName&) = default;
};

// One value of a directory attribute converted to text, or the error code of the conversion
// when it failed (then text is empty).
struct DirectoryText {
    std::u16string text;
    std::int32_t error = 0;

    friend bool operator==(const DirectoryText&, const DirectoryText&) = default;
};

// A single value, or an array of values in the directory's order.
using DirectoryValue = std::variant<DirectoryText, std::vector<DirectoryText>>;

// The outcome of a late-bound "Get": the value, or a failing HRESULT in error (value then empty).
struct DirectoryAnswer {
    std::int32_t error = 0;
    DirectoryValue value;
};

// A directory object reached through the LDAP provider.
class DirectoryObject {
public:
    virtual ~DirectoryObject() = default;
    // The late-bound method "Get" with the attribute name as its argument. An absent attribute
    // is an error.
    virtual DirectoryAnswer Get(std::u16string_view attribute) = 0;
};

// The outcome of a binding: the object, or null and the failing HRESULT.
struct DirectoryBinding {
    std::unique_ptr<DirectoryObject> object;
    std::int32_t error = 0;
};

class IdentityPlatform {
public:
    virtual ~IdentityPlatform() = default;

    // The logged-on user's name in that format through a buffer of capacity characters, the
    // terminating NUL included (so the longest name that fits is capacity - 1 characters);
    // nullopt when the call fails: not a domain account, no directory contact, or too long.
    virtual std::optional<std::u16string> GetUserNameExW(NameFormat format,
                                                         std::size_t capacity) = 0;

    // OpenThreadToken of the calling thread with query access, opened as the process itself;
    // ERROR_NO_TOKEN when the thread has no token of its own.
    virtual TokenOpening OpenThreadToken() = 0;
    // OpenProcessToken of the process with query access.
    virtual TokenOpening OpenProcessToken() = 0;
    // GetTokenInformation(TokenUser) into buffer; an empty buffer is the call without one, which
    // fails with ERROR_INSUFFICIENT_BUFFER and gives the needed size in length.
    virtual TokenInformation GetTokenInformation(const AccessToken& token,
                                                 std::span<std::byte> buffer) = 0;
    // LookupAccountSidW of the user's security identifier held in token_user (the TokenUser
    // information as GetTokenInformation wrote it), with name and domain buffers of capacity
    // characters each; nullopt when the lookup fails.
    virtual std::optional<AccountName> LookupAccountSidW(std::span<const std::byte> token_user,
                                                         std::size_t capacity) = 0;

    // The object named by the display name path ("LDAP://" + distinguished name), bound through
    // a fresh bind context: CreateBindCtx, MkParseDisplayName, IMoniker::BindToObject for
    // IDispatch.
    virtual DirectoryBinding BindToObject(std::u16string_view path) = 0;
};

}  // namespace vq
