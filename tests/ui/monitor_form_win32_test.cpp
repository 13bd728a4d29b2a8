// The monitor window as a real window: its identity and styles, where it waits, how the worker's
// reports reach its controls and the tray icon, the hover placement and parking, "Выход" and
// "Переподключиться".

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/program_environment.h"
#include "auth/auth_messages.h"
#include "formats/line_list.h"
#include "formats/value_list.h"
#include "formats/wide_text_win32.h"
#include "tests/support/silent_server_win32.h"
#include "tests/support/workstation_win32.h"
#include "ui/monitor_form_win32.h"
#include "ui/monitor_window_identity.h"

namespace vq {
namespace {

BOOL CALLBACK CollectVisibleText(HWND child, LPARAM list) {
    if (!(GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)) return TRUE;
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    if (text[0]) reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(text);
    return TRUE;
}

// The texts of the window's child windows that are shown (while the window itself may be hidden).
std::vector<std::wstring> VisibleChildTexts(HWND parent) {
    std::vector<std::wstring> texts;
    EnumChildWindows(parent, &CollectVisibleText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
    for (const auto& t : texts)
        if (t == text) return true;
    return false;
}

class MonitorFormTest : public ::testing::Test {
protected:
    test::SilentServer server;
    int relaunches = 0;
    TKVRMonitorForm form{
        ProgramStart{GetModuleHandleW(nullptr), {server.Argument()}, ExecutablePath(), [this] {
                         ++relaunches;
                     }}};
};

TEST_F(MonitorFormTest, WaitsHiddenAboveAndLeftOfTheScreenUnderItsFixedIdentity) {
    const HWND window = form.Handle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindWindowW(kMonitorWindowClass, kMonitorWindowTitle), window);
    EXPECT_FALSE(IsWindowVisible(window));
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    // Owned by the hidden application window: no taskbar button in any shell.
    EXPECT_EQ(GetWindow(window, GW_OWNER), form.ApplicationWindow());
    EXPECT_NE(form.ApplicationWindow(), nullptr);
    RECT client, outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    EXPECT_EQ(client.right, 217);
    EXPECT_EQ(client.bottom, 102);
    EXPECT_EQ(outer.left, -247);
    EXPECT_EQ(outer.top, -132);

    EXPECT_EQ(form.Status(), esConecting);
    EXPECT_EQ(form.ServerName(), server.BaseUrl());
    EXPECT_TRUE(form.CoolTrayIcon1().CycleIcons());
    EXPECT_EQ(form.CoolTrayIcon1().CycleInterval(), 120u);
    EXPECT_TRUE(form.CoolTrayIcon1().IconVisible());
}

TEST_F(MonitorFormTest, WorkerReportsReachTheControlsAndTheTrayIcon) {
    const HWND window = form.Handle();
    TValueList fields;
    fields.SetItem(u"blocked", u"0");
    fields.SetItem(u"unlim", u"1");
    fields.SetItem(u"dname", u"Петров Пётр");
    fields.SetItem(u"tarif", u"Безлимитный");
    fields.SetItem(u"traf", u"1048576");
    fields.SetItem(u"day_traf", u"0");
    SendMessageW(window, WM_AUTH_STATUS, 0, reinterpret_cast<LPARAM>(&fields));
    EXPECT_EQ(form.Status(), esOK);
    const auto texts = VisibleChildTexts(window);
    EXPECT_TRUE(Contains(texts, L"Петров Пётр"));
    EXPECT_TRUE(Contains(texts, L"Безлимитный"));
    EXPECT_TRUE(Contains(texts, L"Не ограничен"));
    EXPECT_TRUE(Contains(texts, L"Всего"));
    EXPECT_FALSE(form.CoolTrayIcon1().CycleIcons());
    EXPECT_EQ(form.CoolTrayIcon1().IconIndex(), 0);

    const std::u16string failure = u"Сервер не ответил за 30000 мс";
    SendMessageW(window, WM_AUTH_ERROR, 0, reinterpret_cast<LPARAM>(failure.c_str()));
    EXPECT_EQ(form.Status(), esServerInternalError);
    EXPECT_EQ(form.View().ErrorLabel.text, failure);
    EXPECT_EQ(form.View().DisplayUserName.text, u"Подключение к " + server.BaseUrl() + u"...");
    EXPECT_TRUE(Contains(VisibleChildTexts(window), ToWide(form.View().DisplayUserName.text)));
    EXPECT_FALSE(Contains(VisibleChildTexts(window), L"Не ограничен"));
    EXPECT_TRUE(form.CoolTrayIcon1().CycleIcons());

    SendMessageW(window, WM_AUTH_FAILED, 0, 0);
    EXPECT_EQ(form.Status(), esAuthFailed);
    EXPECT_EQ(form.CoolTrayIcon1().IconIndex(), 1);

    LineList lines;
    SendMessageW(window, WM_AUTH_GET_SERVER, 0, reinterpret_cast<LPARAM>(&lines));
    EXPECT_EQ(lines.Text(), server.BaseUrl() + u"\r\n");
}

// Numbers in the user's decimal separator, whichever the server sends: a comma on a Russian
// workstation.
TEST_F(MonitorFormTest, BalanceIsWrittenWithTheUsersDecimalSeparator) {
    wchar_t separator[8] = {};
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8), 1);
    if (test::IsRussianWorkstation()) {
        EXPECT_STREQ(separator, L",");
    }
    TValueList fields;
    fields.SetItem(u"blocked", u"0");
    fields.SetItem(u"unlim", u"0");
    fields.SetItem(u"tarif", u"Стандарт 800");
    fields.SetItem(u"balans", u"612.35");
    fields.SetItem(u"day_balans", u"26,90");
    fields.SetItem(u"month_fullpayment", u"800");
    fields.SetItem(u"traf_currency", u"руб.");
    SendMessageW(form.Handle(), WM_AUTH_STATUS, 0, reinterpret_cast<LPARAM>(&fields));
    const std::u16string comma(1, static_cast<char16_t>(separator[0]));
    EXPECT_EQ(form.View().Ostatok.text, u"612" + comma + u"35 руб. [77%]");
    EXPECT_EQ(form.View().Dayli.text, u"26" + comma + u"90 руб.");
}

