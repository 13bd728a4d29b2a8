#include "widgets/cool_tray_icon.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "formats/errors.h"
#include "tests/support/fake_timer_platform.h"

namespace vq {
namespace {

constexpr std::uintptr_t kNotifyWindow = 0x1234;
constexpr std::uintptr_t kOwnerWindow = 0x5678;

// The shell keeps the set of icons in the tray and refuses what the real one refuses.
class FakeShell : public TrayShell {
public:
    struct Call {
        std::uint32_t message;
        TNotifyIconDataEx data;
    };

    bool NotifyIcon(std::uint32_t message, const TNotifyIconDataEx& data) override {
        calls.push_back({message, data});
        // What the thread handles while the shell call waits (a message sent to it meanwhile).
        if (onNotify) onNotify();
        log.push_back("nim" + std::to_string(message));
        if (!ready) return false;
        switch (message) {
        case kNimAdd: return tray.insert(data.uID).second;
        case kNimDelete: return tray.erase(data.uID) > 0;
        default: return tray.count(data.uID) > 0;
        }
    }
    std::optional<TrayPoint> CursorPos() override { return cursor; }
    TShiftState KeyShiftState() override { return keys; }
    std::uint32_t DoubleClickTime() override { return 500; }
    void SetForegroundWindow(std::uintptr_t window) override {
        log.push_back("fg" + std::to_string(window));
    }
    void ProcessMessages() override { log.push_back("process"); }
    void PostNullMessage(std::uintptr_t window) override {
        log.push_back("null" + std::to_string(window));
    }

    int Count(std::uint32_t message) const {
        int n = 0;
        for (const Call& call : calls) n += call.message == message;
        return n;
    }
    const Call& Last() const { return calls.back(); }

    std::function<void()> onNotify;
    bool ready = true;
    std::set<std::uint32_t> tray;
    std::vector<Call> calls;
    std::vector<std::string> log;
    std::optional<TrayPoint> cursor = TrayPoint{100, 700};
    TShiftState keys = 0;
};

class FakeIcon : public TrayIconImage {
public:
    explicit FakeIcon(std::uintptr_t handle) : handle_(handle) {}
    std::uintptr_t Handle() const override {
        if (handle_ == 0) throw EReadError();
        return handle_;
    }
    std::unique_ptr<TrayIconImage> Clone() const override {
        return std::make_unique<FakeIcon>(handle_);
    }

private:
    std::uintptr_t handle_;
};

// Image i of list `base` has the handle base + i.
class FakeImageList : public TrayImageList {
public:
    FakeImageList(int count, std::uintptr_t base) : count_(count), base_(base) {}
    int Count() const override { return count_; }
    std::unique_ptr<TrayIconImage> GetIcon(int index) const override {
        return std::make_unique<FakeIcon>(base_ + static_cast<std::uintptr_t>(index));
    }

private:
    int count_;
    std::uintptr_t base_;
};

class FakeMenu : public TrayPopupMenu {
public:
    explicit FakeMenu(std::vector<std::string>& log) : log_(log) {}
    bool AutoPopup() const override { return autoPopup; }
    void Popup(const void*, int x, int y) override {
        log_.push_back("menu" + std::to_string(x) + "," + std::to_string(y));
    }
    bool ClickDefaultItem() override {
        log_.push_back("default");
        return true;
    }
    bool autoPopup = true;

private:
    std::vector<std::string>& log_;
};

class FakeOwner : public TrayOwner {
public:
    std::uintptr_t Handle() const override { return kOwnerWindow; }
    bool HasMainForm() const override { return true; }
    bool MainFormMinimized() const override { return false; }
    void SetMainFormVisible(bool visible) override { mainVisible = visible; }
    void RestoreMainForm() override {}
    void RestoreApplication() override {}
    void SetShowMainFormAtStart(bool show) override { showAtStart = show; }
    bool Terminating() const override { return false; }
    std::uintptr_t ApplicationWindow() const override { return 0; }
    bool ApplicationWindowVisible() const override { return appVisible; }
    void SetApplicationWindowVisible(bool visible) override { appVisible = visible; }

    bool mainVisible = true;
    bool showAtStart = true;
    bool appVisible = true;
};

class CoolTrayIconTest : public ::testing::Test {
protected:
    CoolTrayIconTest() { platform.Attach(timers); }

