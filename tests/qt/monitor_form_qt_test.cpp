#include "qt/monitor_form_qt.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "auth/auth_messages.h"
#include "formats/ansi_code_page.h"
#include "formats/memory_registry.h"
#include "ui/account_summary.h"
#include "ui/monitor_layout.h"

namespace vq {
namespace {

// The server address comes from the argument; there is no system file in the tests.
class ArgumentSources final : public ConfigSources {
public:
    const std::vector<std::u16string>& Arguments() const override { return arguments; }
    bool IniFileExists() const override { return false; }
    std::u16string ReadIniString(std::u16string_view, std::u16string_view,
                                 std::u16string_view default_value) const override {
        return std::u16string(default_value);
    }
    Registry& PolicyRegistry() const override { return registry; }

    // A port nobody listens on: the worker's reports are failures, handled only when a test
    // runs the event loop.
    std::vector<std::u16string> arguments{u"server=http://127.0.0.1:9/"};
    mutable MemoryRegistry registry;
};

class MonitorFormQtTest : public ::testing::Test {
protected:
    MonitorFormQtTest() {
        MonitorServices services;
        services.arguments = sources.arguments;
        services.configSources = &sources;
        services.headerUserName = u"Иванов Иван";
        services.answerNeedData = [this](TValueList& values) {
            values.SetItem(u"username", u"CORP\\ivanov");
            ++needDataCalls;
        };
        form = std::make_unique<TKVRMonitorForm>(std::move(services));
    }

    void ReportStatus(std::initializer_list<std::pair<std::u16string_view, std::u16string>> items) {
        TValueList fields(Windows1251CodePage(), registry);
        for (const auto& [name, value] : items) fields.SetItem(name, value);
        form->HandleWorkerMessage(WM_AUTH_STATUS, 0, &fields);
    }

    QRgb PixelAt(const QImage& image, const ControlRect& r, int dx, int dy) {
        return image.pixel(r.left + dx, r.top + dy);
    }

    ArgumentSources sources;
    MemoryRegistry registry;
    int needDataCalls = 0;
    std::unique_ptr<TKVRMonitorForm> form;
};

TEST_F(MonitorFormQtTest, StartsConnectingWithTheSpinnerAndTheUsersName) {
    EXPECT_EQ(form->Status(), esConecting);
    EXPECT_EQ(form->ServerName(), u"http://127.0.0.1:9/");
    EXPECT_EQ(form->View().DisplayUserName.text, u"Иванов Иван");
    EXPECT_TRUE(form->CoolTrayIcon1().Spinning());
    EXPECT_TRUE(form->CoolTrayIcon1().Icon().toolTip().startsWith(QStringLiteral("Подключение")));
}

TEST_F(MonitorFormQtTest, AStatusReportChangesTheViewTheIconTheTooltipAndThePicture) {
    const QImage before = form->Render();
    ReportStatus({{kFieldBalans, u"150,50"}, {kFieldTarif, u"Безлимитный"}});
    EXPECT_EQ(form->Status(), esOK);
    EXPECT_FALSE(form->CoolTrayIcon1().Spinning());
    EXPECT_EQ(form->CoolTrayIcon1().ShownIndex(), form->View().tray.iconIndex);
    const QString tip = form->CoolTrayIcon1().Icon().toolTip();
    EXPECT_TRUE(tip.contains(QString::fromStdU16String(form->View().Ostatok.text)))
        << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("Баланс"))) << tip.toStdString();

    const QImage after = form->Render();
    ASSERT_EQ(after.size(), QSize(kMonitorClientWidth, kMonitorClientHeight));
    // The status picture in front changed from the connecting one.
    int changed = 0;
    for (int y = 0; y < monitor_layout::kStatusPicture.height; ++y)
        for (int x = 0; x < monitor_layout::kStatusPicture.width - 1; ++x)
            changed += before.pixel(x, y) != after.pixel(x, y);
    EXPECT_GT(changed, 50);
    // The usage bar is painted at its place when shown, white where it is not.
    if (form->View().TrafProgress.visible) {
        EXPECT_NE(PixelAt(after, monitor_layout::kTrafProgress, 100, 5), qRgb(255, 255, 255));
    } else {
        EXPECT_EQ(PixelAt(after, monitor_layout::kTrafProgress, 100, 5), qRgb(255, 255, 255));
    }
}

TEST_F(MonitorFormQtTest, FailuresAndCredentialRequestsGoThroughTheSameRules) {
    form->HandleWorkerMessage(WM_AUTH_FAILED, 0, nullptr);
    EXPECT_EQ(form->Status(), esAuthFailed);
    EXPECT_TRUE(form->View().ErrorLabel.visible);

    TValueList values(Windows1251CodePage(), registry);
    form->HandleWorkerMessage(WM_AUTH_NEED_DATA, 0, &values);
    EXPECT_EQ(needDataCalls, 1);
    EXPECT_EQ(values.GetItem(u"username"), u"CORP\\ivanov");

    const char16_t text[] = u"Сервер не отвечает";
    form->HandleWorkerMessage(WM_AUTH_ERROR, 0, const_cast<char16_t*>(text));
    EXPECT_EQ(form->Status(), esServerInternalError);
    EXPECT_TRUE(form->CoolTrayIcon1().Icon().toolTip().size() > 0);
}

TEST_F(MonitorFormQtTest, TheMenuHasTheThreeCommandsInOrder) {
    QStringList texts;
    for (QAction* action : form->PopupMenu1().actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Переподключиться"), QStringLiteral("О программе"),
                                  QStringLiteral("-"), QStringLiteral("Выход")}));
}

}  // namespace
}  // namespace vq
