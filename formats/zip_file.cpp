#include "formats/zip_file.h"

#include <algorithm>
#include <array>
#include <utility>

#include "formats/crc32.h"
#include "formats/dos_date_time.h"
#include "formats/zlib_codec.h"

namespace vq {

namespace {

constexpr std::uint32_t kLocalFileHeaderSignature = 0x04034B50;
constexpr std::uint32_t kCentralFileHeaderSignature = 0x02014B50;
constexpr std::uint32_t kEndOfCentralDirSignature = 0x06054B50;
constexpr std::uint16_t kVersion20 = 20;  // version 2.0, file-system byte 0 (MS-DOS)
constexpr std::uint16_t kMethodDeflate = 8;

constexpr std::size_t kCommonFileHeaderSize = 26;
constexpr std::size_t kCentralFixedSize = 46;  // signature .. RelativeOffsetOfLocalHeader
constexpr std::size_t kEndOfCentralDirSize = 22;

// The zlib header that zlib itself writes for a 32 KiB window at the default level: it turns a
// stored raw deflate stream back into something inflate accepts.
constexpr char kZlibHeader[] = {'\x78', '\x9C'};
constexpr std::size_t kZlibHeaderSize = 2;
constexpr std::size_t kZlibTrailerSize = 4;  // Adler-32

// Little-endian field writer into a record buffer.
class RecordWriter {
public:
    void U16(std::uint16_t value) {
        bytes_.push_back(static_cast<char>(value & 0xFF));
        bytes_.push_back(static_cast<char>(value >> 8));
    }
    void U32(std::uint32_t value) {
        U16(static_cast<std::uint16_t>(value & 0xFFFF));
        U16(static_cast<std::uint16_t>(value >> 16));
    }
    // At most count bytes of text: a record never declares more than it holds, and never reads
    // past a string that holds less.
    void Bytes(const std::string& text, std::size_t count) {
        bytes_.append(text, 0, std::min(count, text.size()));
    }
    void Common(const TCommonFileHeader& h) {
        U16(h.VersionNeededToExtract);
        U16(h.GeneralPurposeBitFlag);
        U16(h.CompressionMethod);
        U32(h.LastModFileTimeDate);
        U32(h.Crc32);
        U32(h.CompressedSize);
        U32(h.UncompressedSize);
        U16(h.FilenameLength);
        U16(h.ExtraFieldLength);
    }
    void WriteTo(ByteStream& stream) const { stream.WriteBuffer(bytes_.data(), bytes_.size()); }

private:
    std::string bytes_;
};

// Sequential reader of one archive. Every read first checks that the stream still holds the
// bytes, so a truncated or forged archive raises before anything is allocated for it.
class RecordReader {
public:
    explicit RecordReader(ByteStream& stream) : stream_(stream) {}

    // The next signature, or 0 when fewer than 4 bytes are left: the central directory and the
    // end record are optional.
    std::uint32_t NextSignature() {
        if (stream_.Remaining() < 4) return 0;
        return U32("a signature");
    }

    std::uint16_t U16(const char* what) {
        unsigned char b[2];
        Fixed(b, sizeof b, what);
        return static_cast<std::uint16_t>(b[0] | b[1] << 8);
    }
    std::uint32_t U32(const char* what) {
        unsigned char b[4];
        Fixed(b, sizeof b, what);
        return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    }
    TCommonFileHeader Common() {
        Require(kCommonFileHeaderSize, "a file header");
        TCommonFileHeader h;
        h.VersionNeededToExtract = U16("a file header");
        h.GeneralPurposeBitFlag = U16("a file header");
        h.CompressionMethod = U16("a file header");
        h.LastModFileTimeDate = U32("a file header");
        h.Crc32 = U32("a file header");
        h.CompressedSize = U32("a file header");
        h.UncompressedSize = U32("a file header");
        h.FilenameLength = U16("a file header");
        h.ExtraFieldLength = U16("a file header");
        return h;
    }
    std::string Bytes(std::uint64_t count, const char* what) {
        Require(count, what);
        std::string bytes(static_cast<std::size_t>(count), '\0');
        stream_.ReadBuffer(bytes.data(), bytes.size());
        return bytes;
    }

private:
    void Fixed(unsigned char* buffer, std::size_t count, const char* what) {
        Require(count, what);
        stream_.ReadBuffer(buffer, count);
    }
    void Require(std::uint64_t count, const char* what) {
        const auto remaining = stream_.Remaining();
        if (count > remaining)
            throw EZipFileTruncatedError("ZIP archive is truncated: " + std::string(what) +
                                         " at offset " + std::to_string(stream_.Position()) +
                                         " needs " + std::to_string(count) + " bytes, " +
                                         std::to_string(remaining) + " remain.");
    }

