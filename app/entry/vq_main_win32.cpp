// The tray program's entry: close an earlier instance, create the monitor window (which starts
// the worker and puts the icon into the notification area) and the hidden about window, and run
// the message loop until the monitor window closes.

#include <windows.h>

#include <commctrl.h>

#include <filesystem>

#include "app/dll_search_win32.h"
#include "app/instance_takeover_win32.h"
#include "app/program_environment.h"
#include "app/restart_registration_win32.h"
#include "formats/registry.h"
#include "identity/com_initialization_win32.h"
#include "identity/identity_platform_win32.h"
#include "ui/about_window.h"
#include "ui/info_form_win32.h"
#include "ui/monitor_form_win32.h"

namespace {

int RunProgram(HINSTANCE instance) {
    using namespace vq;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    // The directory's moniker provider is called on this thread when the worker asks for the
    // user's groups.
    ComInitialization com;

    const std::filesystem::path executable = ExecutablePath();
    TKVRMonitorForm monitor(ProgramStart{instance, ProgramArguments(), executable,
                                         [executable] { RelaunchProgram(executable); }});
    if (!monitor.Handle()) return 1;

    Win32IdentityPlatform identity;
    TInfoForm about(instance, [&] {
        return ReadAboutRows(monitor.ServerName(), identity, PlatformRegistry());
    });
    // Owned like the monitor window, so that it never gets a taskbar button either.
    SetWindowLongPtrW(about.Handle(), GWLP_HWNDPARENT,
                      reinterpret_cast<LONG_PTR>(monitor.ApplicationWindow()));
    monitor.OnShowAbout = [&] { about.Show(); };

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // First of all: no DLL loaded by name from here on comes from the program's own folder.
    vq::SearchDllsInSystemFolderOnly();
    // Before this process has any window of its own, so it never finds itself.
    vq::CloseEarlierInstance();
    // An installer that closes the program to replace it has it started again afterwards.
    vq::RegisterForRestart(vq::ProgramArguments());
    const int code = RunProgram(instance);
    // The worker is never waited for: ending the process ends it wherever it is, before anything
    // it might still use is torn down.
    ExitProcess(static_cast<UINT>(code));
}
