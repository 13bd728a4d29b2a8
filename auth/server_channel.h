#pragma once
// What the authorization worker needs of the server exchange: a GET, a POST of the credentials
// archive, and closing the connection after a failure.

#include <string>
#include <string_view>

#include "formats/line_list.h"
#include "formats/ansi_code_page.h"

namespace vq {

class ServerChannel {
public:
    virtual ~ServerChannel() = default;
    // Both leave the answer's body in answer and its lines in lines, or raise with a text.
    virtual void Get(std::u16string_view base_url, std::string& answer, LineList& lines) = 0;
    virtual void Post(std::u16string_view base_url, std::string_view archive, std::string& answer,
                      LineList& lines) = 0;
    // Closes the connection if it is open; never fails.
    virtual void CloseConnection() noexcept = 0;
    // The code page the answer's lines were decoded with.
    virtual const AnsiCodePage& CodePage() const = 0;
};

}  // namespace vq
