#include "auth/connection_log.h"

#include <memory>
#include <utility>

namespace vq {

namespace {

constexpr std::u16string_view kSwitch = u"cdebug";
constexpr std::u16string_view kDirectoryName = u"Log";
constexpr std::u16string_view kFileName = u"ConectionsErrors.log";

// "DATE TIME: message" and CR LF; in the first second after midnight only the date. A message
// with line breaks of its own spreads over several lines, and only the first carries the date.
std::u16string LogLine(LogPlatform& platform, const LocalDateTime& now,
                       std::u16string_view message) {
    std::u16string line = platform.FormatShortDate(now);
    if (now.hour != 0 || now.minute != 0 || now.second != 0) {
        line += u' ';
        line += platform.FormatLongTime(now);
    }
    line += u": ";
    line += message;
    line += u"\r\n";
    return line;
}

}  // namespace

FileConnectionLog::FileConnectionLog(Arguments arguments, std::u16string executable_directory,
                                     LogPlatform& platform, const LocalClock& clock)
    : arguments_(std::move(arguments)),
      executable_directory_(std::move(executable_directory)),
      platform_(platform),
      clock_(clock) {}

FileConnectionLog::FileConnectionLog(const std::vector<std::u16string>& arguments,
                                     std::u16string executable_directory, LogPlatform& platform,
                                     const LocalClock& clock)
    : FileConnectionLog([&arguments] { return arguments; }, std::move(executable_directory),
                        platform, clock) {}

bool FileConnectionLog::Enabled() const {
    const std::vector<std::u16string> arguments = arguments_();
    return !arguments.empty() && arguments.front() == kSwitch;
}

std::u16string FileConnectionLog::DirectoryPath() const {
    const char16_t separator = platform_.PathSeparator();
    std::u16string path = executable_directory_;
    if (!path.empty() && path.back() != separator && path.back() != u'/') path += separator;
    path += kDirectoryName;
    return path;
}

std::u16string FileConnectionLog::FilePath() const {
    return DirectoryPath() + platform_.PathSeparator() + std::u16string(kFileName);
}

void FileConnectionLog::Write(std::u16string_view message) {
    if (!Enabled()) return;
    platform_.CreateDirectories(DirectoryPath());
    const std::u16string line = LogLine(platform_, clock_.Now(), message);
    const std::string bytes = platform_.CodePage().Encode(line);
    const std::unique_ptr<LogFile> file = platform_.OpenForAppend(FilePath());
    file->Write(bytes);
    file->Close();
}

}  // namespace vq
