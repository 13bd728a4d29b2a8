#pragma once
// A list of texts kept in collation order that ignores duplicates: a text that compares equal
// to one already there is dropped, so the first spelling added stays.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "identity/text_collation.h"

namespace vq {

class SortedTextList {
public:
    explicit SortedTextList(const TextCollation& collation) : collation_(&collation) {}

    // Inserts text at its place in the order; false (and nothing stored) when an equal text is
    // already there.
    bool Add(std::u16string text);
    bool Contains(std::u16string_view text) const;

    void Clear() { texts_.clear(); }
    void Reserve(std::size_t count) { texts_.reserve(count); }

    std::size_t Count() const { return texts_.size(); }
    bool Empty() const { return texts_.empty(); }
    const std::u16string& operator[](std::size_t index) const { return texts_.at(index); }
    const std::vector<std::u16string>& Strings() const { return texts_; }

private:
    // The first position whose text does not sort before text.
    std::vector<std::u16string>::const_iterator LowerBound(std::u16string_view text) const;

    const TextCollation* collation_;
    std::vector<std::u16string> texts_;
};

}  // namespace vq