    ByteStream& stream_;
};

TCommonFileHeader NewCommonFileHeader(std::uint32_t time_stamp) {
    TCommonFileHeader h;
    h.VersionNeededToExtract = kVersion20;
    h.GeneralPurposeBitFlag = 0;
    h.CompressionMethod = kMethodDeflate;
    h.LastModFileTimeDate = time_stamp;
    return h;
}

// Brings the central record in line with the local one; ExternalFileAttributes and the offset
// are left to the caller.
void RefreshCentralRecord(TFileHeader& central, const TLocalFile& local) {
    central.CentralFileHeaderSignature = kCentralFileHeaderSignature;
    central.VersionMadeBy = kVersion20;
    central.CommonFileHeader = local.CommonFileHeader;
    central.FileCommentLength = 0;
    central.DiskNumberStart = 0;
    central.InternalFileAttributes = 0;
    central.filename = local.filename;
    central.extrafield = local.extrafield;
    central.fileComment.clear();
}

}  // namespace

TZipFile::TZipFile(const LocalClock& clock) : FClock(&clock) {}

void TZipFile::CheckIndex(int i) const {
    if (i < 0 || i >= GetCount()) throw Exception("Index out of range.");
}

void TZipFile::AddFile(const std::string& Name, std::uint32_t FAttribute) {
    TLocalFile local;
    local.LocalFileHeaderSignature = kLocalFileHeaderSignature;
    local.CommonFileHeader = NewCommonFileHeader(DateTimeToDosDateTime(FClock->Now()));
    local.filename = Name;
    local.CommonFileHeader.FilenameLength = static_cast<std::uint16_t>(Name.size());

    TFileHeader central;
    RefreshCentralRecord(central, local);
    central.ExternalFileAttributes = FAttribute;
    central.RelativeOffsetOfLocalHeader = 0;

    Files.push_back(std::move(local));
    CentralDirectory.push_back(std::move(central));
}

void TZipFile::SetUncompressed(int i, const std::string& Value) {
    CheckIndex(i);
    if (Value.size() > UINT32_MAX)
        throw ECompressionError("Compression error: data too large for a ZIP entry");
    // Compress first: a failure leaves the entry as it was.
    const std::string zlib_stream = FDeflater.Compress(Value);
    std::string raw;
    if (zlib_stream.size() > kZlibHeaderSize + kZlibTrailerSize)
        raw = zlib_stream.substr(kZlibHeaderSize,
                                 zlib_stream.size() - kZlibHeaderSize - kZlibTrailerSize);
    if (raw.size() > UINT32_MAX)
        throw ECompressionError("Compression error: data too large for a ZIP entry");

    TLocalFile& local = Files[static_cast<std::size_t>(i)];
    local.LocalFileHeaderSignature = kLocalFileHeaderSignature;
    TCommonFileHeader& h = local.CommonFileHeader;
    h = NewCommonFileHeader(DateTimeToDosDateTime(FClock->Now()));
    h.Crc32 = Crc32(Value);
    h.CompressedSize = static_cast<std::uint32_t>(raw.size());
    h.UncompressedSize = static_cast<std::uint32_t>(Value.size());
    h.FilenameLength = static_cast<std::uint16_t>(local.filename.size());
    h.ExtraFieldLength = static_cast<std::uint16_t>(local.extrafield.size());
    local.CompressedData = std::move(raw);

    TFileHeader& central = CentralDirectory[static_cast<std::size_t>(i)];
    RefreshCentralRecord(central, local);
    central.RelativeOffsetOfLocalHeader = 0;
}

std::string TZipFile::GetUncompressed(int i) const {
    CheckIndex(i);
    const TLocalFile& local = Files[static_cast<std::size_t>(i)];
    std::string input(kZlibHeader, kZlibHeaderSize);
    input += local.CompressedData;
    // Asking for exactly UncompressedSize bytes stops inflate before the Adler-32 trailer that
    // the stored data lacks.
    const std::uint32_t expected = local.CommonFileHeader.UncompressedSize;
    std::string result = ZlibDecompress(input, expected);
    if (result.size() < expected) result.clear();
    if (Crc32(result) != local.CommonFileHeader.Crc32)
        throw EZipFileCRCError("CRC Error in \"" + local.filename + "\".");
    return result;
}

void TZipFile::SaveToStream(ByteStream& ZipFileStream) {
    for (std::size_t i = 0; i < Files.size(); ++i) {
        const TLocalFile& local = Files[i];
        const TCommonFileHeader& h = local.CommonFileHeader;
        CentralDirectory[i].RelativeOffsetOfLocalHeader =
            static_cast<std::uint32_t>(ZipFileStream.Position());
        RecordWriter record;
        record.U32(local.LocalFileHeaderSignature);
        record.Common(h);
        record.Bytes(local.filename, h.FilenameLength);
        record.Bytes(local.extrafield, h.ExtraFieldLength);
        record.Bytes(local.CompressedData, h.CompressedSize);
        record.WriteTo(ZipFileStream);
    }

    const std::uint64_t central_start = ZipFileStream.Position();
    EndOfCentralDirectory.OffsetOfStartOfCentralDirectory =
        static_cast<std::uint32_t>(central_start);
    for (const TFileHeader& central : CentralDirectory) {
        RecordWriter record;
        record.U32(central.CentralFileHeaderSignature);
        record.U16(central.VersionMadeBy);
        record.Common(central.CommonFileHeader);
        record.U16(central.FileCommentLength);
        record.U16(central.DiskNumberStart);
        record.U16(central.InternalFileAttributes);
        record.U32(central.ExternalFileAttributes);
        record.U32(central.RelativeOffsetOfLocalHeader);
        record.Bytes(central.filename, central.filename.size());
        record.Bytes(central.extrafield, central.extrafield.size());
        record.Bytes(central.fileComment, central.fileComment.size());
        record.WriteTo(ZipFileStream);
    }

    TEndOfCentralDir& end = EndOfCentralDirectory;
    end.EndOfCentralDirSignature = kEndOfCentralDirSignature;
    end.NumberOfThisDisk = 0;
    end.NumberOfTheDiskWithTheStart = 0;
    end.TotalNumberOfEntriesOnThisDisk = static_cast<std::uint16_t>(Files.size());
    end.TotalNumberOfEntries = static_cast<std::uint16_t>(Files.size());
    end.SizeOfTheCentralDirectory =
        static_cast<std::uint32_t>(ZipFileStream.Position() - central_start);
    end.ZipfileCommentLength = static_cast<std::uint16_t>(ZipFileComment.size());
    RecordWriter record;
    record.U32(end.EndOfCentralDirSignature);
    record.U16(end.NumberOfThisDisk);
    record.U16(end.NumberOfTheDiskWithTheStart);
    record.U16(end.TotalNumberOfEntriesOnThisDisk);
    record.U16(end.TotalNumberOfEntries);
    record.U32(end.SizeOfTheCentralDirectory);
    record.U32(end.OffsetOfStartOfCentralDirectory);
    record.U16(end.ZipfileCommentLength);
    record.Bytes(ZipFileComment, end.ZipfileCommentLength);
    record.WriteTo(ZipFileStream);
}

void TZipFile::SaveToFile(const std::filesystem::path& filename) {
    FileStream file(filename, FileStream::Mode::Create);
    SaveToStream(file);
}

void TZipFile::LoadFromStream(ByteStream& ZipFileStream) {
    // Skip forward four bytes at a time to the first local record; a stream without one leaves
    // the archive as it is.
    std::uint32_t signature = 0;
    for (;;) {
        std::array<unsigned char, 4> b{};
        ZipFileStream.Read(b.data(), b.size());
        if (ZipFileStream.Position() >= ZipFileStream.Size()) return;
        signature = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                    static_cast<std::uint32_t>(b[2]) << 16 |
                    static_cast<std::uint32_t>(b[3]) << 24;
        if (signature == kLocalFileHeaderSignature) break;
    }

    // Read into copies and commit at the end, so that a truncated archive changes nothing.
    std::vector<TLocalFile> files = Files;
    std::vector<TFileHeader> central_directory = CentralDirectory;
    TEndOfCentralDir end = EndOfCentralDirectory;
    std::string comment = ZipFileComment;
    RecordReader reader(ZipFileStream);

    std::size_t count = 0;
    while (signature == kLocalFileHeaderSignature) {
        files.resize(count + 1);
        central_directory.resize(count + 1);
        TLocalFile& local = files[count];
        local.LocalFileHeaderSignature = signature;
        local.CommonFileHeader = reader.Common();
        const TCommonFileHeader& h = local.CommonFileHeader;
        local.filename = reader.Bytes(h.FilenameLength, "a file name");
        local.extrafield = reader.Bytes(h.ExtraFieldLength, "an extra field");
        local.CompressedData = reader.Bytes(h.CompressedSize, "compressed data");
        ++count;
        signature = reader.NextSignature();
    }

    // One central record per local record; any further ones are left unread.
    for (std::size_t i = 0; i < count && signature == kCentralFileHeaderSignature; ++i) {
        TFileHeader& central = central_directory[i];
        central.CentralFileHeaderSignature = signature;
        central.VersionMadeBy = reader.U16("a central header");
        central.CommonFileHeader = reader.Common();
        central.FileCommentLength = reader.U16("a central header");
        central.DiskNumberStart = reader.U16("a central header");
        central.InternalFileAttributes = reader.U16("a central header");
        central.ExternalFileAttributes = reader.U32("a central header");
        central.RelativeOffsetOfLocalHeader = reader.U32("a central header");
        const TCommonFileHeader& h = central.CommonFileHeader;
        central.filename = reader.Bytes(h.FilenameLength, "a file name");
        central.extrafield = reader.Bytes(h.ExtraFieldLength, "an extra field");
        central.fileComment = reader.Bytes(central.FileCommentLength, "a file comment");
        signature = reader.NextSignature();
    }

    if (signature == kEndOfCentralDirSignature) {
        end.EndOfCentralDirSignature = signature;
        end.NumberOfThisDisk = reader.U16("the end record");
        end.NumberOfTheDiskWithTheStart = reader.U16("the end record");
        end.TotalNumberOfEntriesOnThisDisk = reader.U16("the end record");
        end.TotalNumberOfEntries = reader.U16("the end record");
        end.SizeOfTheCentralDirectory = reader.U32("the end record");
        end.OffsetOfStartOfCentralDirectory = reader.U32("the end record");
        end.ZipfileCommentLength = reader.U16("the end record");
        comment = reader.Bytes(end.ZipfileCommentLength, "the archive comment");
    }

    Files = std::move(files);
    CentralDirectory = std::move(central_directory);
    EndOfCentralDirectory = end;
    ZipFileComment = std::move(comment);
}

void TZipFile::LoadFromFile(const std::filesystem::path& filename) {
    FileStream file(filename, FileStream::Mode::OpenRead);
    LoadFromStream(file);
}

LocalDateTime TZipFile::GetDateTime(int i) const {
    CheckIndex(i);
    const TLocalFile& local = Files[static_cast<std::size_t>(i)];
    return DosDateTimeToDateTime(local.CommonFileHeader.LastModFileTimeDate);
}

void TZipFile::SetDateTime(int i, const LocalDateTime& Value) {
    CheckIndex(i);
    Files[static_cast<std::size_t>(i)].CommonFileHeader.LastModFileTimeDate =
        DateTimeToDosDateTime(Value);
}

const std::string& TZipFile::GetName(int i) const {
    CheckIndex(i);
    return Files[static_cast<std::size_t>(i)].filename;
}

void TZipFile::SetName(int i, const std::string& Value) {
    CheckIndex(i);
    TLocalFile& local = Files[static_cast<std::size_t>(i)];
    local.filename = Value;
    local.CommonFileHeader.FilenameLength = static_cast<std::uint16_t>(Value.size());
}

}  // namespace vq
