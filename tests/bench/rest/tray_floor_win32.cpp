// vq_tray_floor: the least a tray program is, as the floor that vq.exe's start-up and memory are
// compared with. It registers a window class, creates a hidden window, puts one icon (the system's
// application icon) into the notification area and runs its message loop until WM_CLOSE; nothing
// else. It is linked as vq.exe is (static runtime, the same optimisation) so that what differs is
// what vq.exe does, not how it is built.

#include <windows.h>
#include <shellapi.h>

namespace {

constexpr wchar_t kClassName[] = L"VqTrayFloor";
constexpr UINT kIconMessage = WM_APP + 1;
constexpr UINT kIconId = 1;

struct TrayFloor {
    HWND window = nullptr;
    UINT taskbarCreated = 0;

    NOTIFYICONDATAW IconData() const {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = window;
        data.uID = kIconId;
        return data;
    }

    // A shell that is not up yet refuses the icon; "TaskbarCreated" brings it back.
    void AddIcon() const {
        NOTIFYICONDATAW data = IconData();
        data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
        data.uCallbackMessage = kIconMessage;
        data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        lstrcpynW(data.szTip, L"vq tray floor", ARRAYSIZE(data.szTip));
        Shell_NotifyIconW(NIM_ADD, &data);
    }

    void RemoveIcon() const {
        NOTIFYICONDATAW data = IconData();
        Shell_NotifyIconW(NIM_DELETE, &data);
    }
};

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* floor = reinterpret_cast<TrayFloor*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        floor = static_cast<TrayFloor*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        floor->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(floor));
    }
    if (floor && msg == floor->taskbarCreated) {
        floor->AddIcon();
        return 0;
    }
    if (msg == WM_DESTROY) {
        if (floor) floor->RemoveIcon();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    TrayFloor floor;
    floor.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return 1;
    // Hidden and a tool window, as vq.exe's: no taskbar button.
    if (!CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         instance, &floor))
        return 1;
    floor.AddIcon();
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
