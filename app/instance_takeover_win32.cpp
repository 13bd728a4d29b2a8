#include "app/instance_takeover_win32.h"

#include <shellapi.h>

namespace vq {

TakeoverResult CloseEarlierInstance(std::chrono::milliseconds timeout) {
    const HWND earlier = FindWindowW(kMonitorWindowClass, kMonitorWindowTitle);
    if (!earlier || !IsWindow(earlier)) return TakeoverResult::NoEarlierInstance;
    // SMTO_ABORTIFHUNG gives up at once on a window whose thread the system already counts as
    // hung (no message pumped for five seconds: a slow directory lookup or shell call does it);
    // the time-out covers one that is merely slow to answer. Nothing is waited for afterwards:
    // the earlier process finishes closing on its own.
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(earlier, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG,
                            static_cast<UINT>(timeout.count()), &result))
        return TakeoverResult::Closed;
    // A sent message that was given up on is cancelled, not delivered later. A posted one waits
    // in the queue, so a busy instance still closes as soon as it pumps again: the new process
    // always wins, and two icons and two workers never stay.
    PostMessageW(earlier, WM_CLOSE, 0, 0);
    return TakeoverResult::NotAnswering;
}

void RelaunchProgram(const std::filesystem::path& executable) {
    const std::wstring folder = executable.parent_path().wstring();
    ShellExecuteW(nullptr, L"open", executable.c_str(), L"", folder.c_str(), SW_SHOW);
}

}  // namespace vq
