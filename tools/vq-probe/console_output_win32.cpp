#include "tools/vq-probe/console_output_win32.h"

#include <cstring>
#include <string_view>

#include "formats/utf8.h"

namespace vq::probe {

ConsoleStreamBuffer::ConsoleStreamBuffer(HANDLE console) : console_(console) {
    setp(buffer_, buffer_ + sizeof buffer_);
}

ConsoleStreamBuffer::~ConsoleStreamBuffer() { Flush(true); }

ConsoleStreamBuffer::int_type ConsoleStreamBuffer::overflow(int_type c) {
    if (!Flush(false)) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

int ConsoleStreamBuffer::sync() { return Flush(false) ? 0 : -1; }

bool ConsoleStreamBuffer::Flush(bool whole) {
    const std::string_view held(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    const std::size_t ready = whole ? held.size() : Utf8CompletePrefixLength(held);
    const std::u16string text = Utf8ToUtf16(held.substr(0, ready));
    bool written_all = true;
    for (std::size_t done = 0; done < text.size();) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(text.size() - done);
        if (!WriteConsoleW(console_, text.data() + done, chunk, &written, nullptr) ||
            written == 0) {
            written_all = false;
            break;
        }
        done += written;
    }
    // The unfinished character moves to the front and waits for its remaining bytes.
    const std::size_t kept = held.size() - ready;
    std::memmove(buffer_, held.data() + ready, kept);
    setp(buffer_, buffer_ + sizeof buffer_);
    pbump(static_cast<int>(kept));
    return written_all;
}

ConsoleOutput::ConsoleOutput(DWORD standard_handle, std::ostream& stream) : stream_(stream) {
    const HANDLE handle = GetStdHandle(standard_handle);
    DWORD mode = 0;
    // GetConsoleMode succeeds only for a console; a file or a pipe gets the UTF-8 bytes.
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return;
    stream_.flush();
    console_ = std::make_unique<ConsoleStreamBuffer>(handle);
    original_ = stream_.rdbuf(console_.get());
}

ConsoleOutput::~ConsoleOutput() {
    if (console_ == nullptr) return;
    stream_.flush();
    stream_.rdbuf(original_);
}

}  // namespace vq::probe
