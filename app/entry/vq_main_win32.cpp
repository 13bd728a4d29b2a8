// The tray program's entry (app/entry/tray_program_win32.h runs it).

#include <windows.h>

#include "app/entry/tray_program_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const int code = vq::RunTrayProgram(instance);
    // The worker is never waited for: ending the process ends it wherever it is, before anything
    // it might still use is torn down.
    ExitProcess(static_cast<UINT>(code));
}
