#include "auth/server_exchange.h"

#include "auth/multipart_body.h"
#include "auth/wire_strings.h"
#include "formats/utf8.h"

namespace vq {

ServerExchange::ServerExchange(HttpClientSettings settings, const AnsiCodePage& code_page,
                               const LocalClock& clock)
    : client_(std::move(settings)), code_page_(code_page), clock_(clock) {}

std::string ScriptUrl(std::u16string_view base_url) {
    return Utf16ToUtf8(base_url).append(wire::kScriptName);
}

void ServerExchange::Get(std::u16string_view base_url, std::string& answer, LineList& lines) {
    lines.Clear();
    client_.Get(ScriptUrl(base_url), answer);
    lines.LoadFromBytes(answer, code_page_);
}

void ServerExchange::Post(std::u16string_view base_url, std::string_view archive,
                          std::string& answer, LineList& lines) {
    lines.Clear();
    const MultipartBody body(clock_.Now());
    client_.Post(ScriptUrl(base_url), body.ContentType(), body.Build(archive), answer);
    lines.LoadFromBytes(answer, code_page_);
}

}  // namespace vq