    // Every event of the icon is written to `events`.
    void Record(TCoolTrayIcon& tray) {
        auto button = [](TMouseButton b) {
            return b == TMouseButton::mbLeft ? "L" : b == TMouseButton::mbRight ? "R" : "M";
        };
        auto where = [](TShiftState shift, int x, int y) {
            return ":" + std::to_string(shift) + "@" + std::to_string(x) + "," + std::to_string(y);
        };
        tray.OnClick = [this](TCoolTrayIcon&) { events.push_back("click"); };
        tray.OnDblClick = [this](TCoolTrayIcon&) { events.push_back("dbl"); };
        tray.OnMouseEnter = [this](TCoolTrayIcon&) { events.push_back("enter"); };
        tray.OnMouseExit = [this](TCoolTrayIcon&) { events.push_back("exit"); };
        tray.OnMouseMove = [=, this](TCoolTrayIcon&, TShiftState s, int x, int y) {
            events.push_back("move" + where(s, x, y));
        };
        tray.OnMouseDown = [=, this](TCoolTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
            events.push_back(std::string("down") + button(b) + where(s, x, y));
        };
        tray.OnMouseUp = [=, this](TCoolTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
            events.push_back(std::string("up") + button(b) + where(s, x, y));
        };
        tray.OnBalloonHintShow = [this](TCoolTrayIcon&) { events.push_back("bshow"); };
        tray.OnBalloonHintHide = [this](TCoolTrayIcon&) { events.push_back("bhide"); };
        tray.OnBalloonHintTimeout = [this](TCoolTrayIcon&) { events.push_back("btimeout"); };
        tray.OnBalloonHintClick = [this](TCoolTrayIcon&) { events.push_back("bclick"); };
        tray.OnCycle = [this](TCoolTrayIcon&, int next) {
            events.push_back("cycle" + std::to_string(next));
        };
    }

    void Send(const TCoolTrayIcon& tray, std::uint32_t event) {
        handler.HandleIconMessage(WM_TRAY_CALLBACK, tray.IconID(), event);
    }

    std::string Events() {
        std::string joined;
        for (const std::string& e : events) joined += (joined.empty() ? "" : " ") + e;
        events.clear();
        return joined;
    }

