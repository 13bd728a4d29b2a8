#include "formats/memory_registry.h"

#include <algorithm>
#include <vector>

#include "formats/errors.h"
#include "formats/upper_case.h"
#include "formats/utf8.h"

namespace vq {

struct MemoryRegistry::KeyData {
    // Values in the order they were first stored, as Windows usually lists them.
    std::vector<std::pair<std::u16string, RegistryValue>> values;

    auto Find(std::u16string_view name) {
        const auto upper = UpperCase(name);
        return std::find_if(values.begin(), values.end(),
                            [&](const auto& entry) { return UpperCase(entry.first) == upper; });
    }
};

namespace {

// "Software\\Foo\\" and "software\foo" name the same key: empty parts are dropped and the
// comparison ignores case.
std::vector<std::u16string> PathParts(std::u16string_view path) {
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find(u'\\', start), path.size());
        if (end > start) parts.push_back(UpperCase(path.substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

std::u16string JoinParts(const std::vector<std::u16string>& parts, std::size_t count) {
    std::u16string joined;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) joined += u'\\';
        joined += parts[i];
    }
    return joined;
}

class MemoryRegistryKey final : public RegistryKey {
public:
    MemoryRegistryKey(MemoryRegistry::KeyData& data, bool writable)
        : data_(data), writable_(writable) {}

    std::vector<std::u16string> ValueNames() const override {
        std::vector<std::u16string> names;
        for (const auto& entry : data_.values) names.push_back(entry.first);
        return names;
    }

    std::optional<RegistryValue> ReadValue(std::u16string_view name) const override {
        const auto found = data_.Find(name);
        if (found == data_.values.end()) return std::nullopt;
        return found->second;
    }

    void WriteString(std::u16string_view name, std::u16string_view value) override {
        if (!writable_) throw Exception("Failed to set data for '" + Utf16ToUtf8(name) + "'");
        RegistryValue stored{RegistryValueType::String, std::u16string(value)};
        const auto found = data_.Find(name);
        if (found != data_.values.end())
            found->second = std::move(stored);
        else
            data_.values.emplace_back(std::u16string(name), std::move(stored));
    }

private:
    MemoryRegistry::KeyData& data_;
    bool writable_;
};

}  // namespace

MemoryRegistry::MemoryRegistry() = default;
MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::KeyData* MemoryRegistry::FindKey(RegistryRoot root,
                                                 std::u16string_view path) const {
    const auto parts = PathParts(path);
    const auto found = keys_.find(KeyName(root, JoinParts(parts, parts.size())));
    return found == keys_.end() ? nullptr : found->second.get();
}

MemoryRegistry::KeyData& MemoryRegistry::CreateKey(RegistryRoot root, std::u16string_view path) {
    const auto parts = PathParts(path);
    KeyData* key = nullptr;
    // The root itself (empty path) and every parent exist once a key below them does.
    for (std::size_t count = 0; count <= parts.size(); ++count) {
        auto& slot = keys_[KeyName(root, JoinParts(parts, count))];
        if (!slot) slot = std::make_unique<KeyData>();
        key = slot.get();
    }
    return *key;
}

std::unique_ptr<RegistryKey> MemoryRegistry::OpenKey(RegistryRoot root, std::u16string_view path,
                                                     bool create_if_missing, bool writable) {
    if (writable && !writable_) return nullptr;
    KeyData* key = FindKey(root, path);
    if (key == nullptr) {
        if (!create_if_missing) return nullptr;
        key = &CreateKey(root, path);
    }
    return std::make_unique<MemoryRegistryKey>(*key, writable);
}

void MemoryRegistry::SetValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                              RegistryValue value) {
    KeyData& key = CreateKey(root, path);
    const auto found = key.Find(name);
    if (found != key.values.end())
        found->second = std::move(value);
    else
        key.values.emplace_back(std::u16string(name), std::move(value));
}

std::optional<RegistryValue> MemoryRegistry::GetValue(RegistryRoot root, std::u16string_view path,
                                                      std::u16string_view name) const {
    KeyData* key = FindKey(root, path);
    if (key == nullptr) return std::nullopt;
    const auto found = key->Find(name);
    if (found == key->values.end()) return std::nullopt;
    return found->second;
}

bool MemoryRegistry::KeyExists(RegistryRoot root, std::u16string_view path) const {
    return FindKey(root, path) != nullptr;
}

}  // namespace vq