// A server that refuses the connection: the window's failure text is the worker's report with the
// system's own description, as FormatMessageW words it in the workstation's language, whole.
TEST(MonitorForm, ShowsARefusedConnectionInTheSystemsOwnWords) {
    TKVRMonitorForm form{ProgramStart{GetModuleHandleW(nullptr),
                                      {u"server=http://127.0.0.1:1/"},
                                      ExecutablePath(),
                                      {}}};
    const DWORD deadline = GetTickCount() + 20000;
    while (form.Status() != esServerInternalError && GetTickCount() < deadline) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    ASSERT_EQ(form.Status(), esServerInternalError);
    const std::u16string expected = test::RefusedConnectionText(1);
    EXPECT_EQ(form.View().ErrorLabel.text, expected);
    EXPECT_EQ(form.View().ErrorLabel.text.find(u'\uFFFD'), std::u16string::npos);
    if (test::IsRussianWorkstation()) {
        // The system's part is Russian too: Cyrillic letters after the endpoint.
        const std::u16string system = test::SystemMessage(WSAECONNREFUSED);
        EXPECT_TRUE(std::any_of(system.begin(), system.end(), [](char16_t c) {
            return c >= u'А' && c <= u'я';
        })) << "the system's message is not Russian on a Russian workstation";
    }
}

