#include "ui/status_setter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/failure_reports.h"
#include "ui/monitor_view.h"

namespace vq {
namespace {

constexpr char16_t kServer[] = u"http://10.0.0.1/";
constexpr char16_t kConnectingHeader[] = u"Подключение к http://10.0.0.1/...";
constexpr char16_t kFailureText[] = u"Socket Error # 10061\r\nConnection refused.";
constexpr ViewColor kMarkerColor = ViewRgb(1, 2, 3);

// A view in which every field the setter may touch holds a value no status writes, so a row's
// expectation shows exactly what the status changed and what it kept.
MonitorView MarkedView(TConectionStatus status) {
    MonitorView view;
    view.FErrorStatus = status;
    for (ViewText* text :
         {&view.ErrorLabel, &view.Label1, &view.DisplayUserName, &view.Tarif, &view.FullTitle,
          &view.FullTraf, &view.Dayli, &view.StaticText4, &view.StaticText3, &view.Ostatok}) {
        text->text = u"marker";
        text->color = kMarkerColor;
    }
    view.FullTitle.visible = true;
    view.FullTraf.visible = true;
    view.frontPicture = StatusPicture::PicPause;
    view.TrafProgress = {true, 42};
    view.tray = {false, TrayIconList::NormalIcons, 5, 9};
    return view;
}

void PanelShown(MonitorView& view) {
    view.ErrorLabel.visible = true;
    for (ViewText* row : {&view.Tarif, &view.StaticText3, &view.StaticText4, &view.Ostatok,
                          &view.Dayli, &view.FullTitle, &view.FullTraf})
        row->visible = false;
    view.TrafProgress.visible = false;
    view.Image1Visible = false;
}

// The rows shown; the total row keeps its visibility.
void RowsShown(MonitorView& view) {
    view.ErrorLabel.visible = false;
    for (ViewText* row :
         {&view.Tarif, &view.StaticText3, &view.StaticText4, &view.Ostatok, &view.Dayli})
        row->visible = true;
    view.TrafProgress.visible = true;
    view.Image1Visible = true;
}

void Spin(TrayView& tray) { tray = {true, TrayIconList::LoadingIcon, 0, tray.assignments + 1}; }

void Fixed(TrayView& tray, int index) {
    tray = {false, TrayIconList::NormalIcons, index, tray.assignments + 1};
}

void ConnectingRow(MonitorView& view, ViewColor color, std::u16string_view text) {
    view.DisplayUserName.text = kConnectingHeader;
    view.Label1.text = u"Подключение...";
    view.frontPicture = StatusPicture::PicConecting;
    view.ErrorLabel.color = color;
    view.ErrorLabel.text = text;
    PanelShown(view);
    Spin(view.tray);
}

TEST(StatusSetterTest, EachStatusChangesExactlyItsRow) {
    struct Case {
        const char* name;
        TConectionStatus status;
        std::function<void(MonitorView&)> expect;  // applied to the marked view
    };
    const std::vector<Case> cases = {
        {"esOK", esOK,
         [](MonitorView& v) {
             RowsShown(v);
             v.frontPicture = StatusPicture::PicConected;
             v.DisplayUserName.color = kBlack;
             Fixed(v.tray, kTrayIconOk);
         }},
        {"esConecting", esConecting,
         [](MonitorView& v) { ConnectingRow(v, kBlack, u"Ожидание подключения к серверу..."); }},
        {"esConectionFailed", esConectionFailed,
         [](MonitorView& v) { ConnectingRow(v, kRed, kFailureText); }},
        {"esServerInternalError", esServerInternalError,
         [](MonitorView& v) { ConnectingRow(v, kRed, kFailureText); }},
        {"esBlocked", esBlocked,
         [](MonitorView& v) {
             v.DisplayUserName.text = kConnectingHeader;
             PanelShown(v);
             v.frontPicture = StatusPicture::PicStop;
             v.DisplayUserName.color = kBlack;
             Fixed(v.tray, kTrayIconStopped);
             v.ErrorLabel.text = u"Учетная запись заблокированна администратором сети";
             v.Label1.text = u"Отключено";
         }},
        {"esOutOfBalance", esOutOfBalance,
         [](MonitorView& v) {
             RowsShown(v);
             v.frontPicture = StatusPicture::PicStop;
             v.DisplayUserName.color = kBlack;
             Fixed(v.tray, kTrayIconStopped);
             v.Label1.text = u"Лимит трафика исчерпан";
         }},
        {"esSuspended", esSuspended,
         [](MonitorView& v) {
             RowsShown(v);
             v.frontPicture = StatusPicture::PicPause;
             v.DisplayUserName.color = kBlack;
             Fixed(v.tray, kTrayIconStopped);
             v.Label1.text = u"Приостановлено";
         }},
        {"esAuthFailed", esAuthFailed,
         [](MonitorView& v) {
             v.DisplayUserName.text = u"Доступ в Интернет заблокирован";
             v.Label1.text = u"Ошибка авторизации";
             v.frontPicture = StatusPicture::PicStop;
             v.ErrorLabel.color = kRed;
             v.ErrorLabel.text =
                 u"Для получения доступа к Интернет обратитесь к администратору сети.";
             Fixed(v.tray, kTrayIconStopped);
         }},
    };
    for (const Case& c : cases) {
        // Each row from a status that differs from its own, with the panel shown and then hidden.
        for (const bool panel : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (panel ? " from panel" : " from rows"));
            MonitorView view = MarkedView(c.status == esSuspended ? esOK : esSuspended);
            ShowErrorPanel(view, panel);
            MonitorView expected = view;
            c.expect(expected);
            expected.FErrorStatus = c.status;

            EXPECT_TRUE(SetStatus(view, c.status, {kServer, kFailureText}));
            EXPECT_EQ(view, expected);
        }
    }
}

TEST(StatusSetterTest, AssigningTheCurrentStatusChangesNothing) {
    for (int s = esOK; s <= esAuthFailed; ++s) {
        const auto status = static_cast<TConectionStatus>(s);
        SCOPED_TRACE(s);
        MonitorView view = MarkedView(status == esOK ? esConecting : esOK);
        ASSERT_TRUE(SetStatus(view, status, {kServer, kFailureText}));
        const MonitorView before = view;
        // Even with another server name and failure text in the meantime.
        EXPECT_FALSE(SetStatus(view, status, {u"http://other/", u"newer failure"}));
        EXPECT_EQ(view, before);
    }
}

TEST(StatusSetterTest, ValueOutsideTheEnumerationChangesNothing) {
    MonitorView view = MarkedView(esOK);
    const MonitorView before = view;
    EXPECT_FALSE(SetStatus(view, static_cast<TConectionStatus>(8), {kServer, kFailureText}));
    EXPECT_EQ(view, before);
}

TEST(StatusSetterTest, StartUpAssignmentFromTheCreatedWindowIsCarriedOut) {
    MonitorView view;  // esOK at creation
    ASSERT_TRUE(SetStatus(view, esConecting, {kServer, u""}));
    EXPECT_EQ(view.DisplayUserName.text, kConnectingHeader);
    EXPECT_EQ(view.ErrorLabel, (ViewText{u"Ожидание подключения к серверу...", kBlack, true}));
    EXPECT_EQ(view.frontPicture, StatusPicture::PicConecting);
    EXPECT_FALSE(view.Tarif.visible);
    EXPECT_EQ(view.tray, (TrayView{true, TrayIconList::LoadingIcon, 0, 1}));
}

TEST(StatusSetterTest, EmptyServerNameGivesABareConnectingHeader) {
    EXPECT_EQ(ConnectingHeader(u""), u"Подключение к ...");
    MonitorView view;
    SetStatus(view, esServerInternalError, {u"", u"x"});
    EXPECT_EQ(view.DisplayUserName.text, u"Подключение к ...");
}

TEST(StatusSetterTest, BlockedTextKeepsTheColourOfTheLastPanelStatus) {
    struct Case {
        TConectionStatus before;
        ViewColor color;
    };
    const std::vector<Case> cases = {
        {esConecting, kBlack},
        {esConectionFailed, kRed},
        {esServerInternalError, kRed},
        {esAuthFailed, kRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.before));
        MonitorView view;
        SetStatus(view, esConecting, {kServer, u""});
        SetStatus(view, c.before, {kServer, kFailureText});
        SetStatus(view, esBlocked, {kServer, kFailureText});
        EXPECT_EQ(view.ErrorLabel,
                  (ViewText{u"Учетная запись заблокированна администратором сети", c.color, true}));
    }
}

