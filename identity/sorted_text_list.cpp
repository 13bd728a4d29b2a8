#include "identity/sorted_text_list.h"

#include <algorithm>
#include <utility>

namespace vq {

std::vector<std::u16string>::const_iterator SortedTextList::LowerBound(
    std::u16string_view text) const {
    return std::lower_bound(texts_.begin(), texts_.end(), text,
                            [this](const std::u16string& stored, std::u16string_view wanted) {
                                return collation_->Compare(stored, wanted) < 0;
                            });
}

bool SortedTextList::Add(std::u16string text) {
    const auto place = LowerBound(text);
    if (place != texts_.end() && collation_->Compare(*place, text) == 0) return false;
    texts_.insert(place, std::move(text));
    return true;
}

bool SortedTextList::Contains(std::u16string_view text) const {
    const auto place = LowerBound(text);
    return place != texts_.end() && collation_->Compare(*place, text) == 0;
}

}  // namespace vq
