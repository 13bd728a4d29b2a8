#include "app/entry/tray_program_win32.h"

#include <commctrl.h>

#include <filesystem>
#include <utility>

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

namespace vq {

namespace {

int RunWindows(HINSTANCE instance, std::function<std::shared_ptr<WorkerTime>()> workerTime) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    // The directory's moniker provider is called on this thread when the worker asks for the
    // user's groups.
    ComInitialization com;

    const std::filesystem::path executable = ExecutablePath();
    TKVRMonitorForm monitor(ProgramStart{instance, ProgramArguments(), executable,
                                         [executable] { RelaunchProgram(executable); },
                                         std::move(workerTime)});
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

int RunTrayProgram(HINSTANCE instance, std::function<std::shared_ptr<WorkerTime>()> workerTime) {
    // First of all: no DLL loaded by name from here on comes from the program's own folder.
    SearchDllsInSystemFolderOnly();
    // Before this process has any window of its own, so it never finds itself.
    CloseEarlierInstance();
    // An installer that closes the program to replace it has it started again afterwards.
    RegisterForRestart(ProgramArguments());
    return RunWindows(instance, std::move(workerTime));
}

}  // namespace vq