TEST(StatusSetterTest, AuthFailedKeepsTheLowerAreaItFinds) {
    // After a panel status its red text is shown in the panel.
    MonitorView view;
    SetStatus(view, esConecting, {kServer, u""});
    SetStatus(view, esAuthFailed, {kServer, u""});
    EXPECT_EQ(view.ErrorLabel,
              (ViewText{u"Для получения доступа к Интернет обратитесь к администратору сети.", kRed,
                        true}));
    EXPECT_FALSE(view.Tarif.visible);

    // After esOK the account rows stay and the text waits in the hidden panel.
    SetStatus(view, esOK, {kServer, u""});
    SetStatus(view, esAuthFailed, {kServer, u""});
    EXPECT_EQ(view.DisplayUserName.text, u"Доступ в Интернет заблокирован");
    EXPECT_FALSE(view.ErrorLabel.visible);
    EXPECT_TRUE(view.Tarif.visible);
    EXPECT_TRUE(view.Ostatok.visible);
    EXPECT_TRUE(view.TrafProgress.visible);

    // A later panel status shows it (esBlocked keeps the colour and replaces the text).
    SetStatus(view, esBlocked, {kServer, u""});
    EXPECT_TRUE(view.ErrorLabel.visible);
    EXPECT_EQ(view.ErrorLabel.color, kRed);
}

