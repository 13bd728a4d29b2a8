#pragma once
// The steps of an exchange with the access server that the worker's pass and vq-probe take alike,
// so that vq-probe does what the client does by construction: what is sent (a GET, or a POST of
// the credentials archive) and how the answer's lines are read.

#include <string>
#include <string_view>

#include "auth/credentials_archive.h"
#include "auth/server_channel.h"
#include "formats/line_list.h"
#include "formats/value_list.h"

namespace vq {

// The failure of an exchange whose answer has no body.
inline constexpr std::u16string_view kEmptyAnswer = u"Сервер вернул пустой ответ";

// A GET while values is empty, a POST of values in the archive otherwise; true for a POST. The
// answer's body is left in answer and its lines in lines.
bool ExchangeWithServer(ServerChannel& channel, std::u16string_view base_url,
                        const TValueList& values, CredentialsArchive& archive, std::string& answer,
                        LineList& lines);

// Whether the answer's first line is keyword, exactly: letter case and blanks count.
bool AnswerKeywordIs(const LineList& lines, std::u16string_view keyword);

// Raises ExchangeError with kEmptyAnswer when the answer has no lines.
void RequireAnswerLines(const LineList& lines);

// The account fields of a "server_status_ok" answer (its lines after the keyword, URL-encoded
// INI text in UTF-8) into fields.
void ReadAccountFields(const LineList& lines, TValueList& fields);

}  // namespace vq
