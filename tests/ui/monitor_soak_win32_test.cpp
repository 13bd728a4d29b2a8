// A long life in one process: ten thousand status reports that go round every state of the
// monitor window and a hundred thousand spinner frames in the tray leave the program's memory and
// its GDI and USER objects where they were after a warm-up. The objects are counted by their
// owners (Wine's GetGuiResources answers 0); scripts/test checks that the program creates none
// outside an owner.

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/program_environment.h"
#include "auth/auth_messages.h"
#include "formats/unique_handle_win32.h"
#include "formats/value_list.h"
#include "tests/support/commit_charge_win32.h"
#include "ui/monitor_form_win32.h"

namespace vq {
namespace {

struct Snapshot {
    std::size_t private_bytes = 0;
    std::vector<long> owned;  // live handles per kind of owner

    static Snapshot Take() {
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters);
        return {CommitCharge(counters),
                {UniqueHandle<HBITMAP, &DeleteObject>::LiveCount(),
                 UniqueHandle<HFONT, &DeleteObject>::LiveCount(),
                 UniqueHandle<HDC, &DeleteDC>::LiveCount(),
                 UniqueHandle<HICON, &DestroyIcon>::LiveCount(),
                 UniqueHandle<HMENU, &DestroyMenu>::LiveCount(),
                 UniqueHandle<HWND, &DestroyWindow>::LiveCount()}};
    }
};

// Sends the account fields as the worker does, in a list of its own.
void SendStatus(HWND window,
                std::initializer_list<std::pair<const char16_t*, const char16_t*>> items) {
    TValueList fields;
    for (const auto& [name, value] : items) fields.SetItem(name, value);
    SendMessageW(window, WM_AUTH_STATUS, 0, reinterpret_cast<LPARAM>(&fields));
}

// The soak's memory figure has to follow the process's memory, or its check could never fail:
// Wine 8, for one, leaves PrivateUsage at 0 whatever the process holds.
TEST(SoakMemoryMeasure, FollowsMemoryThatTheProcessTouches) {
    constexpr std::size_t kBlock = 16 * 1024 * 1024;
    const std::size_t before = Snapshot::Take().private_bytes;
    std::vector<char> block(kBlock, 'x');  // written, so committed and resident
    // The block escapes the optimiser's view, so it is neither dropped nor left unwritten.
    asm volatile("" : : "r"(block.data()) : "memory");
    const std::size_t after = Snapshot::Take().private_bytes;
    EXPECT_GE(after, before + kBlock * 3 / 4)
        << "private memory went from " << before << " to " << after << " bytes around a " << kBlock
        << "-byte block";
}

TEST(MonitorSoak, TenThousandReportsAndAHundredThousandSpinnerFramesLeaveMemoryAndObjectsFlat) {
    // No server address: the worker only asks for one now and then, and all reports are the test's.
    TKVRMonitorForm form{
        ProgramStart{GetModuleHandleW(nullptr), {u"server="}, ExecutablePath(), {}}};
    const HWND window = form.Handle();
    const std::u16string failure = u"Не удалось подключиться к 127.0.0.1:1: Соединение отвергнуто";
    // Every state in turn: limited, unlimited, a static host, out of balance, blocked, refused
    // credentials, a server failure, a local socket failure.
    const std::vector<std::function<void()>> reports = {
        [&] {
            SendStatus(window, {{u"blocked", u"0"},
                                {u"unlim", u"0"},
                                {u"dname", u"Петров Пётр"},
                                {u"tarif", u"Стандарт"},
                                {u"balans", u"612.35"},
                                {u"day_balans", u"26.90"},
                                {u"month_fullpayment", u"800"},
                                {u"traf_currency", u"руб."}});
        },
        [&] {
            SendStatus(window, {{u"blocked", u"0"},
                                {u"unlim", u"1"},
                                {u"traf", u"5905580032"},
                                {u"day_traf", u"183500800"}});
        },
        [&] {
            SendStatus(
                window,
                {{u"blocked", u"0"}, {u"unlim", u"1"}, {u"is_static", u"1"}, {u"IP", u"10.0.0.5"}});
        },
        [&] {
            SendStatus(window, {{u"blocked", u"0"},
                                {u"unlim", u"0"},
                                {u"balans", u"-15.50"},
                                {u"month_fullpayment", u"500"}});
        },
        [&] {
            SendStatus(window, {{u"blocked", u"1"}, {u"unlim", u"0"}, {u"balans", u"1"}});
        },
        [&] { SendMessageW(window, WM_AUTH_FAILED, 0, 0); },
        [&] { SendMessageW(window, WM_AUTH_ERROR, 0, reinterpret_cast<LPARAM>(failure.c_str())); },
        [&] { SendMessageW(window, WM_AUTH_ERROR, 1, reinterpret_cast<LPARAM>(failure.c_str())); },
    };
    const auto live = [&](int report_count, int frame_count) {
        for (int i = 0; i < report_count; ++i)
            reports[static_cast<std::size_t>(i) % reports.size()]();
        // The spinner of a failure, frame after frame, as its timer steps it.
        reports.back()();
        auto& icon = form.CoolTrayIcon1();
        for (int frame = 0; frame < frame_count; ++frame) icon.SetIconIndex(frame % 12);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    };

    // Out of the notification area, the icon's every change still goes to the shell with its
    // picture, but the shell has nothing to draw: Wine's taskbar redraws for each change of a
    // shown icon, which would make this run take a quarter of an hour instead of minutes.
    form.CoolTrayIcon1().SetIconVisible(false);
    live(400, 4000);  // warm-up: fonts, pictures and caches made once
    const Snapshot before = Snapshot::Take();
    live(10000, 100000);
    const Snapshot after = Snapshot::Take();

    EXPECT_EQ(after.owned, before.owned)
        << "GDI or USER objects piled up (bitmaps, fonts, DCs, icons, menus, windows)";
    EXPECT_LT(after.private_bytes, before.private_bytes + 2 * 1024 * 1024)
        << "private memory grew from " << before.private_bytes << " to " << after.private_bytes
        << " bytes";
}

}  // namespace
}  // namespace vq