class FailureReportsTest : public ::testing::Test {
protected:
    FailureReportsTest() {
        SetStatus(view, esConecting, {kServer, u""});
        SetStatus(view, esOK, {kServer, u""});
    }
    MonitorView view;
    std::u16string errorMessage;
};

TEST_F(FailureReportsTest, FirstFailureAfterSuccessShowsItsText) {
    HandleAuthError(view, errorMessage, 0, u"first", kServer);
    EXPECT_EQ(errorMessage, u"first");
    EXPECT_EQ(view.FErrorStatus, esServerInternalError);
    EXPECT_EQ(view.ErrorLabel, (ViewText{u"first", kRed, true}));
    EXPECT_EQ(view.frontPicture, StatusPicture::PicConecting);
    EXPECT_EQ(view.Label1.text, u"Подключение...");
    EXPECT_EQ(view.DisplayUserName.text, kConnectingHeader);
    EXPECT_FALSE(view.Tarif.visible);
    EXPECT_TRUE(view.tray.cycleIcons);
    EXPECT_EQ(view.tray.list, TrayIconList::LoadingIcon);
    EXPECT_EQ(view.tray.iconIndex, 0);
}

TEST_F(FailureReportsTest, RunOfOneKindKeepsTheFirstTextOnScreen) {
    HandleAuthError(view, errorMessage, 0, u"first", kServer);
    view.tray.iconIndex = 7;  // the spinner has moved on
    HandleAuthError(view, errorMessage, 0, u"second", kServer);
    EXPECT_EQ(errorMessage, u"second");
    EXPECT_EQ(view.ErrorLabel.text, u"first");
    EXPECT_EQ(view.tray.iconIndex, 7);

    // The next change into a failure status shows the text stored at that moment, and the
    // spinner starts again at frame 0.
    SetStatus(view, esOK, {kServer, errorMessage});
    HandleAuthError(view, errorMessage, 0, u"third", kServer);
    EXPECT_EQ(view.ErrorLabel.text, u"third");
    EXPECT_EQ(view.tray.iconIndex, 0);
}

TEST_F(FailureReportsTest, LocalSocketFailureAfterOtherFailureShowsTheNewerText) {
    HandleAuthError(view, errorMessage, 0, u"server down", kServer);
    HandleAuthError(view, errorMessage, kLocalSocketFailure, u"socket failed", kServer);
    EXPECT_EQ(view.FErrorStatus, esConectionFailed);
    EXPECT_EQ(view.ErrorLabel, (ViewText{u"socket failed", kRed, true}));
    // Any wParam other than 1 is a failure of the other kind.
    HandleAuthError(view, errorMessage, 2, u"again", kServer);
    EXPECT_EQ(view.FErrorStatus, esServerInternalError);
    EXPECT_EQ(view.ErrorLabel.text, u"again");
}

TEST_F(FailureReportsTest, NullTextReadsAsEmpty) {
    errorMessage = u"old";
    HandleAuthError(view, errorMessage, 0, nullptr, kServer);
    EXPECT_EQ(errorMessage, u"");
    EXPECT_EQ(view.ErrorLabel.text, u"");
}

TEST_F(FailureReportsTest, RefusedCredentialsSetAuthFailed) {
    HandleAuthFailed(view, errorMessage, kServer);
    EXPECT_EQ(view.FErrorStatus, esAuthFailed);
    EXPECT_EQ(view.Label1.text, u"Ошибка авторизации");
    EXPECT_EQ(view.tray, (TrayView{false, TrayIconList::NormalIcons, kTrayIconStopped, 3}));
}

}  // namespace
}  // namespace vq
