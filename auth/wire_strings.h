#pragma once
// The fixed strings of the exchange with the access server.

#include <string_view>

namespace vq::wire {

inline constexpr std::string_view kScriptName = "kvr.php";

inline constexpr std::string_view kKeepAlive = "keep-alive";
inline constexpr std::string_view kAccept =
    "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
inline constexpr std::string_view kIdentity = "identity";
inline constexpr std::string_view kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";

// The one multipart field, and the entry of the archive it carries.
inline constexpr std::string_view kFieldName = "dta";
inline constexpr std::string_view kEntryName = "dta";

// Answer keywords: the first line of the server's answer.
inline constexpr std::u16string_view kServerNeedAuthData = u"server_need_auth_data";
inline constexpr std::u16string_view kServerAuthFailed = u"server_auth_failed";
inline constexpr std::u16string_view kServerStatusOk = u"server_status_ok";

}  // namespace vq::wire
