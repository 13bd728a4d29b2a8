#include "ui/account_summary.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "formats/ansi_code_page.h"
#include "formats/memory_registry.h"
#include "formats/value_list.h"
#include "ui/status_setter.h"

namespace vq {
namespace {

using Fields = std::vector<std::pair<std::u16string_view, std::u16string>>;

constexpr char16_t kServer[] = u"http://10.0.0.1/";
constexpr char16_t kConnectingHeader[] = u"Подключение к http://10.0.0.1/...";
constexpr char16_t kDisplayName[] = u"Иванов Иван";
constexpr ViewColor kMarkerColor = ViewRgb(1, 2, 3);

class AccountSummaryTest : public ::testing::Test {
protected:
    // The window as start-up leaves it: connecting, then the header replaced by the user's name.
    AccountSummaryTest() {
        SetStatus(view, esConecting, {kServer, u""});
        view.DisplayUserName.text = u"Start-up name";
    }

    void Report(const Fields& values, char16_t separator = u',') {
        fields.Clear();
        for (const auto& [name, value] : values) fields.SetItem(name, value);
        HandleAuthStatus(view, fields, {kServer, u""}, separator);
    }

    MemoryRegistry registry;
    TValueList fields{Windows1251CodePage(), registry};
    MonitorView view;
};

TEST_F(AccountSummaryTest, StatusDecision) {
    struct Case {
        const char* name;
        Fields fields;
        TConectionStatus expected;
    };
    const std::vector<Case> cases = {
        {"blocked wins over everything",
         {{kFieldBlocked, u"1"}, {kFieldBalans, u"100"}, {kFieldUnlim, u"1"}},
         esBlocked},
        {"positive balance", {{kFieldBalans, u"100"}}, esOK},
        {"unreadable balance counts as 1", {{kFieldBalans, u"abc"}}, esOK},
        {"absent balance counts as 1", {}, esOK},
        {"zero balance", {{kFieldBalans, u"0,00"}}, esOutOfBalance},
        {"negative balance", {{kFieldBalans, u"-15.5"}}, esOutOfBalance},
        {"a minus anywhere", {{kFieldBalans, u"1e-5"}}, esOutOfBalance},
        {"minus zero", {{kFieldBalans, u"-0"}}, esOutOfBalance},
        {"negative but unlimited", {{kFieldBalans, u"-15.5"}, {kFieldUnlim, u"1"}}, esOK},
        {"zero but unlimited", {{kFieldBalans, u"0"}, {kFieldUnlim, u"1"}}, esOK},
        {"flags are exactly 1",
         {{kFieldBlocked, u"1 "}, {kFieldBalans, u"0"}, {kFieldUnlim, u"true"}},
         esOutOfBalance},
        {"blocked 0", {{kFieldBlocked, u"0"}, {kFieldBalans, u"5"}}, esOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Report(c.fields);
        EXPECT_EQ(view.FErrorStatus, c.expected);
    }
}

TEST_F(AccountSummaryTest, AccountRows) {
    struct Case {
        const char* name;
        Fields fields;
        ViewText ostatok;  // text, colour, visibility
        std::u16string dayli;
        bool totalRow;  // FullTitle and FullTraf visible
        std::u16string fullTraf;
        BarView bar;
    };
    const std::u16string kOldTotal = u"0000,00";
    const std::vector<Case> cases = {
        {"half the monthly payment",
         {{kFieldBalans, u"150"},
          {kFieldMonthFullPayment, u"300"},
          {kFieldDayBalans, u"12.5"},
          {kFieldTrafCurrency, u"руб."}},
         {u"150,00 руб. [50%]", kBlack, true},
         u"12,50 руб.",
         false,
         kOldTotal,
         {true, 50}},
        {"beyond the bar's maximum",
         {{kFieldBalans, u"450"}, {kFieldMonthFullPayment, u"300"}, {kFieldTrafCurrency, u"руб."}},
         {u"450,00 руб. [150%]", kBlack, true},
         u"0,00 руб.",
         false,
         kOldTotal,
         {true, 100}},
        {"zero balance is red",
         {{kFieldBalans, u"0,00"}, {kFieldMonthFullPayment, u"300"}, {kFieldTrafCurrency, u"руб."}},
         {u"0,00 руб. [0%]", kRed, true},
         u"0,00 руб.",
         false,
         kOldTotal,
         {true, 0}},
        {"unreadable balance shows as zero",
         {{kFieldBalans, u"abc"}, {kFieldMonthFullPayment, u"300"}, {kFieldTrafCurrency, u"$"}},
         {u"0,00 $ [0%]", kRed, true},
         u"0,00 $",
         false,
         kOldTotal,
         {true, 0}},
        {"negative balance, bar at its minimum",
         {{kFieldBalans, u"-30"}, {kFieldMonthFullPayment, u"300"}, {kFieldTrafCurrency, u"руб."}},
         {u"-30,00 руб. [-10%]", kRed, true},
         u"0,00 руб.",
         false,
         kOldTotal,
         {true, 0}},
        {"monthly payment absent",
         {{kFieldBalans, u"1"}},
         {u"1,00  [100000000%]", kBlack, true},
         u"0,00 ",
         false,
         kOldTotal,
         {true, 100}},
        {"percent beyond int64",
         {{kFieldBalans, u"1e300"}},
         {u"1,00000000000000005E300  [9223372036854775807%]", kBlack, true},
         u"0,00 ",
         false,
         kOldTotal,
         {true, 100}},
        {"payment that cancels the epsilon",
         {{kFieldBalans, u"0"}, {kFieldMonthFullPayment, u"-0,000001"}},
         {u"0,00  [0%]", kRed, true},
         u"0,00 ",
         false,
         kOldTotal,
         {true, 0}},
        {"currency with a percent sign is literal",
         {{kFieldBalans, u"10"},
          {kFieldMonthFullPayment, u"100"},
          {kFieldDayBalans, u"1"},
          {kFieldTrafCurrency, u"%d%%s"}},
         {u"10,00 %d%%s [10%]", kBlack, true},
         u"1,00 %d%%s",
         false,
         kOldTotal,
         {true, 10}},
        {"unlimited: traffic in megabytes",
         {{kFieldBalans, u"-15.5"},
          {kFieldUnlim, u"1"},
          {kFieldTraf, u"1048576"},
          {kFieldDayTraf, u"5767168"},
          {kFieldTrafCurrency, u"руб."}},
         {u"Не ограничен", kBlack, true},
         u"5,50 Мб",
         true,
         u"1,00 Мб",
         {false, 68}},
        {"unlimited with absent traffic",
         {{kFieldUnlim, u"1"}},
         {u"Не ограничен", kBlack, true},
         u"0,00 Мб",
         true,
         u"0,00 Мб",
         {false, 68}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorView fresh;  // every case from the same start, status esOK shown
        view = fresh;
        view.FErrorStatus = esSuspended;
        SetStatus(view, esOK, {kServer, u""});
        view.Ostatok.color = kMarkerColor;
        Report(c.fields);
        EXPECT_EQ(view.Ostatok, c.ostatok);
        EXPECT_EQ(view.Dayli.text, c.dayli);
        EXPECT_EQ(view.FullTitle.visible, c.totalRow);
        EXPECT_EQ(view.FullTraf.visible, c.totalRow);
        EXPECT_EQ(view.FullTraf.text, c.fullTraf);
        EXPECT_EQ(view.TrafProgress, c.bar);
    }
}

TEST_F(AccountSummaryTest, PointLocale) {
    Report({{kFieldBalans, u"1234,5"},
            {kFieldMonthFullPayment, u"2469"},
            {kFieldTrafCurrency, u"руб."}},
           u'.');
    EXPECT_EQ(view.Ostatok.text, u"1234.50 руб. [50%]");
}

TEST_F(AccountSummaryTest, HeaderAndStateLineInOK) {
    struct Case {
        const char* name;
        Fields fields;
        std::u16string label1;
    };
    const std::vector<Case> cases = {
        {"static host",
         {{kFieldIsStatic, u"1"}, {kFieldIP, u"192.168.1.15"}},
         u"Хост 192.168.1.15"},
        {"domain user",
         {{kFieldIsStatic, u"0"}, {kFieldIP, u"192.168.1.15"}},
         u"Пользователь домена."},
        {"static flag absent", {}, u"Пользователь домена."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fields values = c.fields;
        values.emplace_back(kFieldBalans, u"10");
        values.emplace_back(kFieldDname, kDisplayName);
        values.emplace_back(kFieldTarif, u"Безлимит 100");
        Report(values);
        ASSERT_EQ(view.FErrorStatus, esOK);
        EXPECT_EQ(view.DisplayUserName.text, kDisplayName);
        EXPECT_EQ(view.Label1.text, c.label1);
        EXPECT_EQ(view.Tarif, (ViewText{u"Безлимит 100", kBlack, true}));
        EXPECT_EQ(view.frontPicture, StatusPicture::PicConected);
    }
}

TEST_F(AccountSummaryTest, OutOfBalanceKeepsTheHeaderUntilTheNextOK) {
    Report({{kFieldBalans, u"0"}, {kFieldDname, kDisplayName}, {kFieldTarif, u"Эконом"}});
    EXPECT_EQ(view.FErrorStatus, esOutOfBalance);
    EXPECT_EQ(view.DisplayUserName.text, u"Start-up name");
    EXPECT_EQ(view.Label1.text, u"Лимит трафика исчерпан");
    EXPECT_EQ(view.Tarif.text, u"Эконом");
    EXPECT_TRUE(view.Tarif.visible);

    Report({{kFieldBalans, u"5"}, {kFieldDname, kDisplayName}, {kFieldTarif, u"Эконом"}});
    EXPECT_EQ(view.FErrorStatus, esOK);
    EXPECT_EQ(view.DisplayUserName.text, kDisplayName);
    EXPECT_EQ(view.Label1.text, u"Пользователь домена.");

    // A second esOK report changes no status yet rewrites the header and the rows.
    Report({{kFieldBalans, u"6"}, {kFieldDname, u"Петров"}, {kFieldTarif, u"Эконом"}});
    EXPECT_EQ(view.DisplayUserName.text, u"Петров");
    EXPECT_EQ(view.Ostatok.text, u"6,00  [600000000%]");
}

TEST_F(AccountSummaryTest, BlockedShowsThePanelWithTheBarOrTheTotalRow) {
    // Limited: the bar in the bottom strip of the panel's area.
    Report({{kFieldBlocked, u"1"},
            {kFieldBalans, u"150"},
            {kFieldMonthFullPayment, u"300"},
            {kFieldTarif, u"Эконом"},
            {kFieldDname, kDisplayName},
            {kFieldTrafCurrency, u"руб."}});
    EXPECT_EQ(view.FErrorStatus, esBlocked);
    EXPECT_EQ(view.DisplayUserName.text, kConnectingHeader);
    EXPECT_EQ(view.Label1.text, u"Отключено");
    EXPECT_TRUE(view.ErrorLabel.visible);
    EXPECT_EQ(view.Tarif, (ViewText{u"Эконом", kBlack, false}));
    EXPECT_EQ(view.Ostatok, (ViewText{u"150,00 руб. [50%]", kBlack, false}));
    EXPECT_EQ(view.TrafProgress, (BarView{true, 50}));
    EXPECT_FALSE(view.FullTitle.visible);
    EXPECT_FALSE(view.FullTraf.visible);

    // Unlimited: the total row instead, the bar hidden.
    Report({{kFieldBlocked, u"1"},
            {kFieldUnlim, u"1"},
            {kFieldTraf, u"2097152"},
            {kFieldTarif, u"Безлимит"}});
    EXPECT_EQ(view.Tarif, (ViewText{u"Безлимит", kBlack, false}));
    EXPECT_EQ(view.FullTitle.visible, true);
    EXPECT_EQ(view.FullTraf, (ViewText{u"2,00 Мб", kBlack, true}));
    EXPECT_FALSE(view.TrafProgress.visible);

    // The texts written while hidden show when a later status shows the rows.
    Report({{kFieldUnlim, u"1"}, {kFieldTraf, u"2097152"}, {kFieldTarif, u"Безлимит"}});
    EXPECT_EQ(view.FErrorStatus, esOK);
    EXPECT_EQ(view.Tarif, (ViewText{u"Безлимит", kBlack, true}));
    EXPECT_EQ(view.Ostatok, (ViewText{u"Не ограничен", kBlack, true}));
    EXPECT_TRUE(view.FullTraf.visible);
}

TEST_F(AccountSummaryTest, BalanceColourIsResetByEveryReport) {
    Report({{kFieldBalans, u"0"}});
    EXPECT_EQ(view.Ostatok.color, kRed);
    Report({{kFieldBalans, u"10"}});
    EXPECT_EQ(view.Ostatok.color, kBlack);
    Report({{kFieldBalans, u"0"}});
    Report({{kFieldBalans, u"0"}, {kFieldUnlim, u"1"}});
    EXPECT_EQ(view.Ostatok, (ViewText{u"Не ограничен", kBlack, true}));
}

TEST_F(AccountSummaryTest, FieldsAreOnlyRead) {
    Report({{kFieldBalans, u"1,5"}, {kFieldUnlim, u"1"}, {kFieldTraf, u"x"}});
    EXPECT_EQ(fields.GetURLEncodedINI(), "balans=1%2C5\r\nunlim=1\r\ntraf=x\r\n");
}

}  // namespace
}  // namespace vq
