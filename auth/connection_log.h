#pragma once
// The connection error log: a diagnostic text file beside the executable in which the
// authorization worker notes its start, its end, every failure it meets and every pause that a
// wake-up cut short. It is written only while the program's first argument is "cdebug".

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "auth/log_platform.h"
#include "formats/local_clock.h"

namespace vq {

// What the worker writes when it starts and when it ends.
inline constexpr std::u16string_view kLogWorkerStarted = u"Начало работы потока авторизации";
inline constexpr std::u16string_view kLogWorkerFinished = u"Завершение потока авторизации";
inline constexpr std::u16string_view kLogPauseEndedEarly =
    u"Пауза прервана: компьютер вышел из сна или сменилась сеть";

class ConnectionLog {
public:
    virtual ~ConnectionLog() = default;
    // Notes the message. A failure raises (FileConnectionLog: EInOutError).
    virtual void Write(std::u16string_view message) = 0;
};

// A log that notes nothing.
class NullConnectionLog final : public ConnectionLog {
public:
    void Write(std::u16string_view) override {}
};

// The file "Log\ConectionsErrors.log" under the folder given: the executable's directory on
// Windows, the user's state folder on Linux. Each Write opens the file, appends one line
// ("DATE TIME: message" and CR LF, in the platform's encoding: the ANSI code page on Windows,
// UTF-8 elsewhere) and closes it; nothing stays open between calls.
class FileConnectionLog final : public ConnectionLog {
public:
    // The program's arguments without the program's name, asked for anew on every call.
    using Arguments = std::function<std::vector<std::u16string>()>;

    FileConnectionLog(Arguments arguments, std::u16string executable_directory,
                      LogPlatform& platform = SystemLogPlatform(),
                      const LocalClock& clock = SystemLocalClock());
    // Reads the arguments through the reference on every call; they must outlive the log.
    FileConnectionLog(const std::vector<std::u16string>& arguments,
                      std::u16string executable_directory,
                      LogPlatform& platform = SystemLogPlatform(),
                      const LocalClock& clock = SystemLocalClock());
    // A temporary list would be gone before the first Write.
    FileConnectionLog(std::vector<std::u16string>&&, std::u16string,
                      LogPlatform& = SystemLogPlatform(),
                      const LocalClock& = SystemLocalClock()) = delete;

    // Returns at once unless the first argument is exactly "cdebug". Creates the folder when it
    // is missing; a failure to open, write or close the file raises EInOutError.
    void Write(std::u16string_view message) override;

    // Whether a Write now would reach the file.
    bool Enabled() const;
    // The folder and the file the log writes.
    std::u16string DirectoryPath() const;
    std::u16string FilePath() const;

private:
    Arguments arguments_;
    std::u16string executable_directory_;
    LogPlatform& platform_;
    const LocalClock& clock_;
};

}  // namespace vq
