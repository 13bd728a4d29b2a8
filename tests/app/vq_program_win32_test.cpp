// The tray program vq.exe end to end: its icon in the notification area, the hover window, the
// takeover of an earlier instance, the connection log switch and "Выход". The program talks to
// the reference access server whose base URL scripts/test puts into VQ_ACCESS_SERVER (its accounts
// file names the Wine user, so the client's status becomes OK). scripts/test runs these tests in
// Wine's virtual desktop with a taskbar, and again without a virtual desktop on a composited
// screen, where layered windows are blended as on Windows.
//
// Where the icon is: Shell_NotifyIconGetRect answers E_NOTIMPL under Wine, and its notification
// areas draw the icons themselves, without a window per icon. Icons stand in square slots as high
// as the area. In the virtual desktop the area is the right end of the taskbar (Shell_TrayWnd,
// along the bottom of the desktop), filled from the right edge leftwards in the order the icons
// were added, so the newest icon is the leftmost one. Without a virtual desktop it is a small
// top-level window of Wine's own ("Wine System Tray"), filled from the left, so the newest icon is
// the rightmost one; the tests put that window into the bottom right corner of the screen, where
// Windows has the notification area. The pointer is moved with SetCursorPos, which makes the
// notification area send the icon's WM_MOUSEMOVE notification.
//
// Every wait has a generous bound that only keeps a broken program from hanging the suite.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/instance_takeover_win32.h"
#include "formats/ansi_code_page.h"
#include "formats/unique_handle_win32.h"
#include "tests/support/workstation_win32.h"
#include "ui/monitor_form_win32.h"
#include "widgets/pixel_surface.h"
#include "widgets/png_writer.h"

namespace vq {
namespace {

namespace fs = std::filesystem;
using UniqueProcess = UniqueHandle<HANDLE, &CloseHandle>;

constexpr DWORD kBoundMs = 30000;
constexpr int kWidth = 217;  // the monitor window's outer size: no border
constexpr int kHeight = 102;
const POINT kRestingPlace{500, 300};  // far from the taskbar and from the hover window

// Polls until the condition holds or the bound has passed; pumps this thread's messages meanwhile.
bool WaitUntil(const std::function<bool()>& condition, DWORD boundMs = kBoundMs) {
    const ULONGLONG end = GetTickCount64() + boundMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() > end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(20);
    }
}

// As WaitUntil, but the condition must still hold 300 ms later: the shell may send one more
// mouse-move notification for the place the pointer has just left.
bool WaitUntilSettled(const std::function<bool()>& condition, DWORD boundMs = kBoundMs) {
    return WaitUntil([&] { return condition() && (Sleep(300), condition()); }, boundMs);
}

std::string AccessServerUrl() {
    const char* value = std::getenv("VQ_ACCESS_SERVER");
    return value ? value : "";
}

// The program as built, as a Windows path: the build gives a Unix one, which Wine reads on the
// current drive (Z:, the Unix root, when the suite is started from the source tree).
fs::path ProgramPath() { return fs::absolute(fs::path(VQ_PROGRAM_PATH)).make_preferred(); }

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// "http://HOST:PORT/..." -> HOST, PORT.
std::optional<std::pair<std::string, std::uint16_t>> HostAndPort(const std::string& url) {
    const std::string scheme = "http://";
    if (url.rfind(scheme, 0) != 0) return std::nullopt;
    const auto colon = url.find(':', scheme.size());
    const auto slash = url.find('/', scheme.size());
    if (colon == std::string::npos || (slash != std::string::npos && slash < colon))
        return std::nullopt;
    const int port = std::atoi(url.c_str() + colon + 1);
    if (port <= 0 || port > 65535) return std::nullopt;
    return std::make_pair(url.substr(scheme.size(), colon - scheme.size()),
                          static_cast<std::uint16_t>(port));
}

// ---- the program's processes and windows ----

// The monitor windows of the program's processes on this desktop, with their process ids. Looked
// up by class only, and the title read only from other processes: for a window of this process on
// another thread, a title comparison would send it WM_GETTEXT and wait for that thread.
std::vector<std::pair<HWND, DWORD>> ProgramWindows() {
    std::vector<std::pair<HWND, DWORD>> found;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, kMonitorWindowClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId()) continue;
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 64);
        if (lstrcmpW(title, kMonitorWindowTitle) == 0) found.emplace_back(window, owner);
    }
    return found;
}

