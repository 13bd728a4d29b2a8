#include "ui/account_summary.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "ui/server_numbers.h"

namespace vq {
namespace {

constexpr std::u16string_view kHostLine = u"Хост ";
constexpr std::u16string_view kDomainUserLine = u"Пользователь домена.";
constexpr std::u16string_view kUnlimitedText = u"Не ограничен";
constexpr std::u16string_view kMegabytesSuffix = u" Мб";
constexpr double kBytesPerMegabyte = 1024.0;  // applied twice
// Added to the monthly payment so that an absent or zero payment does not divide by zero.
constexpr double kPaymentEpsilon = 0.000001;
// The usage bar's range.
constexpr std::int64_t kBarMaximum = 100;

bool IsSet(const TValueList& fields, std::u16string_view name) {
    return fields.GetItem(name) == u"1";
}

std::u16string Widen(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

TConectionStatus DecideStatus(const TValueList& fields, char16_t separator) {
    if (IsSet(fields, kFieldBlocked)) return esBlocked;
    const std::u16string balans = fields.GetItem(kFieldBalans);
    // An unreadable or absent balance counts as usable here (default 1).
    if (balans.find(u'-') == std::u16string::npos && ServerStrToFloat(balans, 1.0, separator) != 0)
        return esOK;
    if (IsSet(fields, kFieldUnlim)) return esOK;
    return esOutOfBalance;
}

void ShowLimitedAccount(MonitorView& view, const TValueList& fields, char16_t separator) {
    view.FullTitle.visible = false;
    view.FullTraf.visible = false;

    const double balance = ServerStrToFloat(fields.GetItem(kFieldBalans), 0, separator);
    if (!(balance > 0)) view.Ostatok.color = kRed;
    const double day = ServerStrToFloat(fields.GetItem(kFieldDayBalans), 0, separator);
    const double full =
        ServerStrToFloat(fields.GetItem(kFieldMonthFullPayment), 0, separator) + kPaymentEpsilon;
    const std::int64_t percent = BalancePercent(balance, full);

    // The currency goes in as plain text: a "%" in it is shown, not read as a format directive.
    const std::u16string currency = fields.GetItem(kFieldTrafCurrency);
    view.Ostatok.text = FormatFixed(balance, separator) + u" " + currency + u" [" +
                        Widen(std::to_string(percent)) + u"%]";
    view.Dayli.text = FormatFixed(day, separator) + u" " + currency;

    view.TrafProgress.visible = true;
    view.TrafProgress.position =
        static_cast<int>(std::clamp<std::int64_t>(percent, 0, kBarMaximum));
}

void ShowUnlimitedAccount(MonitorView& view, const TValueList& fields, char16_t separator) {
    view.FullTitle.visible = true;
    view.FullTraf.visible = true;

    const double total = ServerStrToFloat(fields.GetItem(kFieldTraf), 0, separator) /
                         kBytesPerMegabyte / kBytesPerMegabyte;
    const double dayTraffic = ServerStrToFloat(fields.GetItem(kFieldDayTraf), 0, separator) /
                              kBytesPerMegabyte / kBytesPerMegabyte;

    view.Ostatok.text = kUnlimitedText;
    view.Dayli.text = FormatFixed(dayTraffic, separator) + std::u16string(kMegabytesSuffix);
    view.TrafProgress.visible = false;
    view.FullTraf.text = FormatFixed(total, separator) + std::u16string(kMegabytesSuffix);
}

}  // namespace

void HandleAuthStatus(MonitorView& view, const TValueList& fields, const StatusContext& context,
                      char16_t decimalSeparator) {
    // Every report starts the balance in black; a balance that is not positive turns it red.
    view.Ostatok.color = kBlack;

    SetStatus(view, DecideStatus(fields, decimalSeparator), context);

    if (view.FErrorStatus == esOK) view.DisplayUserName.text = fields.GetItem(kFieldDname);
    view.Tarif.text = fields.GetItem(kFieldTarif);
    if (view.FErrorStatus == esOK) {
        view.Label1.text = IsSet(fields, kFieldIsStatic)
                               ? std::u16string(kHostLine) + fields.GetItem(kFieldIP)
                               : std::u16string(kDomainUserLine);
    }

    // The total row or the bar is chosen by the tariff whatever the status: with esBlocked it
    // shows in the bottom strip of the error panel's area.
    if (IsSet(fields, kFieldUnlim))
        ShowUnlimitedAccount(view, fields, decimalSeparator);
    else
        ShowLimitedAccount(view, fields, decimalSeparator);
}

}  // namespace vq
