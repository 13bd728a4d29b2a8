#pragma once
// The logged-on user's identity as the access server and the windows need it: account names in
// the account-name service's formats, the workstation's DNS domain, the account behind the
// access token, the directory group lines, and the credentials that answer the worker's
// WM_AUTH_NEED_DATA. Nothing is cached: every call asks the platform afresh.

#include <cstddef>
#include <string>
#include <string_view>

#include "formats/line_list.h"
#include "formats/registry.h"
#include "formats/value_list.h"
#include "identity/identity_platform.h"
#include "identity/text_collation.h"

namespace vq {

// GetUserNameString's buffer, in characters.
inline constexpr std::size_t kUserNameCapacity = 250;
// The name and domain buffers of the account lookup, in characters each.
inline constexpr std::size_t kAccountNameCapacity = 1024;

// Where the workstation's DNS domain is kept, under HKEY_LOCAL_MACHINE.
inline constexpr std::u16string_view kTcpipParametersKey =
    u"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\";
inline constexpr std::u16string_view kTcpipDomainValue = u"Domain";

// The request entries of the credentials, in the order they are sent.
inline constexpr std::u16string_view kUserNameEntry = u"username";
inline constexpr std::u16string_view kGroupsEntry = u"groups";
inline constexpr std::u16string_view kDisplayNameEntry = u"dname";

// The logged-on user's name in that format, up to 249 characters; empty text when the
// account-name service fails (the long-name variant is GetLongUserNameString).
std::u16string GetUserNameString(IdentityPlatform& platform, NameFormat format);

// The workstation's DNS domain: the string value "Domain" of the TCP/IP parameters (plain or
// expandable, taken unexpanded). Empty text when the key does not open or the value is missing;
// a value of another type raises vq::Exception "Invalid data type for 'Domain'".
std::u16string GetTcpipDomain(Registry& registry);

// The account of the calling thread's token (or the process's, when the thread has none): its
// name and the name of the domain that holds it. False on any failure; name and domain are set
// only when the result is true.
bool GetTokenUserAccount(IdentityPlatform& platform, std::u16string& name, std::u16string& domain);

// Appends one line per direct directory group of the user: the account's domain name, "\", the
// group's common name, in the locale's case-insensitive order. Nothing when the account lookup
// fails; errors of the directory are swallowed.
void GetUserGroupLines(IdentityPlatform& platform, LineList& lines,
                       const TextCollation& collation = LocaleCollation());

// The group lines, each followed by CR LF; empty text when there are none.
std::u16string GetUserGroupsText(IdentityPlatform& platform,
                                 const TextCollation& collation = LocaleCollation());

// The window's answer to WM_AUTH_NEED_DATA: sets "username" (the SAM-compatible name),
// "groups" (GetUserGroupsText) and "dname" (the display name) in this order. No error leaves it:
// an entry whose value cannot be had is set to empty text.
void HandleAuthNeedData(IdentityPlatform& platform, TValueList& values,
                        const TextCollation& collation = LocaleCollation()) noexcept;

}  // namespace vq
