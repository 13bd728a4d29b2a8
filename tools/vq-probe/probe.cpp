#include "tools/vq-probe/probe.h"

#include <stdexcept>

#include "auth/credentials_archive.h"
#include "auth/exchange_error.h"
#include "auth/http_client.h"
#include "auth/line_list.h"
#include "auth/server_exchange.h"
#include "auth/wire_strings.h"
#include "formats/byte_stream.h"
#include "formats/utf8.h"
#include "formats/value_list.h"
#include "formats/zip_file.h"

namespace vq::probe {

namespace {

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

long ParseCount(const std::u16string& text) {
    if (text.empty() || text.size() > 9) throw std::invalid_argument("--repeat needs a number from 1 to 999999999");
    long value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') throw std::invalid_argument("--repeat needs a number from 1 to 999999999");
        value = value * 10 + (c - u'0');
    }
    if (value < 1) throw std::invalid_argument("--repeat needs a number from 1 to 999999999");
    return value;
}

// Keywords match the answer's first line exactly, letter case and blanks included.
bool IsKeyword(const LineList& lines, std::u16string_view keyword) {
    return !lines.Empty() && lines[0] == keyword;
}

}  // namespace

std::string UsageText() {
    return "Usage: vq-probe [--set NAME=VALUE]... [--repeat N] [--fields] BASE_URL\n"
           "\n"
           "Talks to an access server's kvr.php exactly as the workstation client does, and\n"
           "prints its answers.\n"
           "\n"
           "  BASE_URL          the server's base URL, ending in \"/\" (\"kvr.php\" is appended),\n"
           "                    for example http://gate.corp.local/\n"
           "  --set NAME=VALUE  adds a value to the credentials list, in order. With at least one\n"
           "                    --set every exchange is a POST of the list (field \"dta\": a ZIP\n"
           "                    archive whose entry \"dta\" holds the list as URL-encoded INI text);\n"
           "                    without, every exchange is a GET. The client itself sends\n"
           "                    username, groups and dname.\n"
           "  --repeat N        performs N exchanges with one HTTP client, so cookies and a\n"
           "                    kept-alive connection carry over (default 1)\n"
           "  --fields          after an answer \"server_status_ok\", also prints the account\n"
           "                    fields as NAME=VALUE, decoded, in UTF-8\n"
           "  --help            shows this text\n"
           "\n"
           "After each exchange the answer's lines are printed, then a line \"--\". A failed\n"
           "exchange prints \"error: \" and the reason on standard error; the exit status is then 1.\n"
           "\n"
           "Example, a first contact:\n"
           "  vq-probe http://gate.corp.local/\n"
           "  vq-probe --set username=CORP\\\\ivanov --set dname=\"Ivan Ivanov\" \\\n"
           "           --set groups=\"Internet Users\" --fields http://gate.corp.local/\n";
}

Options ParseOptions(const std::vector<std::u16string>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        const auto next = [&]() -> const std::u16string& {
            if (i + 1 >= arguments.size())
                throw std::invalid_argument(Utf8(argument) + " needs a value");
            return arguments[++i];
        };
        if (argument == u"--help" || argument == u"-h" || argument == u"/?") {
            options.help = true;
        } else if (argument == u"--set") {
            const std::u16string& pair = next();
            const auto equals = pair.find(u'=');
            if (equals == std::u16string::npos || equals == 0)
                throw std::invalid_argument("--set needs NAME=VALUE, got \"" + Utf8(pair) + "\"");
            options.values.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
        } else if (argument == u"--repeat") {
            options.repeat = ParseCount(next());
        } else if (argument == u"--fields") {
            options.fields = true;
        } else if (argument.starts_with(u"--")) {
            throw std::invalid_argument("unknown option " + Utf8(argument));
        } else if (options.base_url.empty()) {
            options.base_url = argument;
        } else {
            throw std::invalid_argument("only one BASE_URL may be given");
        }
    }
    if (!options.help && options.base_url.empty()) throw std::invalid_argument("BASE_URL is missing");
    return options;
}

int Run(const std::vector<std::u16string>& arguments, std::ostream& out, std::ostream& err,
        std::chrono::milliseconds read_timeout) {
    Options options;
    try {
        options = ParseOptions(arguments);
    } catch (const std::invalid_argument& mistake) {
        err << "vq-probe: " << mistake.what() << "\n\n" << UsageText();
        return 2;
    }
    if (options.help) {
        out << UsageText();
        return 0;
    }

    HttpClientSettings settings;
    settings.read_timeout = read_timeout;
    HttpClient client(settings);
    ServerExchange exchange(client);
    const AnsiCodePage& code_page = exchange.CodePage();

    TValueList credentials;
    for (const auto& [name, value] : options.values) credentials.Add(name, value);
    TZipFile archive;
    archive.AddFile(std::string(wire::kEntryName), 0);
    MemoryStream archive_buffer;
    std::string answer;
    LineList lines;

    for (long round = 0; round < options.repeat; ++round) {
        try {
            if (credentials.GetCount() == 0) {
                exchange.Get(options.base_url, answer, lines);
            } else {
                BuildCredentialsArchive(credentials, archive, archive_buffer);
                exchange.Post(options.base_url, archive_buffer.Bytes(), answer, lines);
            }
            if (lines.Empty()) throw ExchangeError("Сервер вернул пустой ответ");
            // Each line as the server's own bytes, so a terminal shows the server's text.
            for (const auto& line : lines.Lines()) out << code_page.Encode(line) << '\n';
            if (options.fields && IsKeyword(lines, wire::kServerStatusOk)) {
                LineList fields = lines;
                fields.Delete(0);
                TValueList account;
                account.SetURLEncodedINI(AccountText(fields), TextCoding::Utf8);
                for (int i = 0; i < account.GetCount(); ++i)
                    out << Utf8(account.GetName(i)) << '=' << Utf8(account.GetValue(i)) << '\n';
            }
            out << "--\n" << std::flush;
        } catch (const std::exception& failure) {
            out << std::flush;
            err << "error: " << failure.what() << '\n';
            return 1;
        }
    }
    return 0;
}

}  // namespace vq::probe