// The monitor window of one process, or null.
HWND MonitorWindowOf(DWORD processId) {
    for (const auto& [window, owner] : ProgramWindows())
        if (owner == processId) return window;
    return nullptr;
}

bool HasEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

// Ends a process the way a user would (WM_CLOSE to its window, so its icon leaves the tray), and
// terminates it when it does not go.
void EndProcess(HANDLE process, DWORD processId) {
    if (HasEnded(process)) return;
    if (HWND window = MonitorWindowOf(processId)) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
    }
}

// Every instance of the program on this desktop, including those started by others (a relaunch).
void EndEveryInstance() {
    for (const auto& [window, id] : ProgramWindows()) {
        UniqueProcess process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
        if (process) EndProcess(process.Get(), id);
    }
}

// One started vq.exe, ended when the object goes.
class Program {
public:
    Program(const fs::path& executable, const std::wstring& arguments) {
        std::wstring line = L"\"" + executable.wstring() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        const std::wstring folder = executable.parent_path().wstring();
        if (CreateProcessW(executable.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder.c_str(), &startup, &info)) {
            CloseHandle(info.hThread);
            process_.Reset(info.hProcess);
            id_ = info.dwProcessId;
        }
    }
    ~Program() {
        if (process_) EndProcess(process_.Get(), id_);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    HANDLE Process() const { return process_.Get(); }
    DWORD Id() const { return id_; }
    bool Running() const { return process_ && !HasEnded(process_.Get()); }
    HWND Window() const { return MonitorWindowOf(id_); }
    // The monitor window, once the program has created it.
    HWND WaitForWindow() const {
        HWND window = nullptr;
        WaitUntil([&] { return (window = Window()) != nullptr || !Running(); });
        return window;
    }

private:
    UniqueProcess process_;
    DWORD id_ = 0;
};

// ---- the notification area on screen ----

struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> bgrx;  // 0x00RRGGBB, top-down
    bool operator==(const Pixels&) const = default;
};

Pixels CaptureScreen(const RECT& area) {
    Pixels result;
    result.width = area.right - area.left;
    result.height = area.bottom - area.top;
    result.bgrx.assign(static_cast<size_t>(result.width) * result.height, 0);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = result.width;
    info.bmiHeader.biHeight = -result.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, result.width, result.height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const auto* source = static_cast<const std::uint32_t*>(bits);
        for (size_t i = 0; i < result.bgrx.size(); ++i) result.bgrx[i] = source[i] & 0x00FFFFFF;
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result;
}

// Wine's taskbar, when the tests run in its virtual desktop: visible and as wide as eight slots at
// least. Without a virtual desktop the window exists too, hidden and empty.
std::optional<RECT> VirtualDesktopTaskbar() {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT bar{};
    if (!tray || !IsWindowVisible(tray) || !GetWindowRect(tray, &bar)) return std::nullopt;
    const int slot = bar.bottom - bar.top;
    if (slot <= 0 || bar.right - bar.left < 8 * slot) return std::nullopt;
    return bar;
}