    test::FakeTimerPlatform platform;
    TSimpleTimerHandler timers{platform};
    FakeShell shell;
    TTrayIconHandler handler{shell, kNotifyWindow};
    std::vector<std::string> events;
};

TEST_F(CoolTrayIconTest, IconDataAtCreation) {
    TCoolTrayIcon a(handler, timers);
    TCoolTrayIcon b(handler, timers);
    const TNotifyIconDataEx& data = a.Data();
    EXPECT_EQ(data.cbSize, sizeof(TNotifyIconDataEx));
    EXPECT_EQ(data.hWnd, kNotifyWindow);
    EXPECT_EQ(a.Handle(), kNotifyWindow);
    EXPECT_EQ(data.uID, a.IconID());
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, 0x800u);
    EXPECT_NE(a.IconID(), b.IconID());
    EXPECT_EQ(handler.RefCount(), 2);
    EXPECT_TRUE(a.DidExit());
    EXPECT_EQ(a.ExitTimerObject().Interval(), 20u);
    EXPECT_EQ(a.CycleTimerObject().Interval(), 1000u);
    EXPECT_EQ(timers.RefCount(), 6);
    EXPECT_TRUE(shell.calls.empty());  // nothing reaches the shell before the icon is shown
}

TEST_F(CoolTrayIconTest, TooltipTextInIconData) {
    struct Row {
        const char* name;
        std::u16string hint;
        bool showHint;
        std::size_t expectedLength;  // 0: no tooltip
    };
    const std::vector<Row> rows = {
        {"200 characters show their first 127", std::u16string(200, u'ж'), true, 127},
        {"127 characters fit", std::u16string(127, u'a'), true, 127},
        {"short hint", u"Ok", true, 2},
        {"empty hint", u"", true, 0},
        {"ShowHint false", u"Ok", false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TCoolTrayIcon tray(handler, timers);
        tray.SetShowHint(row.showHint);
        tray.SetHint(row.hint);
        const auto& tip = shell.Last().data.szTip;
        EXPECT_EQ(shell.Last().message, kNimModify);
        EXPECT_EQ(std::u16string(tip.data()), row.hint.substr(0, row.expectedLength));
        for (std::size_t i = row.expectedLength; i < tip.size(); ++i) ASSERT_EQ(tip[i], 0) << i;
    }
}

TEST_F(CoolTrayIconTest, IconHandleReadErrorGivesAnEntryWithoutPicture) {
    TCoolTrayIcon tray(handler, timers);
    FakeIcon good(77), bad(0);
    tray.SetIcon(&good);
    EXPECT_EQ(shell.Last().data.hIcon, 77u);
    tray.SetIcon(&bad);
    EXPECT_EQ(shell.Last().data.hIcon, 0u);
}

TEST_F(CoolTrayIconTest, DispatchTable) {
    using namespace tray_msg;
    struct Row {
        const char* name;
        std::uint32_t event;
        TBehavior behavior;
        bool enabled;
        const char* expected;
    };
    // Shift is held (1); the button flag adds 8 (left), 16 (right) or 32 (middle). The cursor is
    // read when the notification is handled.
    const std::vector<Row> rows = {
        {"move", kMouseMove, bhWin95, true, "enter move:1@-20,700"},
        {"left down", kLButtonDown, bhWin95, true, "downL:9@-20,700"},
        {"left up without press", kLButtonUp, bhWin95, true, "upL:9@-20,700"},
        {"left double click", kLButtonDblClk, bhWin95, true, "dbl"},
        {"right down", kRButtonDown, bhWin95, true, "downR:17@-20,700"},
        {"right up, Win95", kRButtonUp, bhWin95, true, "upR:17@-20,700"},
        {"right up, Win2000", kRButtonUp, bhWin2000, true, ""},
        {"middle down", kMButtonDown, bhWin95, true, "downM:33@-20,700"},
        {"middle up", kMButtonUp, bhWin95, true, "upM:33@-20,700"},
        {"context menu, Win95", kContextMenu, bhWin95, true, ""},
        {"context menu, Win2000", kContextMenu, bhWin2000, true, "upR:17@-20,700"},
        {"select, Win2000", kNinSelect, bhWin2000, true, "upR:17@-20,700"},
        {"key select, Win2000", kNinKeySelect, bhWin2000, true, "upR:17@-20,700"},
        {"key select, Win95", kNinKeySelect, bhWin95, true, ""},
        {"balloon show", kNinBalloonShow, bhWin95, true, "bshow"},
        {"balloon hide", kNinBalloonHide, bhWin95, true, "bhide"},
        {"balloon timeout, disabled", kNinBalloonTimeout, bhWin95, false, "btimeout"},
        {"balloon click, disabled", kNinBalloonUserClick, bhWin95, false, "bclick"},
        {"move, disabled", kMouseMove, bhWin95, false, ""},
        {"right down, disabled", kRButtonDown, bhWin95, false, ""},
        {"left double click, disabled", kLButtonDblClk, bhWin95, false, ""},
        {"other message", 0x0209, bhWin95, true, ""},
    };
    shell.cursor = TrayPoint{-20, 700};  // a negative screen coordinate keeps its sign
    shell.keys = ssShift;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TCoolTrayIcon tray(handler, timers);
        tray.SetWantEnterExitEvents(true);
        tray.SetBehavior(row.behavior);
        tray.SetEnabled(row.enabled);
        Record(tray);
        tray.OnDblClick = nullptr;  // keeps the left button rows free of the click timer
        if (row.event == kLButtonDblClk)
            tray.OnDblClick = [this](TCoolTrayIcon&) { events.push_back("dbl"); };
        Send(tray, row.event);
        EXPECT_EQ(Events(), row.expected);
    }
}

TEST_F(CoolTrayIconTest, SharedWindowMessages) {
    TCoolTrayIcon tray(handler, timers);
    Record(tray);
    // An identifier that names no live icon is dropped.
    handler.HandleIconMessage(WM_TRAY_CALLBACK, tray.IconID() + 1000, tray_msg::kLButtonDown);
    EXPECT_EQ(Events(), "");
    for (std::uint32_t msg : {0x02u, 0x10u, 0x11u, 0x12u, 0x16u, 0x82u}) {
        SCOPED_TRACE(msg);
        EXPECT_EQ(handler.HandleIconMessage(msg, 0, 0), std::optional<std::intptr_t>(1));
    }
    EXPECT_EQ(handler.HandleIconMessage(0x000F, 0, 0),
              std::nullopt);  // WM_PAINT: default procedure
}

TEST_F(CoolTrayIconTest, ClickWithoutDoubleClickHandlerIsReportedAtRelease) {
    TCoolTrayIcon tray(handler, timers);
    Record(tray);
    tray.OnDblClick = nullptr;
    Send(tray, tray_msg::kLButtonDown);
    Send(tray, tray_msg::kLButtonUp);
    EXPECT_EQ(Events(), "downL:8@100,700 click upL:8@100,700");
    EXPECT_FALSE(tray.ClickTimerObject().Enabled());
}

TEST_F(CoolTrayIconTest, ClickWaitsForTheDoubleClickTime) {
    TCoolTrayIcon tray(handler, timers);
    Record(tray);
    Send(tray, tray_msg::kLButtonDown);
    Send(tray, tray_msg::kLButtonUp);
    EXPECT_EQ(Events(), "downL:8@100,700 upL:8@100,700");
    EXPECT_EQ(tray.ClickTimerObject().Interval(), 500u);
    platform.Advance(499);
    EXPECT_EQ(Events(), "");
    platform.Advance(1);
    EXPECT_EQ(Events(), "click");
    platform.Advance(5000);
    EXPECT_EQ(Events(), "");  // the timer switched itself off
}

TEST_F(CoolTrayIconTest, DoubleClickDropsThePendingClick) {
    TCoolTrayIcon tray(handler, timers);
    Record(tray);
    for (std::uint32_t event : {tray_msg::kLButtonDown, tray_msg::kLButtonUp,
                                tray_msg::kLButtonDblClk, tray_msg::kLButtonUp})
        Send(tray, event);
    platform.Advance(1000);
    EXPECT_EQ(Events(), "downL:8@100,700 upL:8@100,700 dbl upL:8@100,700");
    // The next single click is reported again.
    Send(tray, tray_msg::kLButtonDown);
    Send(tray, tray_msg::kLButtonUp);
    platform.Advance(500);
    EXPECT_EQ(Events(), "downL:8@100,700 upL:8@100,700 click");
}

TEST_F(CoolTrayIconTest, PointerRestingThenLeaving) {
    TCoolTrayIcon tray(handler, timers);
    tray.OnMouseEnter = [this](TCoolTrayIcon&) { events.push_back("enter"); };
    tray.OnMouseExit = [this](TCoolTrayIcon&) { events.push_back("exit"); };
    tray.SetWantEnterExitEvents(true);
    const std::uintptr_t poll = tray.ExitTimerObject().Id();

    // A parked icon: no poll runs while the pointer is elsewhere.
    platform.Advance(60000);
    EXPECT_EQ(platform.TicksOf(poll), 0);

    Send(tray, tray_msg::kMouseMove);
    Send(tray, tray_msg::kMouseMove);
    EXPECT_EQ(Events(), "enter");
    EXPECT_EQ(platform.PeriodOf(poll), 20u);
    platform.Advance(60000);  // resting on the icon: one enter, no exit
    EXPECT_EQ(Events(), "");
    EXPECT_EQ(platform.TicksOf(poll), 3000);

    shell.cursor = TrayPoint{101, 700};
    platform.Advance(20);  // leaving is reported within one tick
    EXPECT_EQ(Events(), "exit");
    EXPECT_TRUE(tray.DidExit());

    const int ticksAtExit = platform.TicksOf(poll);
    platform.Advance(60000);
    EXPECT_EQ(platform.TicksOf(poll), ticksAtExit);  // parked again: no ticks
    EXPECT_EQ(Events(), "");

    Send(tray, tray_msg::kMouseMove);  // the next movement is a new enter
    EXPECT_EQ(Events(), "enter");
}

TEST_F(CoolTrayIconTest, NoEnterOrExitWithoutWantEnterExitEvents) {
    TCoolTrayIcon tray(handler, timers);
    Record(tray);
    Send(tray, tray_msg::kMouseMove);
    shell.cursor = TrayPoint{0, 0};
    platform.Advance(1000);
    EXPECT_EQ(Events(), "move:0@100,700");
    EXPECT_EQ(platform.TicksOf(tray.ExitTimerObject().Id()), 0);

    // Switching the detection off while inside stops the poll too.
    tray.SetWantEnterExitEvents(true);
    Send(tray, tray_msg::kMouseMove);
    tray.SetWantEnterExitEvents(false);
    EXPECT_FALSE(platform.Running(tray.ExitTimerObject().Id()));
}

TEST_F(CoolTrayIconTest, DisabledIconStillReportsTheExitOfAnEnteredPointer) {
    TCoolTrayIcon tray(handler, timers);
    tray.OnMouseEnter = [this](TCoolTrayIcon&) { events.push_back("enter"); };
    tray.OnMouseExit = [this](TCoolTrayIcon&) { events.push_back("exit"); };
    tray.SetWantEnterExitEvents(true);
    Send(tray, tray_msg::kMouseMove);
    tray.SetEnabled(false);
    shell.cursor = TrayPoint{0, 0};
    platform.Advance(100);
    Send(tray, tray_msg::kMouseMove);  // no new enter while disabled
    platform.Advance(100);
    EXPECT_EQ(Events(), "enter exit");
}

TEST_F(CoolTrayIconTest, IconIndexIsLimitedToTheList) {
    struct Row {
        const char* name;
        bool withList;
        int index;
        int expected;
    };
    const std::vector<Row> rows = {
        {"50 on twelve images", true, 50, 11},
        {"5 on twelve images", true, 5, 5},
        {"negative index", true, -4, 0},
        {"3 without a list", false, 3, 0},
    };
    FakeImageList list(12, 1000);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TCoolTrayIcon tray(handler, timers);
        if (row.withList) tray.SetIconList(&list);
        tray.SetIconIndex(row.index);
        EXPECT_EQ(tray.IconIndex(), row.expected);
        EXPECT_EQ(shell.Last().message, kNimModify);
        if (row.withList) {
            EXPECT_EQ(shell.Last().data.hIcon, 1000u + static_cast<unsigned>(row.expected));
        }
    }
}

