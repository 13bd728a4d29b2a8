#include "app/instance_lock_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace vq {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A child process that the test ends (SIGKILL) and reaps when it goes out of scope, unless it
// has ended already.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid_; }
    bool Running() const { return waitpid(pid_, nullptr, WNOHANG) == 0; }
    // Waits for the end; the wait status.
    int Wait() {
        int status = 0;
        waitpid(std::exchange(pid_, -1), &status, 0);
        return status;
    }

private:
    pid_t pid_;
};

// Another program (sleep): a live process that is not ours. Returns once the exec is done:
// until then the child is still a copy of this program.
pid_t StartStranger() {
    int exec_done[2];
    if (pipe2(exec_done, O_CLOEXEC) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(exec_done[1]);
    char byte = 0;
    // The write end closes with the exec, and read sees the end of the pipe.
    while (read(exec_done[0], &byte, 1) < 0 && errno == EINTR) {
    }
    close(exec_done[0]);
    return pid;
}

// A copy of this test program that waits to be ended with the default action of SIGTERM: an
// earlier instance. It does not touch the lock.
pid_t StartIdleCopy() {
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGTERM, SIG_DFL);
        for (;;) pause();
    }
    return pid;
}

// A copy of this test program that locks the file as a running instance does and writes
// `named` (its own id when 0) in it; returns once the lock is held.
pid_t StartHolder(const fs::path& lock, pid_t named) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here on: the test program may have other threads.
        signal(SIGTERM, SIG_DFL);
        close(ready[0]);
        const int fd = open(lock.c_str(), O_RDWR | O_CREAT, 0600);
        if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(2);
        char digits[16];
        char* end = digits + sizeof digits;
        char* start = end;
        *--start = '\n';
        for (pid_t id = named != 0 ? named : getpid(); id > 0; id /= 10)
            *--start = static_cast<char>('0' + id % 10);
        if (ftruncate(fd, 0) != 0 || write(fd, start, end - start) != end - start) _exit(3);
        if (write(ready[1], "r", 1) != 1) _exit(4);
        for (;;) pause();
    }
    close(ready[1]);
    char byte = 0;
    const bool locked = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    return locked ? pid : -1;
}

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("vq-lock-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path Lock() const { return folder_ / "vq.lock"; }
    std::string LockText() const {
        std::ifstream in(Lock());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::string OwnIdLine() { return std::to_string(getpid()) + "\n"; }

    fs::path folder_;
};

TEST_F(InstanceLockTest, EndsTheRunningInstanceAndTakesItsPlace) {
    Child holder(StartHolder(Lock(), 0));
    ASSERT_GT(holder.Pid(), 0);

    const InstanceLock lock = InstanceLock::TakeOver(Lock(), 5s);
    EXPECT_TRUE(lock.Held());
    const int status = holder.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
    EXPECT_EQ(LockText(), OwnIdLine());
}

TEST_F(InstanceLockTest, TakesAStaleLockWithoutSignallingAnybody) {
    // A process that ran and is gone: its id names nobody now (or somebody else).
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);

    Child stranger(StartStranger());
    Child idle_copy(StartIdleCopy());
    struct Case {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"an ended process", std::to_string(gone) + "\n"},
        {"another program", std::to_string(stranger.Pid()) + "\n"},
        {"a copy of this program that does not hold the lock", std::to_string(idle_copy.Pid())},
        {"not a number", "vq\n"},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(Lock()) << c.text;
        const InstanceLock lock = InstanceLock::TakeOver(Lock(), 0ms);
        EXPECT_TRUE(lock.Held());
        EXPECT_EQ(LockText(), OwnIdLine());
    }
    EXPECT_TRUE(stranger.Running());
    EXPECT_TRUE(idle_copy.Running());
}

TEST_F(InstanceLockTest, LeavesAHolderAloneThatNamesAnotherProgram) {
    Child stranger(StartStranger());
    Child holder(StartHolder(Lock(), stranger.Pid()));
    ASSERT_GT(holder.Pid(), 0);

    const InstanceLock lock = InstanceLock::TakeOver(Lock(), 300ms);
    EXPECT_FALSE(lock.Held());
    EXPECT_TRUE(stranger.Running());
    EXPECT_TRUE(holder.Running());
}

TEST_F(InstanceLockTest, NeverSignalsItselfAndReleasesTheLockWhenItGoes) {
    std::optional<InstanceLock> first = InstanceLock::TakeOver(Lock(), 0ms);
    ASSERT_TRUE(first->Held());
    // The file names this very process: a second lock in it waits and gives up, and the test
    // program is still here to see it.
    EXPECT_FALSE(InstanceLock::TakeOver(Lock(), 100ms).Held());
    first.reset();
    EXPECT_TRUE(InstanceLock::TakeOver(Lock(), 0ms).Held());
}

TEST_F(InstanceLockTest, RefusesALinkInTheLocksPlace) {
    fs::create_symlink(folder_ / "elsewhere", Lock());
    EXPECT_THROW(InstanceLock::TakeOver(Lock(), 0ms), std::system_error);
    EXPECT_FALSE(fs::exists(folder_ / "elsewhere"));
}

}  // namespace
}  // namespace vq
