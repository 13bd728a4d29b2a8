#pragma once
// The Windows taskbar behind TTaskBar: ITaskbarList3 of CLSID_TaskbarList, one object per
// UpdateBar call, for the owner window.

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

}  // namespace vq