TEST_F(MonitorFormTest, ShowsBesideThePointerAndParksHiddenWhenItLeaves) {
    const HWND window = form.Handle();
    ASSERT_TRUE(SetCursorPos(1000, 700));
    POINT pointer;
    GetCursorPos(&pointer);
    form.CoolTrayIcon1MouseEnter();
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, pointer.x - 217);
    EXPECT_EQ(r.top, pointer.y - 102 - 32);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(form.VisibleMark());

    form.CoolTrayIcon1MouseExit();
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, -247);
    EXPECT_EQ(r.top, -132);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(form.VisibleMark());  // parking does not clear it
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

RECT RectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The shadow follows the window's visible mark: hidden until the first hover shows the window the
// ordinary way, then beside the window, and still shown, off-screen with it, while the window is
// parked hidden (its mark stays set).
TEST_F(MonitorFormTest, ShadowFollowsTheVisibleMarkAndStaysShownOffScreenWhileParked) {
    const HWND window = form.Handle();
    TLayeredForm& shadow = form.BoldWindowShadow1().Shadow();
    ASSERT_TRUE(SetCursorPos(1000, 700));
    struct Step {
        const char* name;
        void (TKVRMonitorForm::*act)();
        bool windowShown;
        bool shadowShown;
    };
    const Step steps[] = {
        {"start-up", nullptr, false, false},
        {"first hover", &TKVRMonitorForm::CoolTrayIcon1MouseEnter, true, true},
        {"parked", &TKVRMonitorForm::CoolTrayIcon1MouseExit, false, true},
        {"hover again", &TKVRMonitorForm::CoolTrayIcon1MouseEnter, true, true},
        {"parked again", &TKVRMonitorForm::CoolTrayIcon1MouseExit, false, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.act) (form.*s.act)();
        Pump();
        ASSERT_TRUE(shadow.HandleAllocated());
        EXPECT_EQ(IsWindowVisible(window) != FALSE, s.windowShown);
        EXPECT_EQ(IsWindowVisible(shadow.Handle()) != FALSE, s.shadowShown);
        // 30 pixels beyond the window on every side, 3 pixels lower: parked at (-247, -132), the
        // shadow lies at (-277, -159) - (0, 3), left of the screen.
        const RECT w = RectOf(window), d = RectOf(shadow.Handle());
        EXPECT_EQ(d.left, w.left - 30);
        EXPECT_EQ(d.top, w.top - 27);
        EXPECT_EQ(d.right, w.right + 30);
        EXPECT_EQ(d.bottom, w.bottom + 33);
        if (!s.windowShown) {
            EXPECT_EQ(d.right, 0);
        }
    }
}

// The taskbar settings are pushed nine times while the window is made (the seven thumbnail
// buttons' pictures, the taskbar item, the thumbnail clip); after that only a WM_ACTIVATE taken
// from the queue pushes them again, not the window's own activations.
TEST_F(MonitorFormTest, OnlyAQueuedActivationPushesTheTaskbarSettingsAgain) {
    const HWND window = form.Handle();
    EXPECT_EQ(form.TaskBar1().BarUpdates(), 9);
    SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_TRUE(SetCursorPos(1000, 700));
    form.CoolTrayIcon1MouseEnter();  // the first hover shows the window the ordinary way: activated
    Pump();
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_EQ(form.TaskBar1().BarUpdates(), 9);
    PostMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
    Pump();
    EXPECT_EQ(form.TaskBar1().BarUpdates(), 10);
}

// The new instance closes this one: until then the window stays as it is.
TEST_F(MonitorFormTest, ReconnectStartsTheProgramAgainAndLeavesTheWindowToTheNewInstance) {
    EXPECT_EQ(relaunches, 0) << "relaunched while the window was made";
    form.N1Click();
    EXPECT_EQ(relaunches, 1);
    EXPECT_TRUE(IsWindow(form.Handle()));
}

TEST_F(MonitorFormTest, ExitClosesTheWindowAndEndsTheMessageLoop) {
    form.N5Click();
    EXPECT_FALSE(IsWindow(form.Handle()));
    EXPECT_EQ(relaunches, 0);
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT) quit = true;
    EXPECT_TRUE(quit);
}

}  // namespace
}  // namespace vq
