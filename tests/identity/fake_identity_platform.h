#pragma once
// A scripted identity platform for the identity tests: names by format, token and lookup
// outcomes, and a directory of objects by path. It records what the code under test asked for.

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "identity/identity_platform.h"

namespace vq::test {

inline constexpr std::int32_t kPropertyNotFound = static_cast<std::int32_t>(0x8000500D);
inline constexpr std::int32_t kNoSuchObject = static_cast<std::int32_t>(0x80072030);
inline constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x80020005);
inline constexpr std::uint32_t kAccessDenied = 5;

// A directory object: the outcome of binding its path and of its "MemberOf".
struct FakeDirectoryEntry {
    std::int32_t bind_error = 0;  // nonzero: the binding fails with it
    DirectoryAnswer member_of;    // error kPropertyNotFound for an object without the attribute
};

inline DirectoryText Text(std::u16string text) { return {std::move(text), 0}; }
inline DirectoryText BadText() { return {u"", kTypeMismatch}; }
inline FakeDirectoryEntry Single(std::u16string value) { return {0, {0, Text(std::move(value))}}; }
inline FakeDirectoryEntry Many(std::vector<DirectoryText> values) {
    return {0, {0, std::move(values)}};
}
inline FakeDirectoryEntry NoMemberOf() { return {0, {kPropertyNotFound, DirectoryText{}}}; }
inline FakeDirectoryEntry Unbindable() { return {kNoSuchObject, {}}; }

class FakeIdentityPlatform final : public IdentityPlatform {
public:
    // The token user information the fake hands out; the lookup checks it gets it back.
    static constexpr char kTokenUser[] = "S-1-5-21-1-2-3-1001";

    // --- account-name service: a format without a name fails ---
    std::map<NameFormat, std::u16string> names;
    bool names_raise = false;
    std::vector<std::pair<NameFormat, std::size_t>> name_requests;

    // --- tokens: 0 lets the open succeed ---
    std::uint32_t thread_token_error = kErrorNoToken;
    std::uint32_t process_token_error = 0;
    std::vector<std::string> opened;  // "thread", "process": the tokens opened successfully
    // The first GetTokenInformation call: whether it succeeds and the error it fails with.
    bool size_call_succeeds = false;
    std::uint32_t size_call_error = kErrorInsufficientBuffer;
    bool information_fails = false;
    std::vector<std::string> information_tokens;  // which token each call was given

    // --- account lookup: nullopt fails ---
    std::optional<AccountName> account = AccountName{u"ivanov", u"DOMAIN"};
    bool lookup_raises = false;
    std::size_t lookup_capacity = 0;

    // --- directory: a path not listed cannot be bound ---
    std::map<std::u16string, FakeDirectoryEntry> directory;
    std::vector<std::u16string> bound;  // every path asked for, in order

    std::optional<std::u16string> GetUserNameExW(NameFormat format, std::size_t capacity) override {
        name_requests.emplace_back(format, capacity);
        if (names_raise) throw std::runtime_error("name service raised");
        const auto found = names.find(format);
        // As GetUserNameExW: the buffer must hold the name and its terminating NUL.
        if (found == names.end() || found->second.size() + 1 > capacity) return std::nullopt;
        return found->second;
    }

    TokenOpening OpenThreadToken() override { return Open("thread", thread_token_error); }
    TokenOpening OpenProcessToken() override { return Open("process", process_token_error); }

    TokenInformation GetTokenInformation(const AccessToken& token,
                                         std::span<std::byte> buffer) override {
        information_tokens.push_back(static_cast<const Token&>(token).kind);
        const auto needed = static_cast<std::uint32_t>(sizeof kTokenUser);
        if (buffer.empty())
            return {size_call_succeeds, size_call_succeeds ? 0 : size_call_error, needed};
        if (information_fails || buffer.size() < needed) return {false, kAccessDenied, needed};
        std::memcpy(buffer.data(), kTokenUser, needed);
        return {true, 0, needed};
    }

    std::optional<AccountName> LookupAccountSidW(std::span<const std::byte> token_user,
                                                 std::size_t capacity) override {
        if (lookup_raises) throw std::runtime_error("lookup raised");
        lookup_capacity = capacity;
        if (token_user.size() != sizeof kTokenUser ||
            std::memcmp(token_user.data(), kTokenUser, sizeof kTokenUser) != 0)
            return std::nullopt;
        return account;
    }

    DirectoryBinding BindToObject(std::u16string_view path) override {
        bound.emplace_back(path);
        const auto found = directory.find(std::u16string(path));
        if (found == directory.end()) return {nullptr, kNoSuchObject};
        if (found->second.bind_error != 0) return {nullptr, found->second.bind_error};
        return {std::make_unique<Object>(found->second.member_of), 0};
    }

private:
    struct Token final : AccessToken {
        explicit Token(std::string kind) : kind(std::move(kind)) {}
        std::string kind;
    };

    struct Object final : DirectoryObject {
        explicit Object(DirectoryAnswer member_of) : member_of(std::move(member_of)) {}
        DirectoryAnswer Get(std::u16string_view attribute) override {
            if (attribute != u"MemberOf") return {kPropertyNotFound, DirectoryText{}};
            return member_of;
        }
        DirectoryAnswer member_of;
    };

    TokenOpening Open(const char* kind, std::uint32_t error) {
        if (error != 0) return {nullptr, error};
        opened.emplace_back(kind);
        return {std::make_unique<Token>(kind), 0};
    }
};

}  // namespace vq::test
