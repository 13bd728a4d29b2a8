#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "formats/errors.h"
#include "formats/registry.h"
#include "formats/unique_handle_win32.h"
#include "formats/utf8.h"
#include "formats/wide_text_win32.h"

namespace vq {

namespace {

// An open key, closed once with RegCloseKey.
using KeyHandle = UniqueHandle<HKEY, &RegCloseKey>;

HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users: return HKEY_USERS;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CURRENT_USER;
}

RegistryValueType ValueType(DWORD type) {
    switch (type) {
    case REG_SZ: return RegistryValueType::String;
    case REG_EXPAND_SZ: return RegistryValueType::ExpandString;
    case REG_MULTI_SZ: return RegistryValueType::MultiString;
    case REG_DWORD: return RegistryValueType::DWord;
    case REG_QWORD: return RegistryValueType::QWord;
    case REG_BINARY: return RegistryValueType::Binary;
    default: return RegistryValueType::Other;
    }
}

class Win32RegistryKey final : public RegistryKey {
public:
    explicit Win32RegistryKey(KeyHandle key) : key_(std::move(key)) {}

    std::vector<std::u16string> ValueNames() const override {
        DWORD longest = 0;
        if (RegQueryInfoKeyW(key_.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            throw Exception("Failed to get information about the registry key");

        std::vector<std::u16string> names;
        std::wstring buffer(longest + 1, L'\0');
        for (DWORD index = 0;;) {
            DWORD length = static_cast<DWORD>(buffer.size());
            const LSTATUS status = RegEnumValueW(key_.Get(), index, buffer.data(), &length, nullptr,
                                                 nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status == ERROR_MORE_DATA) {  // a longer name was added meanwhile
                buffer.resize(buffer.size() * 2);
                continue;
            }
            if (status != ERROR_SUCCESS)
                throw Exception("Failed to list the registry key's values");
            names.push_back(FromWide(std::wstring_view(buffer.data(), length)));
            ++index;
        }
        return names;
    }

    std::optional<RegistryValue> ReadValue(std::u16string_view name) const override {
        const std::wstring wide_name = ToWide(name);
        DWORD type = 0;
        DWORD size = 0;
        std::vector<BYTE> data;
        for (;;) {
            LSTATUS status =
                RegQueryValueExW(key_.Get(), wide_name.c_str(), nullptr, &type, nullptr, &size);
            if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
            if (status != ERROR_SUCCESS) throw ReadFailure(name);
            data.resize(size);
            status =
                RegQueryValueExW(key_.Get(), wide_name.c_str(), nullptr, &type, data.data(), &size);
            if (status == ERROR_MORE_DATA) continue;  // the value grew between the two calls
            if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
            if (status != ERROR_SUCCESS) throw ReadFailure(name);
            data.resize(size);
            break;
        }

        RegistryValue value{ValueType(type), {}};
        if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
            // The stored data need not end in a NUL, and may hold an odd byte at the end.
            std::u16string text(data.size() / 2, u'\0');
            for (std::size_t i = 0; i < text.size(); ++i)
                text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
            if (type == REG_MULTI_SZ) {
                while (!text.empty() && text.back() == u'\0') text.pop_back();
            } else {
                text.resize(std::min(text.size(), text.find(u'\0')));
            }
            value.text = std::move(text);
        }
        return value;
    }

    void WriteString(std::u16string_view name, std::u16string_view value) override {
        const std::wstring data = ToWide(value);
        const auto size = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        if (RegSetValueExW(key_.Get(), ToWide(name).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()), size) != ERROR_SUCCESS)
            throw Exception("Failed to set data for '" + Utf16ToUtf8(name) + "'");
    }

private:
    static Exception ReadFailure(std::u16string_view name) {
        return Exception("Failed to get data for '" + Utf16ToUtf8(name) + "'");
    }

    KeyHandle key_;
};

class Win32Registry final : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenKey(RegistryRoot root, std::u16string_view path,
                                         bool create_if_missing, bool writable) override {
        const std::wstring wide_path = ToWide(path);
        const REGSAM access = KEY_READ | (writable ? KEY_WRITE : 0);
        HKEY key = nullptr;
        const LSTATUS status =
            create_if_missing
                ? RegCreateKeyExW(RootKey(root), wide_path.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr)
                : RegOpenKeyExW(RootKey(root), wide_path.c_str(), 0, access, &key);
        if (status != ERROR_SUCCESS) return nullptr;
        return std::make_unique<Win32RegistryKey>(KeyHandle(key));
    }
};

}  // namespace

Registry& PlatformRegistry() {
    static Win32Registry registry;  // holds no state
    return registry;
}

}  // namespace vq
