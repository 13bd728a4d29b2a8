#pragma once
// The Windows taskbar behind TTaskBar: ITaskbarList3 of CLSID_TaskbarList, one object per
// UpdateBar call, for the owner window; and the message hook that hands TTaskBar the messages the
// thread takes from its queue.

#include <windows.h>

#include <commctrl.h>

#include "widgets/task_bar.h"

namespace vq {

// An image list of the platform, for the overlay icon and the thumbnail buttons.
class Win32TaskbarImageList final : public TaskbarImageList {
public:
    explicit Win32TaskbarImageList(HIMAGELIST list) : list_(list) {}
    HIMAGELIST Handle() const { return list_; }

private:
    HIMAGELIST list_;  // not owned
};

class Win32TaskbarPlatform final : public TaskbarPlatform {
public:
    explicit Win32TaskbarPlatform(HWND owner) : owner_(owner) {}
    bool HasTaskbarInterface() const override;
    std::unique_ptr<TaskbarList> Open() override;

private:
    HWND owner_;
};

// Hands TTaskBar::HandleMessage every message the calling thread takes from its queue
// (GetMessageW, or PeekMessageW with PM_REMOVE), before it is dispatched, through a WH_GETMESSAGE
// hook of that thread. Only queued messages reach the bar: the WM_ACTIVATE the system sends on
// every activation goes straight to the window procedure and does not push the settings again,
// a posted one does. A message the bar handles (a thumbnail button's click) becomes WM_NULL, so
// no window procedure sees it. Install it on the thread that runs the message loop.
class TaskBarMessageHook {
public:
    explicit TaskBarMessageHook(TTaskBar& bar);
    ~TaskBarMessageHook();
    TaskBarMessageHook(const TaskBarMessageHook&) = delete;
    TaskBarMessageHook& operator=(const TaskBarMessageHook&) = delete;

    // False when the system refused the hook.
    bool Installed() const { return installed_; }

private:
    static LRESULT CALLBACK GetMessageProc(int code, WPARAM wParam, LPARAM lParam);

    TTaskBar& bar_;
    bool installed_ = false;
};

}  // namespace vq
