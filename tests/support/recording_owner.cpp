#include "tests/support/recording_owner.h"

#include "formats/line_list.h"
#include "formats/utf8.h"
#include "formats/value_list.h"

namespace vq::test {

void RecordingOwner::Send(unsigned message, std::uintptr_t wparam, void* lparam) {
    std::lock_guard lock(mutex_);
    switch (message) {
    case WM_AUTH_GET_SERVER:
        static_cast<LineList*>(lparam)->SetText(server_);
        messages_.push_back("GET_SERVER");
        break;
    case WM_AUTH_NEED_DATA: {
        auto& values = *static_cast<TValueList*>(lparam);
        values.SetItem(u"username", username);
        values.SetItem(u"groups", groups);
        values.SetItem(u"dname", dname);
        messages_.push_back("NEED_DATA");
        break;
    }
    case WM_AUTH_STATUS: {
        const auto& values = *static_cast<TValueList*>(lparam);
        std::string line = "STATUS";
        for (int i = 0; i < values.GetCount(); ++i)
            line += " " + Utf16ToUtf8(values.GetName(i)) + "=" + Utf16ToUtf8(values.GetValue(i));
        messages_.push_back(line);
        break;
    }
    case WM_AUTH_ERROR:
        messages_.push_back("ERROR " + std::to_string(wparam) + " " +
                            Utf16ToUtf8(static_cast<const char16_t*>(lparam)));
        break;
    case WM_AUTH_FAILED: messages_.push_back("FAILED"); break;
    }
}

std::vector<std::string> RecordingOwner::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

}  // namespace vq::test
