#include "identity/winbind_domain_name_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>

#include "formats/utf8.h"

extern char** environ;

namespace vq {

namespace {

using Clock = std::chrono::steady_clock;

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    void Reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// A started program that is killed and reaped when the object goes, unless it was reaped.
class ChildProcess {
public:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    ~ChildProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits until the program ends or the deadline passes; its exit status when it ended.
    std::optional<int> WaitUntil(Clock::time_point deadline) {
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                return status;
            }
            if (done < 0 && errno != EINTR) {
                pid_ = -1;  // not ours to reap any more
                return std::nullopt;
            }
            if (Clock::now() >= deadline) return std::nullopt;
            ::poll(nullptr, 0, 10);
        }
    }

private:
    pid_t pid_;
};

class SpawnActions {
public:
    SpawnActions() { ok_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
    ~SpawnActions() {
        if (ok_) ::posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    // No input, the output into the pipe, no error text on the user's terminal.
    bool Prepare(int output) {
        return ok_ &&
               ::posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0) == 0 &&
               ::posix_spawn_file_actions_adddup2(&actions_, output, 1) == 0 &&
               ::posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0) == 0;
    }
    const posix_spawn_file_actions_t* Get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
    bool ok_ = false;
};

// The program's whole output when it ends with status 0 within the deadline and writes no more
// than the limit; nullopt otherwise.
std::optional<std::string> RunForOutput(const std::string& program, const char* argument,
                                        Clock::time_point deadline) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
    UniqueFd read_end(ends[0]);
    UniqueFd write_end(ends[1]);

    SpawnActions actions;
    if (!actions.Prepare(write_end.Get())) return std::nullopt;
    char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program.c_str(), actions.Get(), nullptr, arguments, environ) != 0)
        return std::nullopt;  // ENOENT: no such program here
    ChildProcess child(pid);
    write_end.Reset();  // so the pipe ends when the program's copy does

    std::string output;
    char chunk[512];
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd wanted{read_end.Get(), POLLIN, 0};
        const int ready = ::poll(&wanted, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        const ssize_t got = ::read(read_end.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        if (output.size() + static_cast<std::size_t>(got) > kWinbindOutputLimit)
            return std::nullopt;
        output.append(chunk, static_cast<std::size_t>(got));
    }
    const auto status = child.WaitUntil(deadline);
    if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0) return std::nullopt;
    return output;
}

}  // namespace

std::u16string WinbindDomainName::ShortDomainName() noexcept {
    try {
        const auto output = RunForOutput(program_, "--own-domain", Clock::now() + time_limit_);
        if (!output) return {};
        std::string_view line(*output);
        line = line.substr(0, line.find('\n'));
        const auto last = line.find_last_not_of(" \t\r");
        if (last == std::string_view::npos) return {};
        line = line.substr(0, last + 1);
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        return Utf8ToUtf16(line);
    } catch (...) {
        return {};
    }
}

}  // namespace vq