TEST_F(CoolTrayIconTest, AnimationStepsAndWraps) {
    FakeImageList list(12, 1000);
    TCoolTrayIcon tray(handler, timers);
    Record(tray);
    tray.SetIconList(&list);
    tray.SetCycleInterval(120);
    tray.SetCycleIcons(true);
    tray.SetIconIndex(10);
    std::vector<std::uintptr_t> shown;
    for (int step = 0; step < 3; ++step) {
        platform.Advance(120);
        shown.push_back(shell.Last().data.hIcon);
    }
    EXPECT_EQ(Events(), "cycle11 cycle0 cycle1");
    EXPECT_EQ(shown, (std::vector<std::uintptr_t>{1011, 1000, 1001}));
    EXPECT_EQ(tray.IconIndex(), 1);
}

TEST_F(CoolTrayIconTest, ZeroCycleIntervalKeepsAStillImageUntilAnIntervalArrives) {
    FakeImageList list(12, 1000);
    TCoolTrayIcon tray(handler, timers);
    tray.SetIconList(&list);
    tray.SetIconIndex(4);
    tray.SetCycleIcons(true);  // stored order: CycleIcons before CycleInterval
    EXPECT_EQ(tray.IconIndex(), 0);
    platform.Advance(5000);
    EXPECT_EQ(tray.IconIndex(), 0);
    EXPECT_FALSE(tray.CycleTimerObject().Enabled());

    tray.SetCycleInterval(120);
    EXPECT_EQ(tray.IconIndex(), 0);
    platform.Advance(240);
    EXPECT_EQ(tray.IconIndex(), 2);
}

