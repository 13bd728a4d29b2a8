#include "formats/text_lines.h"

namespace vq {

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    text = text.substr(0, text.find(u'\0'));
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
        if (end == text.size()) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        const bool crlf = text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n';
        start = end + (crlf ? 2 : 1);
    }
    return lines;
}

}  // namespace vq
