#pragma once
// Positioned byte streams: the stream and file forms of the value list and the ZIP archive are
// written to and read from these.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace vq {

class ByteStream {
public:
    virtual ~ByteStream() = default;

    // Reads up to count bytes; the result is how many were read (0 at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes; the result is how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::uint64_t Position() const = 0;
    virtual void SetPosition(std::uint64_t position) = 0;
    virtual std::uint64_t Size() const = 0;

    // Whole reads and writes: anything short raises EReadError or EWriteError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);

    std::uint64_t Remaining() const;
};

// A growable in-memory stream.
class MemoryStream final : public ByteStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::uint64_t Position() const override { return position_; }
    void SetPosition(std::uint64_t position) override { position_ = position; }
    std::uint64_t Size() const override { return bytes_.size(); }

    void Clear();
    const std::string& Bytes() const { return bytes_; }
    std::string TakeBytes();

private:
    std::string bytes_;
    std::uint64_t position_ = 0;
};

// A file on disk. Opening failures raise EFOpenError or EFCreateError naming the file.
class FileStream final : public ByteStream {
public:
    enum class Mode {
        Create,    // create or truncate, read and write
        OpenRead,  // read only; other writers are denied where the platform allows it
    };

    FileStream(const std::filesystem::path& file_name, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::uint64_t Position() const override;
    void SetPosition(std::uint64_t position) override;
    std::uint64_t Size() const override;

private:
    std::FILE* file_ = nullptr;
};

// Convenience: the whole content of a file as bytes, and the reverse.
std::string ReadFileBytes(const std::filesystem::path& file_name);
void WriteFileBytes(const std::filesystem::path& file_name, const std::string& bytes);

}  // namespace vq
