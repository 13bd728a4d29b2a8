#include "app/instance_lock_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace vq {

namespace {

// How often the lock is tried again while an earlier instance is ending.
constexpr std::chrono::milliseconds kRetryInterval{25};

// Owns a descriptor and closes it once.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

[[noreturn]] void Fail(const std::filesystem::path& path, const char* what, int code) {
    throw std::system_error(code, std::generic_category(),
                            std::string(what) + " \"" + path.string() + "\"");
}

bool TryLock(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

// The process id in the file: decimal digits and an optional line end, nothing else. A file being
// written by its new holder may be empty for a moment.
std::optional<pid_t> ReadHolder(int fd) {
    char text[32];
    const ssize_t size = ::pread(fd, text, sizeof text, 0);
    if (size <= 0 || size == static_cast<ssize_t>(sizeof text)) return std::nullopt;
    std::string_view digits(text, static_cast<std::size_t>(size));
    if (digits.ends_with('\n')) digits.remove_suffix(1);
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 1)
        return std::nullopt;
    return pid;
}

void WriteOwnId(int fd) {
    const std::string text = std::to_string(::getpid()) + "\n";
    // The lock, not the text, decides who holds it: a failed write only costs the next instance
    // the chance to end this one.
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
}

// The target of /proc/<pid>/exe, without the mark the kernel adds when the file has been
// replaced since the process started (a package upgrade does that to a running instance).
std::optional<std::string> ExecutableOf(const std::string& proc_entry) {
    std::error_code error;
    std::string target = std::filesystem::read_symlink(proc_entry + "/exe", error).string();
    if (error) return std::nullopt;
    constexpr std::string_view kReplaced = " (deleted)";
    if (target.ends_with(kReplaced)) target.resize(target.size() - kReplaced.size());
    return target;
}

// Whether pid is a process of this user running this program.
bool IsOurProgram(pid_t pid) {
    if (pid == ::getpid()) return false;
    const std::string entry = "/proc/" + std::to_string(pid);
    struct stat info {};
    if (::stat(entry.c_str(), &info) != 0 || info.st_uid != ::getuid()) return false;
    const auto theirs = ExecutableOf(entry);
    const auto ours = ExecutableOf("/proc/self");
    return theirs && ours && *theirs == *ours;
}

// The system calls themselves: glibc 2.36's <sys/pidfd.h> declares its wrappers without C linkage,
// so C++ cannot link against them.
int OpenPidFd(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0u)); }
void SendTerminate(int pidfd) { ::syscall(SYS_pidfd_send_signal, pidfd, SIGTERM, nullptr, 0u); }

// Sends SIGTERM to the holder named in the file if it is one of ours. The pidfd is opened before
// the check: if the process ends meanwhile and its id is reused, the signal goes to the ended
// process and is lost instead of reaching the newcomer.
void AskToEnd(pid_t pid) {
    const Descriptor process(OpenPidFd(pid));
    if (process.Get() < 0) {
        if (errno != ENOSYS) return;                  // no such process
        if (IsOurProgram(pid)) ::kill(pid, SIGTERM);  // kernels before 5.3
        return;
    }
    if (IsOurProgram(pid)) SendTerminate(process.Get());
}

}  // namespace

InstanceLock InstanceLock::TakeOver(const std::filesystem::path& path,
                                    std::chrono::milliseconds wait) {
    // O_NOFOLLOW: a link in the lock's place would make us create or lock a file elsewhere.
    Descriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (file.Get() < 0) Fail(path, "Cannot open the instance lock", errno);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) Fail(path, "Cannot examine the instance lock", errno);
    if (!S_ISREG(info.st_mode) || info.st_uid != ::getuid())
        Fail(path, "The instance lock is not a file of this user", EPERM);

    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::set<pid_t> asked;
    while (!TryLock(file.Get())) {
        if (errno != EWOULDBLOCK && errno != EINTR) Fail(path, "Cannot lock", errno);
        // Each holder is asked once; the id is read again on every round because a holder that
        // has only just taken the lock may not have written it yet.
        if (const auto holder = ReadHolder(file.Get()); holder && asked.insert(*holder).second)
            AskToEnd(*holder);
        if (std::chrono::steady_clock::now() >= deadline) return InstanceLock(-1);
        std::this_thread::sleep_for(kRetryInterval);
    }
    WriteOwnId(file.Get());
    return InstanceLock(file.Release());
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace vq
