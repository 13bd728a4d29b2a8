// vq_process_memory IMAGE: the memory of every running process whose executable is named IMAGE
// (vq.exe, say), one line each, as GetProcessMemoryInfo counts it:
//   pid=PID private=BYTES working_set=BYTES peak_working_set=BYTES
// private is the commit charge (tests/support/commit_charge_win32.h says which field holds it).
// The process is found by name among the system's processes, because the caller (a script on the
// Unix side of Wine) knows only its own process ids, not Windows'. Exits 1 when no process of that
// name runs or its counters cannot be read.

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "formats/unique_handle_win32.h"
#include "tests/support/commit_charge_win32.h"

namespace {

using Handle = vq::UniqueHandle<HANDLE, &CloseHandle>;

std::vector<DWORD> ProcessesNamed(const wchar_t* image) {
    std::vector<DWORD> ids;
    const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.Get() == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, image) == 0) ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

std::optional<PROCESS_MEMORY_COUNTERS_EX> MemoryOf(DWORD id) {
    const Handle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, id));
    if (!process) return std::nullopt;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return std::nullopt;
    return counters;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: vq_process_memory IMAGE.exe\n", stderr);
        return 2;
    }
    const std::vector<DWORD> ids = ProcessesNamed(argv[1]);
    if (ids.empty()) {
        std::fprintf(stderr, "vq_process_memory: no process named %ls\n", argv[1]);
        return 1;
    }
    int status = 0;
    for (const DWORD id : ids) {
        const auto counters = MemoryOf(id);
        if (!counters) {
            std::fprintf(stderr, "vq_process_memory: the counters of process %lu cannot be read\n",
                         static_cast<unsigned long>(id));
            status = 1;
            continue;
        }
        std::printf("pid=%lu private=%llu working_set=%llu peak_working_set=%llu\n",
                    static_cast<unsigned long>(id),
                    static_cast<unsigned long long>(vq::CommitCharge(*counters)),
                    static_cast<unsigned long long>(counters->WorkingSetSize),
                    static_cast<unsigned long long>(counters->PeakWorkingSetSize));
    }
    return status;
}