// Wine's own notification area without a virtual desktop, moved into the bottom right corner of
// the screen; its client area on screen. Wine shows the window only while it holds an icon.
std::optional<RECT> StandaloneNotificationArea() {
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    RECT outer{}, client{};
    if (!tray || !IsWindowVisible(tray) || !GetWindowRect(tray, &outer) ||
        !GetClientRect(tray, &client))
        return std::nullopt;
    const int right = GetSystemMetrics(SM_CXSCREEN), bottom = GetSystemMetrics(SM_CYSCREEN);
    if (outer.right != right || outer.bottom != bottom) {
        SetWindowPos(tray, nullptr, right - (outer.right - outer.left),
                     bottom - (outer.bottom - outer.top), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Sleep(300);
    }
    POINT origin{0, 0};
    if (!GetClientRect(tray, &client) || !ClientToScreen(tray, &origin)) return std::nullopt;
    OffsetRect(&client, origin.x, origin.y);
    if (client.bottom - client.top <= 0) return std::nullopt;
    return client;
}

// The slot of the newest icon in the notification area: of the slots that hold anything but the
// area's own colour, side by side from where the area fills, the last one.
std::optional<RECT> NewestTrayIcon() {
    RECT strip{};
    bool fills_from_right = true;
    if (const auto bar = VirtualDesktopTaskbar()) {
        // The right half of the taskbar: the notification area, never the start button.
        strip = RECT{bar->left + (bar->right - bar->left) / 2, bar->top, bar->right, bar->bottom};
    } else if (const auto area = StandaloneNotificationArea()) {
        strip = *area;
        fills_from_right = false;
    } else {
        return std::nullopt;
    }
    const int slot = strip.bottom - strip.top;
    const Pixels pixels = CaptureScreen(strip);
    std::map<std::uint32_t, int> counts;
    for (auto value : pixels.bgrx) ++counts[value];
    std::uint32_t background = 0;
    int most = 0;
    for (auto [value, count] : counts)
        if (count > most) most = count, background = value;
    const auto occupied = [&](int left) {
        int differing = 0;
        for (int y = 0; y < pixels.height; ++y)
            for (int x = left; x < left + slot; ++x)
                if (pixels.bgrx[static_cast<size_t>(y) * pixels.width + x] != background)
                    ++differing;
        return differing >= 10;
    };
    std::optional<RECT> newest;
    const int slots = pixels.width / slot;
    for (int i = 0; i < slots; ++i) {
        const int left = fills_from_right ? pixels.width - (i + 1) * slot : i * slot;
        if (!occupied(left)) break;  // icons stand side by side from where the area fills
        newest = RECT{strip.left + left, strip.top, strip.left + left + slot, strip.bottom};
    }
    return newest;
}

std::string Describe(const std::optional<RECT>& r) {
    if (!r) return "(none)";
    return "(" + std::to_string(r->left) + "," + std::to_string(r->top) + ")-(" +
           std::to_string(r->right) + "," + std::to_string(r->bottom) + ")";
}

POINT CentreOf(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Pixels that are clearly green: the disc of the OK icon.
int GreenPixels(const Pixels& pixels) {
    int count = 0;
    for (auto value : pixels.bgrx) {
        const int r = (value >> 16) & 0xFF, g = (value >> 8) & 0xFF, b = value & 0xFF;
        if (g > 100 && g > r + 50 && g > b + 50) ++count;
    }
    return count;
}

// Saves the whole desktop as a PNG file in the temporary folder, for a failure's message.
fs::path SaveDesktopPicture(const std::string& name) {
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const Pixels pixels = CaptureScreen(screen);
    PixelSurface surface(pixels.width, pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t value = pixels.bgrx[static_cast<size_t>(y) * pixels.width + x];
            surface.At(x, y) =
                Bgra{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                     static_cast<std::uint8_t>(value >> 16), 255};
        }
    const fs::path file = fs::temp_directory_path() / ("vq-e2e-" + name + ".png");
    WritePng(surface, file);
    return file;
}

// Moves the pointer; the shell then sends the icon under it a WM_MOUSEMOVE notification.
void MovePointer(POINT to) { SetCursorPos(to.x, to.y); }

void Click() {
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void PressKey(WORD key) {
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// Clicks the icon and waits for its menu, a window of the system class "#32768" while it is open.
bool OpenMenuOf(const RECT& icon) {
    MovePointer(CentreOf(icon));
    Click();
    return WaitUntil([] {
        HWND menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu);
    });
}

std::optional<RECT> VisibleRect(HWND window) {
    RECT r{};
    if (!IsWindowVisible(window) || !GetWindowRect(window, &r)) return std::nullopt;
    return r;
}

// The running processes of that executable name that the given process started.
std::vector<DWORD> ChildProcesses(DWORD parent, const wchar_t* name) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    UniqueProcess owner(snapshot);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == parent && lstrcmpiW(entry.szExeFile, name) == 0)
            children.push_back(entry.th32ProcessID);
    return children;
}

// The top-level windows of a process, as a broadcast reaches them.
struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId) search.found.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(&CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ---- a server that answers only when told to ----

// Listens on a loopback port from the start, so the client's connection is taken and its request
// waits unanswered; after Open() every connection is relayed to the reference server, and the
// connections and requests that pass are counted.
class GatedRelay {
public:
    GatedRelay(std::string upstreamHost, std::uint16_t upstreamPort)
        : host_(std::move(upstreamHost)), upstream_(upstreamPort) {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (listener_ != INVALID_SOCKET &&
            bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            listen(listener_, 8) == 0 &&
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~GatedRelay() {
        stop_ = true;
        if (acceptor_.joinable()) acceptor_.join();
        std::lock_guard lock(mutex_);
        for (auto& pump : pumps_) pump.join();
        if (listener_ != INVALID_SOCKET) closesocket(listener_);
        if (started_) WSACleanup();
    }
    GatedRelay(const GatedRelay&) = delete;
    GatedRelay& operator=(const GatedRelay&) = delete;

    std::uint16_t Port() const { return port_; }
    int Connections() const { return connections_; }
    // Pieces of the client's stream that begin with a request line.
    int Requests() const { return requests_; }
    void Open() {
        acceptor_ = std::thread([this] { Accept(); });
    }

private:
    static bool Readable(SOCKET s) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval wait{0, 100000};
        return select(0, &set, nullptr, nullptr, &wait) > 0;
    }

    void Accept() {
        while (!stop_) {
            if (!Readable(listener_)) continue;
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            ++connections_;
            std::lock_guard lock(mutex_);
            pumps_.emplace_back([this, client] { Relay(client); });
        }
    }

    void Relay(SOCKET client) {
        SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(upstream_);
        inet_pton(AF_INET, host_.c_str(), &address.sin_addr);
        if (server != INVALID_SOCKET &&
            connect(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
            // Both directions until both have ended; an ended direction is passed on as a shutdown.
            bool open[2] = {true, true};
            const SOCKET from[2] = {client, server}, to[2] = {server, client};
            char buffer[16384];
            while (!stop_ && (open[0] || open[1])) {
                fd_set set;
                FD_ZERO(&set);
                for (int i = 0; i < 2; ++i)
                    if (open[i]) FD_SET(from[i], &set);
                timeval wait{0, 100000};
                if (select(0, &set, nullptr, nullptr, &wait) <= 0) continue;
                for (int i = 0; i < 2; ++i) {
                    if (!open[i] || !FD_ISSET(from[i], &set)) continue;
                    const int got = recv(from[i], buffer, sizeof(buffer), 0);
                    if (got > 0 && from[i] == client) {
                        const std::string_view piece(buffer, static_cast<std::size_t>(got));
                        if (piece.starts_with("GET ") || piece.starts_with("POST ")) ++requests_;
                    }
                    if (got <= 0) {
                        open[i] = false;
                        shutdown(to[i], SD_SEND);
                        if (got < 0) open[0] = open[1] = false;
                    } else if (send(to[i], buffer, got, 0) != got) {
                        open[0] = open[1] = false;
                    }
                }
            }
        }
        if (server != INVALID_SOCKET) closesocket(server);
        closesocket(client);
    }

    std::string host_;
    std::uint16_t upstream_;
    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<int> requests_{0};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> pumps_;
};

// ---- the fixture ----

class VqProgram : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = AccessServerUrl();
        ASSERT_FALSE(server_.empty())
            << "VQ_ACCESS_SERVER is not set: these tests need the reference access server "
               "(tools/access-server) and its base URL, for example http://127.0.0.1:8080/, with an "
               "accounts file that names the Wine user; scripts/test starts it and sets the variable";
        ASSERT_TRUE(FindWindowW(L"Shell_TrayWnd", nullptr))
            << "no shell: run the suite in Wine's virtual desktop (wine explorer /desktop=NAME,1024x768) or "
               "on an X screen of Wine's own";
        EndEveryInstance();
        MovePointer(kRestingPlace);
    }
    void TearDown() override {
        MovePointer(kRestingPlace);
        EndEveryInstance();
        for (const auto& folder : folders_) {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        }
    }

    std::wstring ServerArgument() const { return L"server=" + Widen(server_); }

    // A copy of vq.exe in a folder of its own, so that its log folder is its own.
    fs::path CopyOfProgram(const std::wstring& name) {
        fs::path folder = fs::temp_directory_path() /
                          (L"vq-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        fs::create_directories(folder);
        folders_.push_back(folder);
        fs::copy_file(ProgramPath(), folder / "vq.exe");
        return folder / "vq.exe";
    }

    // The program's icon, once it is in the notification area and the taskbar, which Wine shows
    // only when it has something to show, has settled.
    static std::optional<RECT> WaitForIcon() {
        std::optional<RECT> icon;
        WaitUntilSettled([&] {
            const auto now = NewestTrayIcon();
            const bool same = now && icon && EqualRect(&*now, &*icon);
            icon = now;
            return same;
        });
        return icon;
    }

    // The icon stands still (two pictures a good many animation frames apart are the same) and is
    // the green one of status OK.
    static bool StillAndGreen(const RECT& icon) {
        const Pixels first = CaptureScreen(icon);
        Sleep(500);
        const Pixels second = CaptureScreen(icon);
        return first == second && GreenPixels(second) >= 20;
    }

    std::string server_;
    std::vector<fs::path> folders_;
};

TEST_F(VqProgram, IconSpinsWhileConnectingThenStandsStillAndGreen) {
    const auto upstream = HostAndPort(server_);
    ASSERT_TRUE(upstream) << "VQ_ACCESS_SERVER is no http://HOST:PORT/ address: " << server_;
    GatedRelay gate(upstream->first, upstream->second);
    ASSERT_NE(gate.Port(), 0);
    Program program(ProgramPath(),
                    L"server=http://127.0.0.1:" + std::to_wstring(gate.Port()) + L"/");
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitForWindow());
    const auto icon = WaitForIcon();
    ASSERT_TRUE(icon) << "no icon in the notification area";

    // The request waits unanswered: the spinner turns, so the icon shows several pictures.
    std::vector<Pixels> seen;
    WaitUntil([&] {
        Pixels now = CaptureScreen(*icon);
        if (std::find(seen.begin(), seen.end(), now) == seen.end()) seen.push_back(std::move(now));
        return seen.size() >= 4;
    });
    EXPECT_GE(seen.size(), 4u)
        << "the icon does not turn while the client waits for its first answer";
    for (const auto& picture : seen)
        EXPECT_LT(GreenPixels(picture), 20) << "green before any answer";

    const auto where = NewestTrayIcon();
    ASSERT_TRUE(where && EqualRect(&*where, &*icon)) << "the icon moved while it was watched";

    gate.Open();
    const bool green = WaitUntil([&] { return StillAndGreen(*icon); }, 60000);
    std::string picture;
    if (!green) {
        // With the hover window, which tells the status the program is in.
        MovePointer(CentreOf(*icon));
        Sleep(1500);
        picture = SaveDesktopPicture("icon-not-green").string();
        MovePointer(kRestingPlace);
    }
    EXPECT_TRUE(green)
        << "after the server's answers the icon should be the still green one (is the Wine user, "
           "DOMAIN\\user, a section of the server's accounts file?); icon at "
        << Describe(icon) << ", newest icon now at " << Describe(NewestTrayIcon())
        << "; the desktop is in " << picture;
    EXPECT_TRUE(program.Running());
}

TEST_F(VqProgram, RestingOnTheIconShowsTheWindowAboveThePointerAndLeavingParksIt) {
    Program program(ProgramPath(), ServerArgument());
    ASSERT_TRUE(program.Started());
    const HWND window = program.WaitForWindow();
    ASSERT_TRUE(window);
    const auto parked = [&] {
        RECT r{};
        return !IsWindowVisible(window) && GetWindowRect(window, &r) && r.left == -247 &&
               r.top == -132 && r.right - r.left == kWidth && r.bottom - r.top == kHeight;
    };
    // Parked at start (once the window, which has its title first, has been placed).
    EXPECT_TRUE(WaitUntil(parked)) << "the window should start hidden at (-247, -132)";

    const auto icon = WaitForIcon();
    ASSERT_TRUE(icon) << "no icon in the notification area";

    // Twice: the first hover shows the window the ordinary way, the second only places it.
    const std::vector<POINT> restingPoints = {CentreOf(*icon), {icon->left + 3, icon->top + 4}};
    for (const POINT at : restingPoints) {
        SCOPED_TRACE("pointer at " + std::to_string(at.x) + "," + std::to_string(at.y));
        MovePointer(at);
        const RECT expected{at.x - kWidth, at.y - kHeight - 32, at.x, at.y - 32};
        EXPECT_TRUE(WaitUntilSettled([&] {
            const auto shown = VisibleRect(window);
            return shown && EqualRect(&*shown, &expected);
        })) << "the window is not shown with its bottom-right corner 32 pixels above the pointer";

        MovePointer(kRestingPlace);
        EXPECT_TRUE(WaitUntilSettled(parked))
            << "leaving the icon should park the window hidden at (-247, -132)";
    }
}

TEST_F(VqProgram, ASecondInstanceClosesTheFirst) {
    Program first(ProgramPath(), ServerArgument());
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(first.WaitForWindow());

    Program second(ProgramPath(), ServerArgument());
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(WaitForSingleObject(first.Process(), kBoundMs), WAIT_OBJECT_0)
        << "the first instance still runs";
    EXPECT_TRUE(second.WaitForWindow());
    EXPECT_TRUE(second.Running());
}

TEST_F(VqProgram, CdebugWritesTheConnectionLogBesideTheProgramAndAPlainStartDoesNot) {
    const fs::path plain = CopyOfProgram(L"plain");
    const fs::path logging = CopyOfProgram(L"cdebug");
    const auto logOf = [](const fs::path& program) {
        return program.parent_path() / "Log" / "ConectionsErrors.log";
    };

    {
        Program program(plain, ServerArgument());
        ASSERT_TRUE(program.Started());
        ASSERT_TRUE(program.WaitForWindow());
        const auto icon = WaitForIcon();
        ASSERT_TRUE(icon);
        // Status OK: the worker has started and finished an exchange, which a log would record.
        ASSERT_TRUE(WaitUntil([&] { return StillAndGreen(*icon); }));
        EXPECT_FALSE(fs::exists(logOf(plain)));
    }

    Program program(logging, L"cdebug " + ServerArgument());
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitForWindow());
    std::error_code error;
    EXPECT_TRUE(WaitUntil([&] {
        return fs::exists(logOf(logging)) && fs::file_size(logOf(logging), error) > 0;
    })) << "no "
        << logOf(logging).string();
    EXPECT_FALSE(fs::exists(logOf(plain)));
}

