#pragma once
// The status setter: what assigning a connection status does to the monitor window's texts,
// colours, pictures, visible rows and tray icon. Assigning the status the view already has does
// nothing at all; whatever a status does not mention keeps its previous value.

#include <string_view>

#include "ui/monitor_view.h"

namespace vq {

// The texts a status shows that are not its own: the server base URL of the connecting header
// and the last reported failure text.
struct StatusContext {
    std::u16string_view serverName;
    std::u16string_view errorMessage;
};

// "Подключение к " + server + "...".
std::u16string ConnectingHeader(std::u16string_view serverName);

// The error panel shown (and the account rows hidden), or the other way round. Hiding the panel
// leaves the total row as it is; showing it hides the total row too.
void ShowErrorPanel(MonitorView& view, bool show);

// Returns whether anything happened (false when the status was already `value`).
bool SetStatus(MonitorView& view, TConectionStatus value, const StatusContext& context);

}  // namespace vq
