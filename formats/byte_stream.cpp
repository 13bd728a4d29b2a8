#include "formats/byte_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "formats/errors.h"

#ifdef _WIN32
#include <share.h>
#endif

namespace vq {

void ByteStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void ByteStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::uint64_t ByteStream::Remaining() const {
    const auto size = Size();
    const auto position = Position();
    return position < size ? size - position : 0;
}

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    const std::uint64_t end = position_ + count;
    if (end > bytes_.size()) bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ = end;
    return count;
}

void MemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
}

std::string MemoryStream::TakeBytes() {
    position_ = 0;
    return std::exchange(bytes_, {});
}

namespace {

std::string DisplayName(const std::filesystem::path& file_name) {
    const auto text = file_name.u8string();
    return std::string(text.begin(), text.end());
}

std::FILE* OpenFile(const std::filesystem::path& file_name, FileStream::Mode mode) {
#ifdef _WIN32
    // Reading denies other writers, as a shared-read open does on Windows.
    return mode == FileStream::Mode::Create ? _wfsopen(file_name.c_str(), L"w+b", _SH_DENYWR)
                                            : _wfsopen(file_name.c_str(), L"rb", _SH_DENYWR);
#else
    return std::fopen(file_name.c_str(), mode == FileStream::Mode::Create ? "w+b" : "rb");
#endif
}

}  // namespace

FileStream::FileStream(const std::filesystem::path& file_name, Mode mode)
    : file_(OpenFile(file_name, mode)) {
    if (file_ == nullptr) {
        const std::string reason = std::strerror(errno);
        if (mode == Mode::Create)
            throw EFCreateError("Cannot create file \"" + DisplayName(file_name) + "\". " + reason);
        throw EFOpenError("Cannot open file \"" + DisplayName(file_name) + "\". " + reason);
    }
}

FileStream::~FileStream() {
    if (file_ != nullptr) std::fclose(file_);
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
    return std::fread(buffer, 1, count, file_);
}

std::size_t FileStream::Write(const void* buffer, std::size_t count) {
    const auto written = std::fwrite(buffer, 1, count, file_);
    if (std::fflush(file_) != 0) return 0;
    return written;
}

std::uint64_t FileStream::Position() const {
#ifdef _WIN32
    return static_cast<std::uint64_t>(_ftelli64(file_));
#else
    return static_cast<std::uint64_t>(ftello(file_));
#endif
}

void FileStream::SetPosition(std::uint64_t position) {
#ifdef _WIN32
    _fseeki64(file_, static_cast<long long>(position), SEEK_SET);
#else
    fseeko(file_, static_cast<off_t>(position), SEEK_SET);
#endif
}

std::uint64_t FileStream::Size() const {
    const auto here = Position();
#ifdef _WIN32
    _fseeki64(file_, 0, SEEK_END);
    const auto size = static_cast<std::uint64_t>(_ftelli64(file_));
    _fseeki64(file_, static_cast<long long>(here), SEEK_SET);
#else
    fseeko(file_, 0, SEEK_END);
    const auto size = static_cast<std::uint64_t>(ftello(file_));
    fseeko(file_, static_cast<off_t>(here), SEEK_SET);
#endif
    return size;
}

std::string ReadFileBytes(const std::filesystem::path& file_name) {
    FileStream file(file_name, FileStream::Mode::OpenRead);
    std::string bytes(file.Size(), '\0');
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

void WriteFileBytes(const std::filesystem::path& file_name, const std::string& bytes) {
    FileStream file(file_name, FileStream::Mode::Create);
    file.WriteBuffer(bytes.data(), bytes.size());
}

}  // namespace vq
