#pragma once
// One instance per session on Linux, the newest winning: the instance that runs holds an
// advisory lock (flock) on a file in the runtime folder, and has written its process id there.
// A new instance asks the holder to end with SIGTERM, waits for the lock, and holds it for its
// own life.

#include <sys/types.h>

#include <chrono>
#include <filesystem>

namespace vq {

// How long a new instance waits for an earlier one to end: it ends within moments when it
// handles the signal.
inline constexpr std::chrono::milliseconds kTakeOverWait{5000};

class InstanceLock {
public:
    // Opens (creating, mode 0600) the lock file at path and takes its lock. When another process
    // holds it, the process id written in the file is sent SIGTERM, but only if it names a live
    // process of this user running this same executable (/proc/<pid>/exe, read through a pidfd
    // so that a reused id is not signalled); then the lock is awaited for up to `wait`. A stale
    // file that nobody holds is taken at once, whatever id it names, and nobody is signalled.
    // Once held, the file holds this process's id. When the wait runs out the result does not
    // hold the lock (Held() is false): the caller goes on without it, as an instance that cannot
    // end the old one is still better than none. Raises std::system_error when the file cannot
    // be opened or is not a regular file of this user.
    static InstanceLock TakeOver(const std::filesystem::path& path,
                                 std::chrono::milliseconds wait = kTakeOverWait);

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    // Closing the file releases the lock. The file stays: removing it could let a waiting
    // instance and a newer one lock two different files of the same name.
    ~InstanceLock();

    bool Held() const { return fd_ >= 0; }

private:
    explicit InstanceLock(int fd) : fd_(fd) {}

    int fd_ = -1;
};

}  // namespace vq
