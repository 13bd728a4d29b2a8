#include "widgets/task_bar.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

using Calls = std::vector<std::string>;

class FakeList final : public TaskbarList {
public:
    explicit FakeList(Calls& calls) : calls_(calls) {}
    ~FakeList() override { calls_.push_back("release"); }
    void AddTab() override { calls_.push_back("AddTab"); }
    void DeleteTab() override { calls_.push_back("DeleteTab"); }
    void ActivateTab() override { calls_.push_back("ActivateTab"); }
    void SetThumbnailTooltip(const std::u16string& tip) override {
        calls_.push_back("Tooltip " + std::string(tip.begin(), tip.end()));
    }
    void SetThumbnailClip(const TaskbarRect& c) override {
        calls_.push_back("Clip " + std::to_string(c.right));
    }
    void SetProgressState(std::uint32_t flag) override {
        calls_.push_back("State " + std::to_string(flag));
    }
    void SetProgressValue(int v, int m) override {
        calls_.push_back("Value " + std::to_string(v) + "/" + std::to_string(m));
    }
    void SetOverlayIcon(TaskbarImageList&, int i, const std::u16string&) override {
        calls_.push_back("Overlay " + std::to_string(i));
    }
    void ThumbBarSetImageList(TaskbarImageList&) override { calls_.push_back("ImageList"); }
    void ThumbBarAddButtons(const std::array<ThumbButtonRecord, 7>& b) override {
        calls_.push_back("Add");
        last = b;
    }
    void ThumbBarUpdateButtons(const std::array<ThumbButtonRecord, 7>& b) override {
        calls_.push_back("Update");
        last = b;
    }
    std::array<ThumbButtonRecord, 7> last;

private:
    Calls& calls_;
};

class FakePlatform final : public TaskbarPlatform {
public:
    bool windows7 = true;
    bool object_exists = true;
    Calls calls;
    std::array<ThumbButtonRecord, 7> buttons;
    bool HasTaskbarInterface() const override { return windows7; }
    std::unique_ptr<TaskbarList> Open() override {
        calls.push_back("Open");
        if (!object_exists) return nullptr;
        return std::make_unique<Recorder>(*this);
    }

private:
    struct Recorder final : public TaskbarList {
        explicit Recorder(FakePlatform& p) : p(p), list(p.calls) {}
        FakePlatform& p;
        FakeList list;
        void AddTab() override { list.AddTab(); }
        void DeleteTab() override { list.DeleteTab(); }
        void ActivateTab() override { list.ActivateTab(); }
        void SetThumbnailTooltip(const std::u16string& t) override { list.SetThumbnailTooltip(t); }
        void SetThumbnailClip(const TaskbarRect& c) override { list.SetThumbnailClip(c); }
        void SetProgressState(std::uint32_t f) override { list.SetProgressState(f); }
        void SetProgressValue(int v, int m) override { list.SetProgressValue(v, m); }
        void SetOverlayIcon(TaskbarImageList& l, int i, const std::u16string& d) override {
            list.SetOverlayIcon(l, i, d);
        }
        void ThumbBarSetImageList(TaskbarImageList& l) override { list.ThumbBarSetImageList(l); }
        void ThumbBarAddButtons(const std::array<ThumbButtonRecord, 7>& b) override {
            list.ThumbBarAddButtons(b);
            p.buttons = b;
        }
        void ThumbBarUpdateButtons(const std::array<ThumbButtonRecord, 7>& b) override {
            list.ThumbBarUpdateButtons(b);
            p.buttons = b;
        }
    };
};

