#include "formats/line_list.h"

#include "formats/text_lines.h"
#include "formats/utf8.h"

namespace vq {

void LineList::Delete(std::size_t index) {
    if (index < lines_.size()) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
}

void LineList::SetText(std::u16string_view text) {
    lines_.clear();
    for (const auto line : SplitLines(text)) lines_.emplace_back(line);
}

std::u16string LineList::Text(std::size_t first) const {
    std::u16string text;
    for (std::size_t i = first; i < lines_.size(); ++i) text.append(lines_[i]).append(u"\r\n");
    return text;
}

void LineList::LoadFromBytes(std::string_view bytes, const AnsiCodePage& code_page) {
    // The text ends at the first NUL byte; cutting before decoding spares decoding the rest.
    const auto nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    SetText(code_page.Decode(bytes));
}

std::string AccountText(const LineList& lines, std::size_t first) {
    return Utf16ToUtf8(lines.Text(first));
}

std::u16string ErrorText(const LineList& lines, const AnsiCodePage& code_page) {
    return Utf8ToUtf16(code_page.Encode(lines.Text()));
}

}  // namespace vq
