#pragma once
// The monitor window's handler of the account report (WM_AUTH_STATUS): it decides the connection
// status from the account fields of the server's answer and fills the account rows of the view:
// tariff, balance or "Не ограничен", the day's amount or traffic, the total traffic and the
// usage bar.

#include <string_view>

#include "formats/value_list.h"
#include "ui/monitor_view.h"
#include "ui/status_setter.h"

namespace vq {

// Account fields of the server's answer (wire names). Flags are set only when exactly "1".
inline constexpr std::u16string_view kFieldBlocked = u"blocked";       // flag
inline constexpr std::u16string_view kFieldBalans = u"balans";         // number; "-" = negative
inline constexpr std::u16string_view kFieldUnlim = u"unlim";           // flag
inline constexpr std::u16string_view kFieldTarif = u"tarif";           // tariff name
inline constexpr std::u16string_view kFieldDname = u"dname";           // display name
inline constexpr std::u16string_view kFieldIsStatic = u"is_static";    // flag: host by address
inline constexpr std::u16string_view kFieldIP = u"IP";                 // the host's address
inline constexpr std::u16string_view kFieldTraf = u"traf";             // bytes
inline constexpr std::u16string_view kFieldDayTraf = u"day_traf";      // bytes
inline constexpr std::u16string_view kFieldDayBalans = u"day_balans";  // number
inline constexpr std::u16string_view kFieldMonthFullPayment = u"month_fullpayment";  // number
inline constexpr std::u16string_view kFieldTrafCurrency = u"traf_currency";  // currency text

// Sets the status from the fields through SetStatus (with `context` for the texts it needs), then
// writes the header and the line under the picture (esOK only), the tariff, the balance and day
// values, and the total row or the usage bar. The fields are only read.
void HandleAuthStatus(MonitorView& view, const TValueList& fields, const StatusContext& context,
                      char16_t decimalSeparator);

}  // namespace vq
