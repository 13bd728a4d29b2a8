#pragma once
// An ordered list of text lines: the worker's reply buffer for the server address and for the
// lines of the server's answer, whose first line is the answer keyword.

#include <string>
#include <string_view>
#include <vector>

#include "formats/ansi_code_page.h"

namespace vq {

class LineList {
public:
    const std::vector<std::u16string>& Lines() const { return lines_; }
    std::size_t Count() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }
    const std::u16string& operator[](std::size_t index) const { return lines_.at(index); }

    void Clear() { lines_.clear(); }
    void Add(std::u16string line) { lines_.push_back(std::move(line)); }
    void Delete(std::size_t index);

    // Splits text into lines at CR LF, a lone CR and a lone LF; a line break at the very end adds
    // no empty line and a NUL character ends the text.
    void SetText(std::u16string_view text);
    // Every line from first on, each followed by CR LF.
    std::u16string Text(std::size_t first = 0) const;

    // Loads an answer buffer: its bytes decoded with the code page, then split as SetText does.
    void LoadFromBytes(std::string_view bytes, const AnsiCodePage& code_page);

private:
    std::vector<std::u16string> lines_;
};

// The account fields of a "server_status_ok" answer, for the value list's URL-encoded INI reader:
// the lines from first on (1 skips the keyword), each followed by CR LF, as UTF-8.
std::string AccountText(const LineList& lines, std::size_t first = 0);

// The text of an answer that is no keyword: the lines, each followed by CR LF, turned back into
// bytes with the code page and read as UTF-8 (invalid bytes become U+FFFD).
std::u16string ErrorText(const LineList& lines, const AnsiCodePage& code_page);

}  // namespace vq
