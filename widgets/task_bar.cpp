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
    : bar_(bar), id_(id), caption_(u"Button" + std::u16string(1, static_cast<char16_t>(u'1' + id))),
      icon_id_(id) {}

void TTaskButton::SetVisible(bool value) { visible_ = value; bar_.UpdateBar(); }
void TTaskButton::SetEnabled(bool value) { enabled_ = value; bar_.UpdateBar(); }
void TTaskButton::SetIconId(int value) { icon_id_ = value; bar_.UpdateBar(); }
void TTaskButton::SetDismiss(bool value) { dismiss_ = value; bar_.UpdateBar(); }
void TTaskButton::SetBackGround(bool value) { background_ = value; bar_.UpdateBar(); }
void TTaskButton::SetInteractive(bool value) { interactive_ = value; bar_.UpdateBar(); }

ThumbButtonRecord TTaskButton::Record() const {
    ThumbButtonRecord record;
    record.dwMask = THB_BITMAP | THB_TOOLTIP | THB_FLAGS;
    record.iId = static_cast<std::uint32_t>(id_);
    record.iBitmap = icon_id_;
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
    for (int i = 0; i < 7; ++i) buttons_[static_cast<std::size_t>(i)] = std::make_unique<TTaskButton>(*this, i);
}

void TTaskBar::SetImageList(TaskbarImageList* images) { images_ = images; UpdateBar(); }
void TTaskBar::SetOIconID(int value) { overlay_icon_ = value; UpdateBar(); }
void TTaskBar::SetOIconDescription(std::u16string value) { overlay_description_ = std::move(value); UpdateBar(); }
void TTaskBar::SetProgressValue(int value) { progress_value_ = value; UpdateBar(); }
void TTaskBar::SetProgressMax(int value) { progress_max_ = value; UpdateBar(); }
void TTaskBar::SetProgressState(TProgressState value) { progress_state_ = value; UpdateBar(); }
void TTaskBar::SetThumbnailTooltip(std::u16string value) { thumbnail_tooltip_ = std::move(value); UpdateBar(); }
void TTaskBar::SetThumbnailClipEnabled(bool value) { clip_enabled_ = value; UpdateBar(); }

void TTaskBar::SetThumbnailClip(const TaskbarRect& clip) {
    if (clip == clip_) return;
    clip_ = clip;
    UpdateBar();
}

void TTaskBar::SetTaskBarButton(bool value) {
    previous_task_bar_button_ = task_bar_button_;
    task_bar_button_ = value;
    UpdateBar();
}

int TTaskBar::ButtonCount() const {
    int count = 0;
    for (const auto& button : buttons_) count += button->Visible() ? 1 : 0;
    return count;
}

void TTaskBar::UpdateBar() {
    ++bar_updates_;
    if (!platform_.HasTaskbarInterface()) return;  // 1
    {
        const std::unique_ptr<TaskbarList> list = platform_.Open();  // 2
        if (list) {
            bool push = true;
            if (task_bar_button_ != previous_task_bar_button_) {  // 3
                if (task_bar_button_) {
                    list->AddTab();
                } else {
                    list->DeleteTab();
                    push = false;
                }
            }
            if (push) {
                list->SetThumbnailTooltip(thumbnail_tooltip_);  // 4
                if (clip_enabled_) list->SetThumbnailClip(clip_);  // 5
                list->SetProgressState(ProgressStateFlag(progress_state_));  // 6
                if (progress_state_ != TProgressState::TBPF_NOPROGRESS &&
                    progress_state_ != TProgressState::TBPF_INDETERMINATE)
                    list->SetProgressValue(progress_value_, progress_max_);
                if (images_) list->SetOverlayIcon(*images_, overlay_icon_, overlay_description_);  // 7
                if (task_bar_button_ != previous_task_bar_button_) list->ActivateTab();  // 8
                std::array<ThumbButtonRecord, 7> records;  // 9
                for (std::size_t i = 0; i < records.size(); ++i) records[i] = buttons_[i]->Record();
                if (images_) list->ThumbBarSetImageList(*images_);  // 10
                list->ThumbBarAddButtons(records);  // 11: the system takes the adding once
                list->ThumbBarUpdateButtons(records);
            }
        }
    }  // 12: released, COM uninitialised
    previous_task_bar_button_ = task_bar_button_;
}

bool TTaskBar::HandleMessage(unsigned message, std::uintptr_t wparam) {
    if (message == kWmActivate) {
        UpdateBar();
        return false;
    }
    if (message == kWmCommand && ((wparam >> 16) & 0xFFFF) == THBN_CLICKED) {
        const std::size_t index = wparam & 0xFFFF;
        if (index < buttons_.size() && buttons_[index]->OnClick) buttons_[index]->OnClick(*buttons_[index]);
        return true;
    }
    return false;
}

}  // namespace vq
