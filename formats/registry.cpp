#include "formats/registry.h"

#include "formats/errors.h"
#include "formats/utf8.h"

namespace vq {

std::u16string ReadRegistryString(Registry& registry, RegistryRoot root, std::u16string_view key,
                                  std::u16string_view value_name) {
    const auto opened = registry.OpenKey(root, key, false, false);
    if (!opened) return {};
    const auto value = opened->ReadValue(value_name);
    if (!value) return {};
    if (value->type != RegistryValueType::String && value->type != RegistryValueType::ExpandString)
        throw Exception("Invalid data type for '" + Utf16ToUtf8(value_name) + "'");
    return value->text.substr(0, value->text.find(u'\0'));
}

}  // namespace vq