TEST_F(CoolTrayIconTest, StoppedAnimationWithAnotherListShowsAFixedImage) {
    FakeImageList loading(12, 1000), normal(8, 2000);
    TCoolTrayIcon tray(handler, timers);
    tray.SetIconList(&loading);
    tray.SetCycleInterval(120);
    tray.SetCycleIcons(true);
    platform.Advance(360);
    tray.SetCycleIcons(false);
    tray.SetIconList(&normal);
    tray.SetIconIndex(1);
    EXPECT_EQ(shell.Last().data.hIcon, 2001u);
    const std::size_t calls = shell.calls.size();
    platform.Advance(10000);
    EXPECT_EQ(shell.calls.size(), calls);
    EXPECT_EQ(tray.IconIndex(), 1);

    tray.ImageListRemoved(&normal);  // a removed list is let go
    EXPECT_EQ(tray.IconList(), nullptr);
}

TEST_F(CoolTrayIconTest, ASettingChangedWhileAFrameIsHandedToTheShellIsNotSteppedOn) {
    // The status arrives while the shell call of a cycle step waits: cycling stops and the still
    // list's image 0 is chosen. The step must not go on to image 1 of the new list.
    FakeImageList loading(12, 1000), normal(7, 2000);
    TCoolTrayIcon tray(handler, timers);
    tray.SetIconList(&loading);
    tray.SetCycleInterval(120);
    tray.SetCycleIcons(true);
    bool reported = false;
    shell.onNotify = [&] {
        if (reported || tray.IconList() != &loading) return;
        reported = true;
        tray.SetCycleIcons(false);
        tray.SetIconList(&normal);
        tray.SetIconIndex(0);
    };
    platform.Advance(120);
    ASSERT_TRUE(reported);
    EXPECT_EQ(tray.IconList(), &normal);
    EXPECT_EQ(tray.IconIndex(), 0);
    EXPECT_EQ(shell.Last().data.hIcon, 2000u);
    EXPECT_FALSE(tray.CycleTimerObject().Enabled());
}

