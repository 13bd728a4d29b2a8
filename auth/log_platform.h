#pragma once
// What the connection log needs of the platform: the locale's date and time texts, folders, a
// file that admits one writer at a time, and the encoding of the file's text. Windows uses the
// user's locale, the Win32 file API and the ANSI code page; other systems use a fixed
// Russian-style format, POSIX files with an advisory lock and UTF-8.

#include <memory>
#include <string>
#include <string_view>

#include "formats/ansi_code_page.h"
#include "formats/local_clock.h"

namespace vq {

// A file opened for appending; closed when the object goes. While it is open, no other writer
// can open the same file; readers can. Failures raise EInOutError.
class LogFile {
public:
    virtual ~LogFile() = default;
    // Appends the bytes at the file's end.
    virtual void Write(std::string_view bytes) = 0;
    // Closes the file and reports a failure to do so; the destructor closes silently otherwise.
    virtual void Close() = 0;
};

class LogPlatform {
public:
    virtual ~LogPlatform() = default;

    // The moment in the locale's short date format ("10.12.2026").
    virtual std::u16string FormatShortDate(const LocalDateTime& moment) = 0;
    // The moment in the locale's long time format ("14:03:07").
    virtual std::u16string FormatLongTime(const LocalDateTime& moment) = 0;

    // The separator of a path's parts: '\' on Windows, '/' elsewhere.
    virtual char16_t PathSeparator() const = 0;
    // Creates the folder with any missing parents. A failure is not reported: opening a file in
    // it then fails and says so.
    virtual void CreateDirectories(std::u16string_view path) = 0;
    // Opens the file for writing at its end, creating it empty if it does not exist.
    virtual std::unique_ptr<LogFile> OpenForAppend(std::u16string_view path) = 0;

    // The encoding of the file's text: the ANSI code page on Windows, UTF-8 elsewhere.
    virtual const AnsiCodePage& CodePage() const = 0;
};

// The platform this program runs on. It holds no state.
LogPlatform& SystemLogPlatform();

}  // namespace vq
