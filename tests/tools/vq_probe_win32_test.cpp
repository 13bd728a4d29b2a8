// vq-probe.exe as an administrator runs it on the workstation: a refused connection is reported
// on standard error in UTF-8, with the system's own words, in the workstation's language.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/unique_handle_win32.h"
#include "formats/utf8.h"
#include "tests/support/workstation_win32.h"

namespace vq {
namespace {

using UniqueKernelHandle = UniqueHandle<HANDLE, &CloseHandle>;

struct ProbeRun {
    DWORD exit_code = ~0u;
    std::string output;  // standard output and standard error, as bytes
};

// Runs the built vq-probe.exe with the arguments, its output going into a pipe.
ProbeRun RunProbe(const std::wstring& arguments) {
    const auto probe =
        std::filesystem::absolute(std::filesystem::path(VQ_PROBE_PATH)).make_preferred();
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    ProbeRun run;
    if (!CreatePipe(&read_end, &write_end, &inheritable, 0)) return run;
    UniqueKernelHandle reader(read_end), writer(write_end);
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    std::wstring line = L"\"" + probe.wstring() + L"\" " + arguments;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(probe.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info))
        return run;
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    writer.Reset();  // the child holds the only write end now: reading ends when it does

    char buffer[4096];
    DWORD received = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &received, nullptr) && received > 0)
        run.output.append(buffer, received);
    WaitForSingleObject(info.hProcess, 30000);
    GetExitCodeProcess(info.hProcess, &run.exit_code);
    return run;
}

TEST(VqProbeWin32, RefusedConnectionIsReportedInUtf8WithTheSystemsWords) {
    const ProbeRun run = RunProbe(L"http://127.0.0.1:1/");
    EXPECT_EQ(run.exit_code, 1u);
    // Valid UTF-8: decoding and encoding again gives the same bytes, with no replacement character.
    const std::u16string text = Utf8ToUtf16(run.output);
    EXPECT_EQ(Utf16ToUtf8(text), run.output);
    EXPECT_EQ(text.find(u'\uFFFD'), std::u16string::npos);
    std::u16string without_returns;
    for (const char16_t c : text)
        if (c != u'\r') without_returns.push_back(c);
    EXPECT_EQ(without_returns, u"error: " + test::RefusedConnectionText(1) + u"\n");
}

}  // namespace
}  // namespace vq