// "vq.exe cdebug server=http://127.0.0.1:1/": the log's failure line is the worker's report with
// the system's own words, in the ANSI code page; on a Russian workstation it reads as Windows-1251
// into Russian text, no letter lost to "?", after the Russian date.
TEST_F(VqProgram, ARefusedConnectionIsLoggedInTheAnsiCodePage) {
    const fs::path program_path = CopyOfProgram(L"refused");
    const fs::path log = program_path.parent_path() / "Log" / "ConectionsErrors.log";
    Program program(program_path, L"cdebug server=http://127.0.0.1:1/");
    ASSERT_TRUE(program.Started());
    std::vector<std::string> lines;
    const auto read_lines = [&] {
        lines.clear();
        std::ifstream in(log, std::ios::binary);
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line.back() == '\r')
                lines.push_back(line.substr(0, line.size() - 1));
        return lines.size() >= 2;
    };
    ASSERT_TRUE(WaitUntil(read_lines)) << "no failure line in " << log.string();

    const std::string failure = SystemAnsiCodePage().Encode(test::RefusedConnectionText(1));
    ASSERT_GT(lines[1].size(), failure.size());
    EXPECT_EQ(lines[1].substr(lines[1].size() - failure.size()), failure) << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].size() - failure.size() - 2, 2), ": ");
    if (test::IsRussianWorkstation()) {
        const std::u16string text = Windows1251CodePage().Decode(lines[1]);
        EXPECT_NE(text.find(test::RefusedConnectionText(1)), std::u16string::npos);
        EXPECT_EQ(text.find(u'?'), std::u16string::npos);
        // dd.MM.yyyy, then the time
        ASSERT_GE(text.size(), 11u);
        EXPECT_TRUE(text[2] == u'.' && text[5] == u'.' && text[10] == u' ') << lines[1];
    }
}

