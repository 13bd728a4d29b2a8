#include "widgets/task_bar_win32.h"

#include <shobjidl.h>
#include <versionhelpers.h>

#include <algorithm>
#include <vector>

namespace vq {

namespace {

// One WH_GETMESSAGE hook per thread, shared by the thread's bars: a hook procedure gets no
// context of its own, and two hooks of one procedure could not tell which bars are theirs.
struct ThreadMessageHook {
    HHOOK hook = nullptr;
    std::vector<TTaskBar*> bars;
};
thread_local ThreadMessageHook tMessageHook;

// One call's taskbar list: COM initialised for the call, the object created and HrInit done;
// the destructor releases the object and uninitialises COM again.
class Win32TaskbarList final : public TaskbarList {
public:
    Win32TaskbarList(HWND owner, HRESULT com, ITaskbarList3* list)
        : owner_(owner), com_(com), list_(list) {}
    ~Win32TaskbarList() override {
        list_->Release();
        if (SUCCEEDED(com_)) CoUninitialize();
    }
    Win32TaskbarList(const Win32TaskbarList&) = delete;
    Win32TaskbarList& operator=(const Win32TaskbarList&) = delete;

    void AddTab() override { list_->AddTab(owner_); }
    void DeleteTab() override { list_->DeleteTab(owner_); }
    void ActivateTab() override { list_->ActivateTab(owner_); }
    void SetThumbnailTooltip(const std::u16string& tip) override {
        list_->SetThumbnailTooltip(owner_, reinterpret_cast<LPCWSTR>(tip.c_str()));
    }
    void SetThumbnailClip(const TaskbarRect& clip) override {
        RECT rect{clip.left, clip.top, clip.right, clip.bottom};
        list_->SetThumbnailClip(owner_, &rect);
    }
    void SetProgressState(std::uint32_t flag) override {
        list_->SetProgressState(owner_, static_cast<TBPFLAG>(flag));
    }
    void SetProgressValue(int value, int maximum) override {
        list_->SetProgressValue(owner_, static_cast<ULONGLONG>(std::max(value, 0)),
                                static_cast<ULONGLONG>(std::max(maximum, 0)));
    }
    void SetOverlayIcon(TaskbarImageList& images, int index,
                        const std::u16string& description) override {
        const HIMAGELIST list = static_cast<Win32TaskbarImageList&>(images).Handle();
        const HICON icon = ImageList_GetIcon(list, index, ILD_NORMAL);
        list_->SetOverlayIcon(owner_, icon, reinterpret_cast<LPCWSTR>(description.c_str()));
        if (icon) DestroyIcon(icon);
    }
    void ThumbBarSetImageList(TaskbarImageList& images) override {
        list_->ThumbBarSetImageList(owner_, static_cast<Win32TaskbarImageList&>(images).Handle());
    }
    void ThumbBarAddButtons(const std::array<ThumbButtonRecord, 7>& buttons) override {
        auto records = Records(buttons);
        list_->ThumbBarAddButtons(owner_, static_cast<UINT>(records.size()), records.data());
    }
    void ThumbBarUpdateButtons(const std::array<ThumbButtonRecord, 7>& buttons) override {
        auto records = Records(buttons);
        list_->ThumbBarUpdateButtons(owner_, static_cast<UINT>(records.size()), records.data());
    }

private:
    static std::array<THUMBBUTTON, 7> Records(const std::array<ThumbButtonRecord, 7>& buttons) {
        std::array<THUMBBUTTON, 7> records{};
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            const ThumbButtonRecord& from = buttons[i];
            THUMBBUTTON& to = records[i];
            to.dwMask = static_cast<THUMBBUTTONMASK>(from.dwMask);
            to.iId = from.iId;
            to.iBitmap = static_cast<UINT>(from.iBitmap);
            const std::size_t length = std::min(from.szTip.size(), std::size(to.szTip) - 1);
            std::copy_n(from.szTip.data(), length, to.szTip);
            to.szTip[length] = L'\0';
            to.dwFlags = static_cast<THUMBBUTTONFLAGS>(from.dwFlags);
        }
        return records;
    }

    HWND owner_;
    HRESULT com_;
    ITaskbarList3* list_;
};

}  // namespace

bool Win32TaskbarPlatform::HasTaskbarInterface() const { return IsWindows7OrGreater(); }

std::unique_ptr<TaskbarList> Win32TaskbarPlatform::Open() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ITaskbarList3* list = nullptr;
    const HRESULT created = CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_ITaskbarList3, reinterpret_cast<void**>(&list));
    if (SUCCEEDED(created) && SUCCEEDED(list->HrInit()))
        return std::make_unique<Win32TaskbarList>(owner_, com, list);
    if (list) list->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    return nullptr;
}

TaskBarMessageHook::TaskBarMessageHook(TTaskBar& bar) : bar_(bar) {
    ThreadMessageHook& thread = tMessageHook;
    if (thread.hook == nullptr)
        thread.hook =
            SetWindowsHookExW(WH_GETMESSAGE, &GetMessageProc, nullptr, GetCurrentThreadId());
    if (thread.hook == nullptr) return;
    thread.bars.push_back(&bar_);
    installed_ = true;
}

TaskBarMessageHook::~TaskBarMessageHook() {
    if (!installed_) return;
    ThreadMessageHook& thread = tMessageHook;
    thread.bars.erase(std::find(thread.bars.begin(), thread.bars.end(), &bar_));
    if (thread.bars.empty()) {
        UnhookWindowsHookEx(thread.hook);
        thread.hook = nullptr;
    }
}

LRESULT CALLBACK TaskBarMessageHook::GetMessageProc(int code, WPARAM wParam, LPARAM lParam) {
    // PM_NOREMOVE: the message was only looked at and stays in the queue; it comes back here when
    // it is taken.
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        const std::vector<TTaskBar*> bars = tMessageHook.bars;  // a handler may end a hook
        for (TTaskBar* bar : bars) {
            if (std::find(tMessageHook.bars.begin(), tMessageHook.bars.end(), bar) ==
                tMessageHook.bars.end())
                continue;
            if (bar->HandleMessage(message->message,
                                   static_cast<std::uintptr_t>(message->wParam))) {
                // Handled: dispatched as WM_NULL, which every window procedure ignores.
                message->message = WM_NULL;
                break;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace vq