TEST_F(CoolTrayIconTest, MenuOpensOnButtonPress) {
    struct Row {
        const char* name;
        bool leftPopup;
        std::uint32_t event;
        bool opens;
        bool runsDefault;
    };
    const std::vector<Row> rows = {
        {"left press, LeftPopup", true, tray_msg::kLButtonDown, true, false},
        {"right press, LeftPopup", true, tray_msg::kRButtonDown, true, false},
        {"left press", false, tray_msg::kLButtonDown, false, false},
        {"right press", false, tray_msg::kRButtonDown, true, false},
        {"double click", false, tray_msg::kLButtonDblClk, false, true},
        {"double click, LeftPopup", true, tray_msg::kLButtonDblClk, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeOwner owner;
        FakeMenu menu(shell.log);
        TCoolTrayIcon tray(handler, timers, &owner);
        tray.SetPopupMenu(&menu);
        tray.SetLeftPopup(row.leftPopup);
        shell.log.clear();
        Send(tray, row.event);
        const std::vector<std::string> popup = {"fg4660", "fg4660", "process", "menu100,700",
                                                "null22136"};
        const std::vector<std::string> expected = row.opens ? popup
                                                  : row.runsDefault
                                                      ? std::vector<std::string>{"default"}
                                                      : std::vector<std::string>{};
        EXPECT_EQ(shell.log, expected);
    }
}

TEST_F(CoolTrayIconTest, PopupNeedsAMenuAndAnAutoPopup) {
    TCoolTrayIcon tray(handler, timers);
    tray.Popup(1, 2);
    Send(tray, tray_msg::kRButtonDown);
    FakeMenu menu(shell.log);
    menu.autoPopup = false;
    tray.SetPopupMenu(&menu);
    Send(tray, tray_msg::kRButtonDown);
    EXPECT_TRUE(shell.log.empty());
    tray.PopupAtCursor();  // an explicit pop-up does not ask for AutoPopup; no owner, no WM_NULL
    EXPECT_EQ(shell.log, (std::vector<std::string>{"fg4660", "process", "menu100,700"}));
}

TEST_F(CoolTrayIconTest, TaskbarCreatedAddsOnlyVisibleIcons) {
    TCoolTrayIcon shown(handler, timers), deleted(handler, timers);
    shown.SetIconVisible(true);
    deleted.SetIconVisible(true);
    deleted.SetIconVisible(false);
    shell.tray.clear();  // the shell restarted and lost every icon
    shell.calls.clear();
    const std::uint32_t taskbarCreated = 0xC123;
    shown.HandleApplicationMessage(taskbarCreated, 0, 0, taskbarCreated);
    deleted.HandleApplicationMessage(taskbarCreated, 0, 0, taskbarCreated);
    EXPECT_EQ(shell.tray, (std::set<std::uint32_t>{shown.IconID()}));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, kNimAdd);
}

