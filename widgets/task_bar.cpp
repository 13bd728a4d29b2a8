#include "widgets/task_bar.h"

namespace vq {

namespace {
constexpr unsigned kWmActivate = 0x0006;
constexpr unsigned kWmCommand = 0x0111;
}  // namespace

std::uint32_t ProgressStateFlag(TProgressState state) {
    switch (state) {
    case TProgressState::TBPF_NOPROGRESS: return 0;
    case TProgressState::TBPF_INDETERMINATE: return 1;
    case TProgressState::TBPF_NORMAL: return 2;
    case TProgressState::TBPF_ERROR: return 4;
    case TProgressState::TBPF_PAUSED: return 8;
    }
    return 0;
}

TTaskButton::TTaskButton(TTaskBar& bar, int id)
    : bar_(bar),
      id_(id),
      caption_(u"Button" + std::u16string(1, static_cast<char16_t>(u'1' + id))),
      iconId_(id) {}

void TTaskButton::SetVisible(bool value) {
    visible_ = value;
    bar_.UpdateBar();
}
void TTaskButton::SetEnabled(bool value) {
    enabled_ = value;
    bar_.UpdateBar();
}
void TTaskButton::SetIconId(int value) {
    iconId_ = value;
    bar_.UpdateBar();
}
void TTaskButton::SetDismiss(bool value) {
    dismiss_ = value;
    bar_.UpdateBar();
}
void TTaskButton::SetBackGround(bool value) {
    background_ = value;
    bar_.UpdateBar();
}
void TTaskButton::SetInteractive(bool value) {
    interactive_ = value;
    bar_.UpdateBar();
}

ThumbButtonRecord TTaskButton::Record() const {
    ThumbButtonRecord record;
    record.dwMask = THB_BITMAP | THB_TOOLTIP | THB_FLAGS;
    record.iId = static_cast<std::uint32_t>(id_);
    record.iBitmap = iconId_;
    // The tooltip field holds 260 characters with its terminating zero; each record is made
    // afresh, so a caption shortened later leaves nothing of a longer one behind.
    record.szTip = caption_.substr(0, ThumbButtonRecord::kTipCapacity - 1);
    if (!enabled_) record.dwFlags |= THBF_DISABLED;
    if (!visible_) record.dwFlags |= THBF_HIDDEN;
    if (!background_) record.dwFlags |= THBF_NOBACKGROUND;
    if (dismiss_) record.dwFlags |= THBF_DISMISSONCLICK;
    if (!interactive_) record.dwFlags |= THBF_NONINTERACTIVE;
    return record;
}

TTaskBar::TTaskBar(TaskbarPlatform& platform) : platform_(platform) {
    for (int i = 0; i < 7; ++i)
        buttons_[static_cast<std::size_t>(i)] = std::make_unique<TTaskButton>(*this, i);
}

void TTaskBar::SetImageList(TaskbarImageList* images) {
    images_ = images;
    UpdateBar();
}
void TTaskBar::SetOIconID(int value) {
    overlayIcon_ = value;
    UpdateBar();
}
void TTaskBar::SetOIconDescription(std::u16string value) {
    overlayDescription_ = std::move(value);
    UpdateBar();
}
void TTaskBar::SetProgressValue(int value) {
    progressValue_ = value;
    UpdateBar();
}
void TTaskBar::SetProgressMax(int value) {
    progressMax_ = value;
    UpdateBar();
}
void TTaskBar::SetProgressState(TProgressState value) {
    progressState_ = value;
    UpdateBar();
}
void TTaskBar::SetThumbnailTooltip(std::u16string value) {
    thumbnailTooltip_ = std::move(value);
    UpdateBar();
}
void TTaskBar::SetThumbnailClipEnabled(bool value) {
    clipEnabled_ = value;
    UpdateBar();
}

void TTaskBar::SetThumbnailClip(const TaskbarRect& clip) {
    if (clip == clip_) return;
    clip_ = clip;
    UpdateBar();
}

void TTaskBar::SetTaskBarButton(bool value) {
    previousTaskBarButton_ = taskBarButton_;
    taskBarButton_ = value;
    UpdateBar();
}

int TTaskBar::ButtonCount() const {
    int count = 0;
    for (const auto& button : buttons_) count += button->Visible() ? 1 : 0;
    return count;
}

void TTaskBar::UpdateBar() {
    ++barUpdates_;
    if (!platform_.HasTaskbarInterface()) return;  // 1
    {
        const std::unique_ptr<TaskbarList> list = platform_.Open();  // 2
        if (list) {
            bool push = true;
            if (taskBarButton_ != previousTaskBarButton_) {  // 3
                if (taskBarButton_) {
                    list->AddTab();
                } else {
                    list->DeleteTab();
                    push = false;
                }
            }
            if (push) {
                list->SetThumbnailTooltip(thumbnailTooltip_);               // 4
                if (clipEnabled_) list->SetThumbnailClip(clip_);            // 5
                list->SetProgressState(ProgressStateFlag(progressState_));  // 6
                if (progressState_ != TProgressState::TBPF_NOPROGRESS &&
                    progressState_ != TProgressState::TBPF_INDETERMINATE)
                    list->SetProgressValue(progressValue_, progressMax_);
                if (images_)
                    list->SetOverlayIcon(*images_, overlayIcon_, overlayDescription_);  // 7
                if (taskBarButton_ != previousTaskBarButton_) list->ActivateTab();      // 8
                std::array<ThumbButtonRecord, 7> records;                               // 9
                for (std::size_t i = 0; i < records.size(); ++i) records[i] = buttons_[i]->Record();
                if (images_) list->ThumbBarSetImageList(*images_);  // 10
                list->ThumbBarAddButtons(records);  // 11: the system takes the adding once
                list->ThumbBarUpdateButtons(records);
            }
        }
    }  // 12: released, COM uninitialised
    previousTaskBarButton_ = taskBarButton_;
}

bool TTaskBar::HandleMessage(unsigned message, std::uintptr_t wparam) {
    if (message == kWmActivate) {
        UpdateBar();
        return false;
    }
    if (message == kWmCommand && ((wparam >> 16) & 0xFFFF) == THBN_CLICKED) {
        const std::size_t index = wparam & 0xFFFF;
        if (index < buttons_.size() && buttons_[index]->OnClick)
            buttons_[index]->OnClick(*buttons_[index]);
        return true;
    }
    return false;
}

}  // namespace vq
