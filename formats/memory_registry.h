#pragma once
// A registry held in memory, for tests and for builds without a system registry. Key paths and
// value names compare regardless of letter case, as on Windows; creating a key creates its
// parents.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "formats/registry.h"

namespace vq {

class MemoryRegistry final : public Registry {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    std::unique_ptr<RegistryKey> OpenKey(RegistryRoot root, std::u16string_view path,
                                         bool create_if_missing, bool writable) override;

    // Test access: store any kind of value (creating the key), read one back, see whether a key
    // exists.
    void SetValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                  RegistryValue value);
    std::optional<RegistryValue> GetValue(RegistryRoot root, std::u16string_view path,
                                          std::u16string_view name) const;
    bool KeyExists(RegistryRoot root, std::u16string_view path) const;

    // While false, opening a key for writing fails, as for a user without write access. (Writes
    // through a key opened read-only always raise, as they do on Windows.)
    void SetWritable(bool writable) { writable_ = writable; }

    struct KeyData;

private:
    using KeyName = std::pair<RegistryRoot, std::u16string>;  // root and upper-cased path

    KeyData* FindKey(RegistryRoot root, std::u16string_view path) const;
    KeyData& CreateKey(RegistryRoot root, std::u16string_view path);

    std::map<KeyName, std::unique_ptr<KeyData>> keys_;
    bool writable_ = true;
};

}  // namespace vq
