#include "app/restart_registration_win32.h"

#include <windows.h>

#include "app/restart_command_line.h"

namespace vq {

void RegisterForRestart(const std::vector<std::u16string>& arguments) {
    const std::u16string line = RestartCommandLine(arguments);
    if (line.size() >= RESTART_MAX_CMD_LINE) return;
    RegisterApplicationRestart(reinterpret_cast<const wchar_t*>(line.c_str()), RESTART_NO_REBOOT);
}

}  // namespace vq
