#include "auth/exchange_steps.h"

#include "auth/exchange_error.h"
#include "formats/utf8.h"

namespace vq {

bool ExchangeWithServer(ServerChannel& channel, std::u16string_view base_url,
                        const TValueList& values, CredentialsArchive& archive, std::string& answer,
                        LineList& lines) {
    if (values.GetCount() == 0) {
        channel.Get(base_url, answer, lines);
        return false;
    }
    channel.Post(base_url, archive.Build(values), answer, lines);
    return true;
}

bool AnswerKeywordIs(const LineList& lines, std::u16string_view keyword) {
    return !lines.Empty() && lines[0] == keyword;
}

void RequireAnswerLines(const LineList& lines) {
    if (lines.Empty()) throw ExchangeError(Utf16ToUtf8(kEmptyAnswer));
}

void ReadAccountFields(const LineList& lines, TValueList& fields) {
    fields.SetURLEncodedINI(AccountText(lines, 1), TextCoding::Utf8);
}

}  // namespace vq
