#pragma once
// One exchange with the access server's script: a GET, or a POST of the credentials archive,
// to the base URL + "kvr.php", with the answer's body loaded into a line list. It owns the HTTP
// client, so cookies and a kept-alive connection carry over from one exchange to the next.

#include <string>
#include <string_view>

#include "auth/http_client.h"
#include "auth/server_channel.h"
#include "formats/ansi_code_page.h"
#include "formats/local_clock.h"

namespace vq {

class ServerExchange final : public ServerChannel {
public:
    explicit ServerExchange(HttpClientSettings settings = {},
                            const AnsiCodePage& code_page = SystemAnsiCodePage(),
                            const LocalClock& clock = SystemLocalClock());

    // The base URL and "kvr.php" are joined as they stand: the base URL must end with "/".
    void Get(std::u16string_view base_url, std::string& answer, LineList& lines) override;
    // A new multipart body, with its boundary taken from the clock now, carries the archive.
    void Post(std::u16string_view base_url, std::string_view archive, std::string& answer,
              LineList& lines) override;
    void CloseConnection() noexcept override { client_.CloseConnection(); }
    const AnsiCodePage& CodePage() const override { return code_page_; }

    HttpClient& Client() { return client_; }

private:
    HttpClient client_;
    const AnsiCodePage& code_page_;
    const LocalClock& clock_;
};

// The script's URL: the base URL (UTF-8) with "kvr.php" appended without a separator.
std::string ScriptUrl(std::u16string_view base_url);

}  // namespace vq
