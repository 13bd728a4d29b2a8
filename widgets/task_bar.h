#pragma once
// TTaskBar: pushes a window's taskbar settings to the Windows 7 taskbar (ITaskbarList3): whether
// the window has a taskbar item, a progress indication, an overlay icon, a thumbnail tooltip and
// clip, and seven thumbnail toolbar buttons. Every setting calls UpdateBar, which pushes them all.
// The taskbar object itself is behind TaskbarPlatform, so the rules are tested without Windows.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vq {

enum class TProgressState {
    TBPF_NOPROGRESS,
    TBPF_INDETERMINATE,
    TBPF_NORMAL,
    TBPF_ERROR,
    TBPF_PAUSED
};

// The system's flag value of a progress state: 0, 1, 2, 4, 8.
std::uint32_t ProgressStateFlag(TProgressState state);

struct TaskbarRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const TaskbarRect&, const TaskbarRect&) = default;
};

// The image list the overlay icon and the button images come from; opaque to the rules.
class TaskbarImageList {
public:
    virtual ~TaskbarImageList() = default;
};

// One THUMBBUTTON record as handed to the system.
struct ThumbButtonRecord {
    static constexpr std::size_t kTipCapacity = 260;  // characters, the terminating zero included
    std::uint32_t dwMask = 0;
    std::uint32_t iId = 0;
    int iBitmap = 0;
    std::u16string szTip;  // at most kTipCapacity - 1 characters
    std::uint32_t dwFlags = 0;
    friend bool operator==(const ThumbButtonRecord&, const ThumbButtonRecord&) = default;
};

inline constexpr std::uint32_t THB_BITMAP = 0x1, THB_TOOLTIP = 0x4, THB_FLAGS = 0x8;
inline constexpr std::uint32_t THBF_DISABLED = 0x1, THBF_DISMISSONCLICK = 0x2,
                               THBF_NOBACKGROUND = 0x4, THBF_HIDDEN = 0x8,
                               THBF_NONINTERACTIVE = 0x10;
inline constexpr unsigned THBN_CLICKED = 0x1800;

// The taskbar list object of one UpdateBar call, for the owner window.
class TaskbarList {
public:
    virtual ~TaskbarList() = default;  // releases the object and ends the call's COM use
    virtual void AddTab() = 0;
    virtual void DeleteTab() = 0;
    virtual void ActivateTab() = 0;
    virtual void SetThumbnailTooltip(const std::u16string& tip) = 0;
    virtual void SetThumbnailClip(const TaskbarRect& clip) = 0;
    virtual void SetProgressState(std::uint32_t flag) = 0;
    virtual void SetProgressValue(int value, int maximum) = 0;
    virtual void SetOverlayIcon(TaskbarImageList& images, int index,
                                const std::u16string& description) = 0;
    virtual void ThumbBarSetImageList(TaskbarImageList& images) = 0;
    virtual void ThumbBarAddButtons(const std::array<ThumbButtonRecord, 7>& buttons) = 0;
    virtual void ThumbBarUpdateButtons(const std::array<ThumbButtonRecord, 7>& buttons) = 0;
};

class TaskbarPlatform {
public:
    virtual ~TaskbarPlatform() = default;
    // Windows 7 (6.1) or later.
    virtual bool HasTaskbarInterface() const = 0;
    // Initialises COM, creates the taskbar list and calls HrInit; null when that fails.
    virtual std::unique_ptr<TaskbarList> Open() = 0;
};

class TTaskBar;

class TTaskButton {
public:
    TTaskButton(TTaskBar& bar, int id);

    const std::u16string& Caption() const { return caption_; }
    void SetCaption(std::u16string caption) { caption_ = std::move(caption); }  // no update
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int Id() const { return id_; }
    int IconId() const { return iconId_; }
    void SetIconId(int value);
    bool Dismiss() const { return dismiss_; }
    void SetDismiss(bool value);
    bool BackGround() const { return background_; }
    void SetBackGround(bool value);
    bool Interactive() const { return interactive_; }
    void SetInteractive(bool value);
    std::function<void(TTaskButton& sender)> OnClick;

    ThumbButtonRecord Record() const;

private:
    TTaskBar& bar_;
    int id_;
    std::u16string caption_;
    bool visible_ = false, enabled_ = true, dismiss_ = false, background_ = true,
         interactive_ = true;
    int iconId_;
};

class TTaskBar {
public:
    explicit TTaskBar(TaskbarPlatform& platform);
    TTaskBar(const TTaskBar&) = delete;
    TTaskBar& operator=(const TTaskBar&) = delete;

    void SetImageList(TaskbarImageList* images);
    void SetOIconID(int value);
    void SetOIconDescription(std::u16string value);
    void SetTaskBarButton(bool value);
    bool TaskBarButton() const { return taskBarButton_; }
    void SetProgressValue(int value);
    void SetProgressMax(int value);
    void SetProgressState(TProgressState value);
    void SetThumbnailTooltip(std::u16string value);
    void SetThumbnailClip(const TaskbarRect& clip);
    void SetThumbnailClipEnabled(bool value);

    // Buttons 1 to 7 (index 0 to 6), "Button1" to "Button7" when created.
    TTaskButton& Button(int index) { return *buttons_.at(static_cast<std::size_t>(index)); }
    // Visible buttons.
    int ButtonCount() const;

    // Pushes every setting to the taskbar.
    void UpdateBar();
    // How many times UpdateBar has run, for the window and for tests.
    int BarUpdates() const { return barUpdates_; }
    // The application's message hook, for the messages taken from the thread's queue only (a
    // message sent to a window never passes here): a queued WM_ACTIVATE updates the bar; a
    // thumbnail button's click (WM_COMMAND with THBN_CLICKED in the high word) calls its OnClick
    // and is handled. Returns whether the message was handled.
    bool HandleMessage(unsigned message, std::uintptr_t wparam);

private:
    TaskbarPlatform& platform_;
    TaskbarImageList* images_ = nullptr;
    int overlayIcon_ = -1;
    std::u16string overlayDescription_;
    bool taskBarButton_ = true;
    bool previousTaskBarButton_ = false;
    int progressValue_ = 0;
    int progressMax_ = 100;
    TProgressState progressState_ = TProgressState::TBPF_NOPROGRESS;
    std::u16string thumbnailTooltip_;
    TaskbarRect clip_;
    bool clipEnabled_ = false;
    std::array<std::unique_ptr<TTaskButton>, 7> buttons_;
    int barUpdates_ = 0;
};

}  // namespace vq
