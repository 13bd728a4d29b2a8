#include "tools/vq-probe/probe.h"

#include <stdexcept>

#include "auth/exchange_steps.h"
#include "auth/http_client.h"
#include "auth/server_exchange.h"
#include "auth/wire_strings.h"
#include "formats/line_list.h"
#include "formats/utf8.h"
#include "formats/value_list.h"
#include "tools/vq-probe/loop_mode.h"

namespace vq::probe {

namespace {

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

long ParseCount(const std::u16string& option, const std::u16string& text) {
    const std::string mistake = Utf8(option) + " needs a number from 1 to 999999999";
    if (text.empty() || text.size() > 9) throw std::invalid_argument(mistake);
    long value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') throw std::invalid_argument(mistake);
        value = value * 10 + (c - u'0');
    }
    if (value < 1) throw std::invalid_argument(mistake);
    return value;
}

// Each CR LF-ended line of text after the prefix, up to the first empty line.
void WriteLines(std::ostream& err, std::string_view prefix, std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find("\r\n", start);
        if (end == start || end == std::string_view::npos) break;
        err << prefix << text.substr(start, end - start) << '\n';
        start = end + 2;
    }
}

// The trace of every request: each line of its head after "> " (the empty line that ends the head
// left out), and after the head of a POST, which carries the credentials archive, each line of
// the entry's text after "> dta: ". entry_text is the text of the archive being sent.
std::function<void(std::string_view)> TraceTo(std::ostream& err, const std::string& entry_text) {
    return [&err, &entry_text](std::string_view head) {
        WriteLines(err, "> ", head);
        if (head.starts_with("POST ")) WriteLines(err, "> dta: ", entry_text);
        err << std::flush;
    };
}

}  // namespace

std::string UsageText() {
    return "Usage: vq-probe [--set NAME=VALUE]... [--repeat N] [--fields] [--trace] BASE_URL\n"
           "       vq-probe --loop [--user SAM] [--display NAME] [--group LINE]... [--passes N]\n"
           "                [--trace] BASE_URL\n"
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
           "  --trace           prints on standard error the head of every request sent, each\n"
           "                    line after \"> \"; after the head of a POST also the text of the\n"
           "                    archive entry \"dta\", each line after \"> dta: \" (--loop: heads only)\n"
           "  --help            shows this text\n"
           "\n"
           "After each exchange the answer's lines are printed, then a line \"--\". A failed\n"
           "exchange prints \"error: \" and the reason on standard error; the exit status is then 1.\n"
           "\n"
           "--loop runs the client's real authorization worker, with its pauses of 30 seconds\n"
           "and more, and prints one line per message it sends to the window: milliseconds since\n"
           "the start, the message and its payload. The server's request for credentials is\n"
           "answered with --user (the SAM name, DOMAIN\\account), --group (one line per group,\n"
           "DOMAIN\\group) and --display (the display name); without these options, with the\n"
           "logged-on user's own identity (on Linux from the name service, with the domain's\n"
           "short name from /etc/vq/vq.ini or winbind). It runs until Ctrl-C, or for --passes N.\n"
           "\n"
           "Examples:\n"
           "  vq-probe http://gate.corp.local/\n"
           "  vq-probe --set username=CORP\\\\ivanov --set dname=\"Ivan Ivanov\" \\\n"
           "           --set groups=\"CORP\\\\Internet Users\" --fields http://gate.corp.local/\n"
           "  vq-probe --loop --user CORP\\\\ivanov --display \"Ivan Ivanov\" http://gate.corp.local/\n";
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
            options.repeat = ParseCount(argument, next());
        } else if (argument == u"--passes") {
            options.passes = ParseCount(argument, next());
        } else if (argument == u"--fields") {
            options.fields = true;
        } else if (argument == u"--trace") {
            options.trace = true;
        } else if (argument == u"--loop") {
            options.loop = true;
        } else if (argument == u"--user") {
            options.user = next();
        } else if (argument == u"--display") {
            options.display = next();
        } else if (argument == u"--group") {
            options.groups.push_back(next());
        } else if (argument.starts_with(u"--")) {
            throw std::invalid_argument("unknown option " + Utf8(argument));
        } else if (options.base_url.empty()) {
            options.base_url = argument;
        } else {
            throw std::invalid_argument("only one BASE_URL may be given");
        }
    }
    if (options.help) return options;
    if (options.base_url.empty()) throw std::invalid_argument("BASE_URL is missing");
    if (options.loop && (!options.values.empty() || options.repeat != 1 || options.fields))
        throw std::invalid_argument(
            "--loop takes --user, --display, --group, --passes and --trace");
    if (!options.loop && (options.HasIdentity() || options.passes != 0))
        throw std::invalid_argument("--user, --display, --group and --passes need --loop");
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

    // The URL-encoded INI text of the archive being posted, for the trace.
    std::string entry_text;
    HttpClientSettings settings;
    settings.read_timeout = read_timeout;
    if (options.trace) settings.on_request = TraceTo(err, entry_text);
    if (options.loop) return RunLoop(options, settings, out);
    ServerExchange exchange(settings);
    const AnsiCodePage& code_page = exchange.CodePage();

    // The credentials stay the same from one exchange to the next, where the worker clears them.
    TValueList credentials;
    for (const auto& [name, value] : options.values) credentials.Add(name, value);
    if (options.trace) entry_text = credentials.GetURLEncodedINI();
    CredentialsArchive archive;
    std::string answer;
    LineList lines;

    for (long round = 0; round < options.repeat; ++round) {
        try {
            ExchangeWithServer(exchange, options.base_url, credentials, archive, answer, lines);
            RequireAnswerLines(lines);
            // Each line as the server's own bytes, so a terminal shows the server's text.
            for (const auto& line : lines.Lines()) out << code_page.Encode(line) << '\n';
            if (options.fields && AnswerKeywordIs(lines, wire::kServerStatusOk)) {
                TValueList account;
                ReadAccountFields(lines, account);
                for (int i = 0; i < account.GetCount(); ++i)
                    out << Utf8(account.GetName(i)) << '=' << Utf8(account.GetValue(i)) << '\n';
            }
            out << "--\n";
            // Exchanges follow one another without a pause: their answers are written as the
            // buffer fills, and the last one at once.
            if (round + 1 == options.repeat) out << std::flush;
        } catch (const std::exception& failure) {
            out << std::flush;
            err << "error: " << failure.what() << '\n';
            return 1;
        }
    }
    return 0;
}

}  // namespace vq::probe