TEST_F(VqProgram, ExitFromTheIconsMenuEndsTheProgram) {
    Program program(ProgramPath(), ServerArgument());
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitForWindow());
    const auto icon = WaitForIcon();
    ASSERT_TRUE(icon) << "no icon in the notification area";

    ASSERT_TRUE(OpenMenuOf(*icon)) << "a click on the icon opens no menu";
    // "Выход" is the last item: up from no selection wraps to it.
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    ASSERT_EQ(WaitForSingleObject(program.Process(), kBoundMs), WAIT_OBJECT_0)
        << "the program still runs";
    // Not "Переподключиться": the program it starts again would be running already, as it is the
    // new process that closes the old one.
    const auto relaunched = ChildProcesses(program.Id(), L"vq.exe");
    EXPECT_TRUE(relaunched.empty()) << "the menu item chosen started the program again";
    for (DWORD id : relaunched) {
        UniqueProcess child(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
        if (child) EndProcess(child.Get(), id);
    }
}

// "Переподключиться" starts the program again without its arguments, and the new process closes
// the old one. Without "cdebug" the new one writes no log; without "server=" (and no INI file or
// policy here) it has no server to ask, so its icon keeps turning instead of turning green.
TEST_F(VqProgram, ReconnectStartsTheProgramAgainWithoutItsArgumentsAndTheNewOneTakesOver) {
    const fs::path copy = CopyOfProgram(L"reconnect");
    const fs::path log = copy.parent_path() / "Log" / "ConectionsErrors.log";
    Program program(copy, L"cdebug " + ServerArgument());
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitForWindow());
    const auto icon = WaitForIcon();
    ASSERT_TRUE(icon) << "no icon in the notification area";
    ASSERT_TRUE(WaitUntil([&] { return StillAndGreen(*icon); }))
        << "the first instance did not log on";
    std::error_code error;
    const auto logged = fs::file_size(log, error);
    ASSERT_FALSE(error) << "the first instance wrote no log";

    ASSERT_TRUE(OpenMenuOf(*icon)) << "a click on the icon opens no menu";
    // "Переподключиться" is the first item: down from no selection goes to it.
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    MovePointer(kRestingPlace);
    ASSERT_EQ(WaitForSingleObject(program.Process(), kBoundMs), WAIT_OBJECT_0)
        << "the first instance still runs";

    const auto relaunched = ChildProcesses(program.Id(), L"vq.exe");
    ASSERT_EQ(relaunched.size(), 1u) << "no new instance was started";
    UniqueProcess successor(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, relaunched[0]));
    ASSERT_TRUE(successor);
    EXPECT_TRUE(WaitUntil([&] { return MonitorWindowOf(relaunched[0]) != nullptr; }))
        << "the new instance has no window";
    const auto newIcon = WaitForIcon();
    ASSERT_TRUE(newIcon) << "the new instance has no icon";
    Sleep(3000);  // time for a server's answer, had the new instance one to ask
    std::vector<Pixels> seen;
    WaitUntil(
        [&] {
            Pixels now = CaptureScreen(*newIcon);
            if (std::find(seen.begin(), seen.end(), now) == seen.end())
                seen.push_back(std::move(now));
            return seen.size() >= 3;
        },
        5000);
    EXPECT_GE(seen.size(), 3u)
        << "the new instance's icon stands still: it was given the server's address";
    EXPECT_EQ(fs::file_size(log, error), logged)
        << "the new instance writes the log: it was given cdebug";
    EndProcess(successor.Get(), relaunched[0]);
}

