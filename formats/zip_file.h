#pragma once
// An in-memory ZIP archive (PKWARE APPNOTE): single disk, no encryption, no ZIP64, deflate
// only. Each entry keeps its name and its raw deflate data; the archive is written to and read
// from a byte stream or a file. The worker sends its credentials as the one entry "dta".

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/byte_stream.h"
#include "formats/errors.h"
#include "formats/local_clock.h"
#include "formats/zlib_codec.h"

namespace vq {

// The inflated data does not match the CRC-32 its header records. Message:
// CRC Error in "<entry name>".
class EZipFileCRCError : public Exception {
public:
    using Exception::Exception;
};

// An archive that ends in the middle of a record, or declares more bytes than the stream holds.
class EZipFileTruncatedError : public EReadError {
public:
    explicit EZipFileTruncatedError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The 26 bytes that the local and the central header share. Records are serialised field by
// field, little-endian, so the in-memory layout of these structs does not matter.
struct TCommonFileHeader {
    std::uint16_t VersionNeededToExtract = 0;
    std::uint16_t GeneralPurposeBitFlag = 0;
    std::uint16_t CompressionMethod = 0;
    std::uint32_t LastModFileTimeDate = 0;  // DOS time in the low word, DOS date in the high
    std::uint32_t Crc32 = 0;
    std::uint32_t CompressedSize = 0;
    std::uint32_t UncompressedSize = 0;
    std::uint16_t FilenameLength = 0;
    std::uint16_t ExtraFieldLength = 0;

    friend bool operator==(const TCommonFileHeader&, const TCommonFileHeader&) = default;
};

// A local file record: header, name, extra field and the raw deflate stream of the entry.
struct TLocalFile {
    std::uint32_t LocalFileHeaderSignature = 0;
    TCommonFileHeader CommonFileHeader;
    std::string filename;
    std::string extrafield;
    std::string CompressedData;
};

// A central directory record, one per entry at the same index as its local record.
struct TFileHeader {
    std::uint32_t CentralFileHeaderSignature = 0;
    std::uint16_t VersionMadeBy = 0;
    TCommonFileHeader CommonFileHeader;
    std::uint16_t FileCommentLength = 0;
    std::uint16_t DiskNumberStart = 0;
    std::uint16_t InternalFileAttributes = 0;
    std::uint32_t ExternalFileAttributes = 0;
    std::uint32_t RelativeOffsetOfLocalHeader = 0;
    std::string filename;
    std::string extrafield;
    std::string fileComment;
};

struct TEndOfCentralDir {
    std::uint32_t EndOfCentralDirSignature = 0;
    std::uint16_t NumberOfThisDisk = 0;
    std::uint16_t NumberOfTheDiskWithTheStart = 0;
    std::uint16_t TotalNumberOfEntriesOnThisDisk = 0;
    std::uint16_t TotalNumberOfEntries = 0;
    std::uint32_t SizeOfTheCentralDirectory = 0;
    std::uint32_t OffsetOfStartOfCentralDirectory = 0;
    std::uint16_t ZipfileCommentLength = 0;
};

class TZipFile {
public:
    // Time stamps of new and rewritten entries are read from clock, which must outlive the archive.
    explicit TZipFile(const LocalClock& clock = SystemLocalClock());

    // Appends an empty entry named Name; FAttribute becomes its external file attributes.
    void AddFile(const std::string& Name, std::uint32_t FAttribute);

    // Deflates Value into entry i and refreshes both of its records, time stamp included.
    // Raises ECompressionError (the entry then keeps its records).
    void SetUncompressed(int i, const std::string& Value);
    // Inflates entry i. Raises EDecompressionError for damaged data and EZipFileCRCError when
    // the result does not match the recorded CRC-32.
    std::string GetUncompressed(int i) const;

    // Writes the archive at the stream's position; offsets are positions in that stream.
    void SaveToStream(ByteStream& ZipFileStream);
    void SaveToFile(const std::filesystem::path& filename);
    // Reads an archive from the stream's position; entries are overwritten from index 0.
    // Raises EZipFileTruncatedError (an EReadError) for an archive cut short, and then leaves
    // this object as it was.
    void LoadFromStream(ByteStream& ZipFileStream);
    void LoadFromFile(const std::filesystem::path& filename);

    // The local record's time stamp. Raises EConvertError for a stored 0.
    LocalDateTime GetDateTime(int i) const;
    // Sets the local record's time stamp only; the central record keeps its own copy until the
    // next SetUncompressed.
    void SetDateTime(int i, const LocalDateTime& Value);

    const std::string& GetName(int i) const;
    // Renames the local record; the central record takes the name at the next SetUncompressed.
    void SetName(int i, const std::string& Value);

    int GetCount() const { return static_cast<int>(Files.size()); }

    // The records as they stand, for inspection.
    const std::vector<TLocalFile>& GetFiles() const { return Files; }
    const std::vector<TFileHeader>& GetCentralDirectory() const { return CentralDirectory; }
    const TEndOfCentralDir& GetEndOfCentralDirectory() const { return EndOfCentralDirectory; }
    const std::string& GetZipFileComment() const { return ZipFileComment; }

private:
    void CheckIndex(int i) const;

    const LocalClock* FClock;
    std::vector<TLocalFile> Files;
    std::vector<TFileHeader> CentralDirectory;  // always as long as Files
    TEndOfCentralDir EndOfCentralDirectory;
    std::string ZipFileComment;
    // One deflate stream for every SetUncompressed of this archive (the worker sets the same
    // entry before each POST).
    ZlibDeflater FDeflater;
};

}  // namespace vq
