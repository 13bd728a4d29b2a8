#pragma once
// Setting one entry of the credentials that answer the worker's request: a value that cannot be
// had leaves its entry empty, and a failing SetItem is dropped, so the entries after it are
// still set and nothing leaves the window's handler.

#include <string>
#include <string_view>

#include "formats/value_list.h"

namespace vq {

template <class Value>
void SetCredentialEntry(TValueList& values, std::u16string_view name, const Value& value) noexcept {
    std::u16string text;
    try {
        text = value();
    } catch (...) {
        text.clear();
    }
    try {
        values.SetItem(name, text);
    } catch (...) {
    }
}

}  // namespace vq