// Waking from sleep: Windows broadcasts the automatic resume to every top-level window, and the
// resume for the user when someone is at the machine; the network comes back with a new address.
// All three together bring one request within a few seconds, not at the end of the 30-second
// pause, and on a new connection, since the one kept across the sleep may be dead; then the pause
// is a whole one again. (Wine never reports address changes; the window's handling of the report
// is what can be shown here.)
TEST_F(VqProgram, AResumeFromSleepBringsOneRequestAtOnceOnANewConnection) {
    const auto upstream = HostAndPort(server_);
    ASSERT_TRUE(upstream) << "VQ_ACCESS_SERVER is no http://HOST:PORT/ address: " << server_;
    GatedRelay gate(upstream->first, upstream->second);
    ASSERT_NE(gate.Port(), 0);
    gate.Open();
    Program program(ProgramPath(),
                    L"server=http://127.0.0.1:" + std::to_wstring(gate.Port()) + L"/");
    ASSERT_TRUE(program.Started());
    const HWND monitor = program.WaitForWindow();
    ASSERT_TRUE(monitor);
    // The first contact, a GET asking for the credentials and their POST, both answered; the
    // worker is then in its pause of 30 seconds.
    ASSERT_TRUE(WaitUntil([&] { return gate.Requests() >= 2; })) << "no first contact";
    Sleep(2000);
    const int requests = gate.Requests();
    const int connections = gate.Connections();
    ASSERT_EQ(requests, 2) << "a request after the first contact came without a wake-up";

    for (const WPARAM event : {PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND}) {
        int told = 0;
        for (HWND window : TopLevelWindowsOf(program.Id())) {
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(window, WM_POWERBROADCAST, event, 0, SMTO_ABORTIFHUNG, 5000,
                                    &answer))
                ++told;
        }
        ASSERT_GT(told, 0) << "the program has no top-level window to tell";
    }
    PostMessageW(monitor, TKVRMonitorForm::kAddressChangedMessage, 0, 0);

    EXPECT_TRUE(WaitUntil([&] { return gate.Requests() > requests; }, 5000))
        << "no request within 5 s of the resume";
    EXPECT_GT(gate.Connections(), connections)
        << "the request after the resume came on the old connection";
    Sleep(3000);
    EXPECT_EQ(gate.Requests(), requests + 1) << "one resume gave more than one early request";
    EXPECT_TRUE(program.Running());
}

// Logoff, shutdown or an installer's restart manager: the program agrees at once, and when told
// that the session ends it leaves the notification area and ends within a second.
TEST_F(VqProgram, AnEndingSessionIsAgreedToAtOnceAndEndsTheProgram) {
    Program program(ProgramPath(), ServerArgument());
    ASSERT_TRUE(program.Started());
    const HWND window = program.WaitForWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(WaitForIcon()) << "no icon in the notification area";

    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                    SMTO_ABORTIFHUNG, 1000, &answer))
        << "no answer to WM_QUERYENDSESSION within a second";
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_TRUE(program.Running()) << "asking ended the program";

    // In the virtual desktop, as on Windows, the icon goes at once. Wine's own notification area
    // (no virtual desktop) takes about two seconds to let its last icon go, inside the program's
    // handling of WM_ENDSESSION.
    const DWORD bound = VirtualDesktopTaskbar() ? 1000 : 5000;
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, bound,
                        &answer);
    EXPECT_EQ(WaitForSingleObject(program.Process(), bound), static_cast<DWORD>(WAIT_OBJECT_0))
        << "the program still runs " << bound << " ms after WM_ENDSESSION";
}

}  // namespace
}  // namespace vq
