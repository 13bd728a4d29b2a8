#pragma once
// The tray icon's tooltip where the tray shows one but no hover window (Linux): the state line,
// and the balance where the window shows one.

#include <string>

#include "ui/monitor_view.h"

namespace vq {

std::u16string TrayToolTip(const MonitorView& view);

}  // namespace vq