TEST_F(CoolTrayIconTest, FailedAddIsRetried) {
    shell.ready = false;  // logon: the shell is not there yet
    TCoolTrayIcon first(handler, timers), second(handler, timers);
    first.SetIconVisible(true);
    second.SetIconVisible(true);
    EXPECT_TRUE(shell.tray.empty());
    EXPECT_TRUE(first.IconVisible());

    shell.ready = true;
    handler.TaskbarCreated();  // the shell announces its taskbar
    EXPECT_EQ(shell.tray.size(), 2u);

    // A failed add is also made good by the next update of the entry.
    first.SetIconVisible(false);
    shell.ready = false;
    first.SetIconVisible(true);
    shell.ready = true;
    first.Refresh();
    EXPECT_EQ(shell.tray.count(first.IconID()), 1u);
    const int adds = shell.Count(kNimAdd);
    first.Refresh();  // once in the tray, updates do not add again
    EXPECT_EQ(shell.Count(kNimAdd), adds);
}

TEST_F(CoolTrayIconTest, BehaviorAsksForTheNotificationVersion) {
    TCoolTrayIcon tray(handler, timers);
    tray.SetBehavior(bhWin2000);
    EXPECT_EQ(shell.Last().message, kNimSetVersion);
    EXPECT_EQ(shell.Last().data.TimeoutOrVersion, 3u);
    tray.SetBehavior(bhWin95);
    EXPECT_EQ(shell.Last().data.TimeoutOrVersion, 0u);
    EXPECT_TRUE(tray.SetFocus() == false);  // not in the tray
    EXPECT_EQ(shell.Last().message, kNimSetFocus);
}

TEST_F(CoolTrayIconTest, LoadedStepAndDestruction) {
    FakeOwner owner;
    FakeImageList list(12, 1000);
    {
        TCoolTrayIcon tray(handler, timers, &owner);
        tray.OnStartup = [](TCoolTrayIcon&, bool& show) { show = false; };
        // Stored order of the program's settings.
        tray.SetCycleIcons(true);
        tray.SetCycleInterval(120);
        tray.SetIconVisible(true);
        tray.SetIconIndex(10);
        tray.SetWantEnterExitEvents(true);
        tray.SetIconList(&list);  // references are resolved last
        shell.calls.clear();
        tray.Loaded();
        std::vector<std::uint32_t> messages;
        for (const auto& call : shell.calls) messages.push_back(call.message);
        // ModifyTrayIcon, the add again (refused), the restart of the animation at image 0, then
        // the notification version.
        ASSERT_GE(messages.size(), 3u);
        EXPECT_EQ(messages[0], kNimModify);
        EXPECT_EQ(messages[1], kNimAdd);
        EXPECT_EQ(messages.back(), kNimSetVersion);
        EXPECT_EQ(shell.Last().data.TimeoutOrVersion, 0u);
        EXPECT_FALSE(owner.showAtStart);
        EXPECT_FALSE(owner.mainVisible);
        EXPECT_EQ(tray.IconIndex(), 0);
        EXPECT_TRUE(tray.CycleTimerObject().Enabled());
        EXPECT_EQ(shell.tray.size(), 1u);
    }
    EXPECT_EQ(shell.Last().message, kNimDelete);
    EXPECT_TRUE(shell.tray.empty());
    EXPECT_EQ(handler.RefCount(), 0);
    EXPECT_EQ(timers.RefCount(), 0);
    EXPECT_EQ(timers.ActiveCount(), 0);
}

TEST_F(CoolTrayIconTest, MinimizeToTray) {
    FakeOwner owner;
    TCoolTrayIcon tray(handler, timers, &owner);
    // Without an OnMinimizeToTray handler the owner's minimize passes on.
    tray.SetMinimizeToTray(true);
    EXPECT_EQ(tray.HandleOwnerMessage(tray_msg::kSysCommand, tray_msg::kScMinimize, 0),
              std::nullopt);
    int calls = 0;
    tray.OnMinimizeToTray = [&](TCoolTrayIcon&) { ++calls; };
    EXPECT_EQ(tray.HandleOwnerMessage(tray_msg::kSysCommand, tray_msg::kScMinimize, 0),
              std::optional<std::intptr_t>(1));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(owner.mainVisible);
    EXPECT_FALSE(owner.appVisible);
    EXPECT_TRUE(tray.IconVisible());
    // The application's restore shows the main window again.
    tray.HandleApplicationMessage(tray_msg::kSysCommand, tray_msg::kScRestore, 0, 0);
    EXPECT_TRUE(owner.mainVisible);
}

}  // namespace
}  // namespace vq
