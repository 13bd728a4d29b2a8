#pragma once
// The few registry operations the program needs: open a key under a root, list and read its
// values, write string values. The Windows build talks to the real registry; tests and the
// portable build use MemoryRegistry or a registry in which no key can be opened.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vq {

enum class RegistryRoot { CurrentUser, LocalMachine, Users, ClassesRoot, CurrentConfig };

enum class RegistryValueType {
    String,        // REG_SZ
    ExpandString,  // REG_EXPAND_SZ
    MultiString,   // REG_MULTI_SZ
    DWord,
    QWord,
    Binary,
    Other,
};

struct RegistryValue {
    RegistryValueType type = RegistryValueType::String;
    // The data of String and ExpandString values; the NUL-separated items of a MultiString;
    // empty for the other types.
    std::u16string text;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// An open key; closed when the object goes. Failures of a single value raise vq::Exception.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    // The names of the key's values, in the registry's order.
    virtual std::vector<std::u16string> ValueNames() const = 0;
    // The value of that name (compared regardless of case); nullopt if there is none.
    virtual std::optional<RegistryValue> ReadValue(std::u16string_view name) const = 0;
    // Stores a REG_SZ value.
    virtual void WriteString(std::u16string_view name, std::u16string_view value) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;

    // Opens root\path ("Software\Policies\..."), creating it and its parents if asked. The result
    // is null when the key cannot be opened or created.
    virtual std::unique_ptr<RegistryKey> OpenKey(RegistryRoot root, std::u16string_view path,
                                                 bool create_if_missing, bool writable) = 0;
};

// Windows: the real registry. Elsewhere: a registry in which no key can be opened.
Registry& PlatformRegistry();

// A string value of a key opened read-only, as the registry's string reader gives it: a plain or
// expandable string taken unexpanded and cut at its first NUL; empty text when the key does not
// open or the value is missing. A value of another type raises "Invalid data type for '<name>'".
std::u16string ReadRegistryString(Registry& registry, RegistryRoot root, std::u16string_view key,
                                  std::u16string_view value_name);

}  // namespace vq
