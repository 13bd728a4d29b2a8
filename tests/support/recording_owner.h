#pragma once
// A window stand-in for worker tests: it answers the address and credentials requests and
// records every message it handles as one line of text.

#include <mutex>
#include <string>
#include <vector>

#include "auth/auth_messages.h"

namespace vq::test {

class RecordingOwner final : public AuthOwner {
public:
    explicit RecordingOwner(std::u16string server) : server_(std::move(server)) {}

    void Send(unsigned message, std::uintptr_t wparam, void* lparam) override;
    std::vector<std::string> Messages() const;

    // The credentials given on WM_AUTH_NEED_DATA.
    std::u16string username = u"TEST\\demo";
    std::u16string groups = u"TEST\\Staff\r\n";
    std::u16string dname = u"Демо Пользователь";

private:
    std::u16string server_;
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
};

}  // namespace vq::test
