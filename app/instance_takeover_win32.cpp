#include "app/instance_takeover_win32.h"

#include <shellapi.h>

namespace vq {

TakeoverResult CloseEarlierInstance(std::chrono::milliseconds timeout) {
    const HWND earlier = FindWindowW(kMonitorWindowClass, kMonitorWindowTitle);
    if (!earlier || !IsWindow(earlier)) return TakeoverResult::NoEarlierInstance;
    // SMTO_ABORTIFHUNG gives up at once on a window whose thread the system already counts as
    // hung; the time-out covers one that is merely slow to answer. Nothing is waited for
    // afterwards: the earlier process finishes closing on its own.
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(earlier, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG,
                                             static_cast<UINT>(timeout.count()), &result);
    return sent ? TakeoverResult::Closed : TakeoverResult::NotAnswering;
}

void RelaunchProgram(const std::filesystem::path& executable) {
    const std::wstring folder = executable.parent_path().wstring();
    ShellExecuteW(nullptr, L"open", executable.c_str(), L"", folder.c_str(), SW_SHOW);
}

}  // namespace vq
