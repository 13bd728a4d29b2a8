#pragma once
// Standard output and standard error of vq-probe on a Windows console. The program writes UTF-8;
// a console shows bytes in its own code page (866 or 1251 on a Russian workstation), and switching
// the console to UTF-8 would outlive the program and garble the next one's output. So while the
// program runs, a stream that goes to a console writes its text as UTF-16 with WriteConsoleW and
// leaves the console's code page as it found it; a stream redirected to a file or a pipe keeps
// writing the UTF-8 bytes themselves.

#include <memory>
#include <ostream>
#include <streambuf>

#include <windows.h>

namespace vq::probe {

// Writes UTF-8 to a console as UTF-16. Bytes of a character split between two writes wait in the
// buffer for the rest.
class ConsoleStreamBuffer : public std::streambuf {
public:
    explicit ConsoleStreamBuffer(HANDLE console);
    ~ConsoleStreamBuffer() override;

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Writes what the buffer holds; with whole = false it keeps an unfinished character.
    bool Flush(bool whole);

    HANDLE console_;
    char buffer_[1024];
};

// For the program's run: gives the stream a ConsoleStreamBuffer when its handle is a console, and
// its own buffer back afterwards.
class ConsoleOutput {
public:
    ConsoleOutput(DWORD standard_handle, std::ostream& stream);
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

private:
    std::ostream& stream_;
    std::streambuf* original_ = nullptr;
    std::unique_ptr<ConsoleStreamBuffer> console_;
};

}  // namespace vq::probe
