// The cookie parser and store: every input line is one Set-Cookie header value, received for one
// of a few origins, and every line is read as a cookie date too.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include "auth/cookie_date.h"
#include "auth/cookie_store.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

const vq::CookieOrigin kOrigins[] = {
    {"example.com", "/", false},
    {"www.example.com", "/auth/login", false},
    {"10.0.0.1", "/cgi-bin/a.cgi", false},
    {"localhost", "/", false},
};

void CheckDate(std::string_view text) {
    const auto date = vq::ParseCookieDate(text);
    if (!date) return;
    const std::chrono::year_month_day day{std::chrono::floor<std::chrono::days>(*date)};
    VQ_FUZZ_CHECK(day.ok());
    VQ_FUZZ_CHECK(static_cast<int>(day.year()) >= 1601);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto now = std::chrono::sys_days{std::chrono::year{2024} / 5 / 17} + std::chrono::hours{12};
    vq::CookieStore store([&now] { return std::chrono::system_clock::time_point(now); });
    std::size_t line_number = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        CheckDate(line);
        store.Store(line, kOrigins[line_number % std::size(kOrigins)]);
        if (++line_number % 8 == 0) now += std::chrono::hours{24 * 400};
        VQ_FUZZ_CHECK(store.size() <= vq::CookieStore::kMaxCookies);
    }
    for (const auto& origin : kOrigins) {
        const std::string header = store.CookieHeader(origin);
        // Each cookie in it is a stored name and value, so the header is bounded by what came in.
        VQ_FUZZ_CHECK(header.size() <= size + 2 * store.size() + 2);
        VQ_FUZZ_CHECK(header.find_first_of("\r\n") == std::string::npos);
        // Names and values hold no ";", so the pairs are counted by their separators; a request
        // host gets cookies of itself and of its parent domains, each domain capped.
        std::size_t pairs = header.empty() ? 0 : 1;
        for (std::size_t at = header.find("; "); at != std::string::npos;
             at = header.find("; ", at + 2))
            ++pairs;
        const auto domains =
            static_cast<std::size_t>(1 + std::count(origin.host.begin(), origin.host.end(), '.'));
        VQ_FUZZ_CHECK(pairs <= domains * vq::CookieStore::kMaxCookiesPerDomain);
    }
    return 0;
}
