// What one exchange costs the client apart from the network: building the credentials POST and
// reading a status answer into the account's value list.

#include <benchmark/benchmark.h>

#include "auth/answer_reader.h"
#include "auth/credentials_archive.h"
#include "formats/line_list.h"
#include "auth/multipart_body.h"
#include "formats/value_list.h"
#include "formats/zip_file.h"

namespace vq {
namespace {

// The credentials of a user in a dozen groups, as the tray program sends them.
void FillCredentials(TValueList& values) {
    std::u16string groups;
    for (int i = 0; i < 12; ++i)
        groups += u"CORP\\Group number " + std::u16string(1, char16_t(u'A' + i)) + u"\r\n";
    values.Add(u"username", u"CORP\\ivanov");
    values.Add(u"groups", groups);
    values.Add(u"dname", u"Иванов Иван Иванович");
}

void BM_BuildCredentialsPost(benchmark::State& state) {
    TValueList values;
    FillCredentials(values);
    TZipFile archive;
    archive.AddFile("dta", 0);
    MemoryStream buffer;
    for (auto _ : state) {
        BuildCredentialsArchive(values, archive, buffer);
        const MultipartBody body(SystemLocalClock().Now());
        std::string bytes = body.Build(buffer.Bytes());
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_BuildCredentialsPost);

constexpr std::string_view kStatusAnswer =
    "HTTP/1.1 200 OK\r\nDate: Thu, 10 Dec 2026 10:00:00 GMT\r\nServer: Apache\r\n"
    "Set-Cookie: PHPSESSID=0123456789abcdef; path=/\r\nConnection: keep-alive\r\n"
    "Content-Type: text/plain; charset=utf-8\r\nContent-Length: 299\r\n\r\n"
    "server_status_ok\r\nblocked=0\r\nunlim=0\r\n"
    "dname=%D0%98%D0%B2%D0%B0%D0%BD%D0%BE%D0%B2+%D0%98%D0%B2%D0%B0%D0%BD\r\n"
    "tarif=%D0%9E%D1%84%D0%B8%D1%81%D0%BD%D1%8B%D0%B9+1500\r\nbalans=1125%2E40\r\n"
    "day_balans=48%2E75\r\nmonth_fullpayment=1500\r\ntraf_currency=%D1%80%D1%83%D0%B1%2E\r\n"
    "is_static=0\r\ntraf=0\r\nday_traf=0\r\nIP=\r\n";

void BM_ReadStatusAnswer(benchmark::State& state) {
    TValueList values;
    LineList lines;
    for (auto _ : state) {
        AnswerReader reader;
        reader.Feed(kStatusAnswer);
        lines.LoadFromBytes(reader.TakeBody(), Latin1CodePage());
        lines.Delete(0);
        values.Clear();
        values.SetURLEncodedINI(AccountText(lines), TextCoding::Utf8);
        benchmark::DoNotOptimize(values.GetCount());
    }
}
BENCHMARK(BM_ReadStatusAnswer);

}  // namespace
}  // namespace vq