TEST(TaskBar, LoadingTheMonitorWindowsSettingsLeavesNoTaskbarItem) {
    FakePlatform platform;
    TTaskBar bar(platform);
    // The stored settings, in order: seven icon ids, no taskbar item, no thumbnail clip.
    for (int i = 0; i < 7; ++i) bar.Button(i).SetIconId(i);
    const Calls full = {"Open",        "AddTab", "Tooltip ", "State 0",
                        "ActivateTab", "Add",    "Update",   "release"};
    const Calls quiet = {"Open", "Tooltip ", "State 0", "Add", "Update", "release"};
    Calls expected = full;
    for (int i = 1; i < 7; ++i) expected.insert(expected.end(), quiet.begin(), quiet.end());
    EXPECT_EQ(platform.calls, expected);

    platform.calls.clear();
    bar.SetTaskBarButton(false);
    EXPECT_EQ(platform.calls, (Calls{"Open", "DeleteTab", "release"}));
    platform.calls.clear();
    bar.SetThumbnailClipEnabled(false);
    EXPECT_EQ(platform.calls, quiet);
    EXPECT_EQ(platform.buttons[3].dwFlags, THBF_HIDDEN);
    EXPECT_EQ(platform.buttons[3].dwMask, 13u);
}

TEST(TaskBar, OlderSystemsAndMissingObjects) {
    FakePlatform platform;
    platform.windows7 = false;
    TTaskBar bar(platform);
    bar.SetProgressValue(5);
    EXPECT_TRUE(platform.calls.empty());
    // The previous value was not updated: on a system with the interface the item is added.
    platform.windows7 = true;
    bar.SetProgressValue(6);
    EXPECT_EQ(platform.calls[1], "AddTab");

    FakePlatform wine;
    wine.object_exists = false;
    TTaskBar failing(wine);
    failing.SetTaskBarButton(false);
    EXPECT_EQ(wine.calls, (Calls{"Open"}));
}

TEST(TaskBar, ProgressClipAndButtonFlags) {
    FakePlatform platform;
    TTaskBar bar(platform);
    bar.SetTaskBarButton(true);
    platform.calls.clear();
    bar.SetProgressState(TProgressState::TBPF_PAUSED);
    EXPECT_EQ(platform.calls,
              (Calls{"Open", "Tooltip ", "State 8", "Value 0/100", "Add", "Update", "release"}));
    platform.calls.clear();
    bar.SetThumbnailClip({0, 0, 0, 0});  // unchanged: no update
    EXPECT_TRUE(platform.calls.empty());
    bar.SetThumbnailClipEnabled(true);
    bar.SetThumbnailClip({1, 2, 30, 40});
    EXPECT_EQ(platform.calls[8 + 2], "Clip 30");

    TTaskButton& button = bar.Button(2);
    button.SetCaption(std::u16string(300, u'x'));
    button.SetEnabled(false);
    EXPECT_EQ(platform.buttons[2].szTip.size(), 259u);
    button.SetCaption(u"short");
    button.SetDismiss(true);
    button.SetBackGround(false);
    button.SetInteractive(false);
    button.SetVisible(true);
    EXPECT_EQ(platform.buttons[2].szTip, u"short");
    EXPECT_EQ(platform.buttons[2].dwFlags,
              THBF_DISABLED | THBF_DISMISSONCLICK | THBF_NOBACKGROUND | THBF_NONINTERACTIVE);
    EXPECT_EQ(platform.buttons[2].iId, 2u);
    EXPECT_EQ(bar.ButtonCount(), 1);
}

TEST(TaskBar, ThumbnailClickCallsTheButtonAndIsHandled) {
    FakePlatform platform;
    TTaskBar bar(platform);
    TTaskButton* clicked = nullptr;
    bar.Button(4).OnClick = [&](TTaskButton& sender) { clicked = &sender; };
    EXPECT_TRUE(bar.HandleMessage(0x0111, (std::uintptr_t{THBN_CLICKED} << 16) | 4));
    EXPECT_EQ(clicked, &bar.Button(4));
    EXPECT_TRUE(bar.HandleMessage(0x0111, (std::uintptr_t{THBN_CLICKED} << 16) | 1));  // no OnClick
    EXPECT_FALSE(bar.HandleMessage(0x0111, 1));
    platform.calls.clear();
    EXPECT_FALSE(bar.HandleMessage(0x0006, 0));  // WM_ACTIVATE pushes the settings again
    EXPECT_FALSE(platform.calls.empty());
}

}  // namespace
}  // namespace vq
