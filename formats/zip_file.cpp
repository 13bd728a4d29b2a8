#include "formats/zip_file.h"

#include <algorithm>
#include <array>
#include <concepts>
#include <type_traits>
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

// A little-endian unsigned field from its bytes, least significant first.
template <std::unsigned_integral Field>
Field FromLittleEndian(const unsigned char* bytes) {
    Field value = 0;
    for (std::size_t i = 0; i < sizeof(Field); ++i)
        value = static_cast<Field>(value | static_cast<Field>(bytes[i]) << (8 * i));
    return value;
}

// The fixed fields of the records in their order on disk, named once for the writer and the
// reader so that the two cannot disagree about the layout. fields is called with the record's
// members (const for the writer, to be filled for the reader), and what it returns is returned.
template <class Header, class Fields>
decltype(auto) CommonFileHeaderFields(Header& h, Fields&& fields) {
    return fields(h.VersionNeededToExtract, h.GeneralPurposeBitFlag, h.CompressionMethod,
                  h.LastModFileTimeDate, h.Crc32, h.CompressedSize, h.UncompressedSize,
                  h.FilenameLength, h.ExtraFieldLength);
}
// What a central record holds between its common header and its name.
template <class Central, class Fields>
decltype(auto) CentralFieldsAfterCommonHeader(Central& c, Fields&& fields) {
    return fields(c.FileCommentLength, c.DiskNumberStart, c.InternalFileAttributes,
                  c.ExternalFileAttributes, c.RelativeOffsetOfLocalHeader);
}
template <class End, class Fields>
decltype(auto) EndOfCentralDirFields(End& e, Fields&& fields) {
    return fields(e.NumberOfThisDisk, e.NumberOfTheDiskWithTheStart,
                  e.TotalNumberOfEntriesOnThisDisk, e.TotalNumberOfEntries,
                  e.SizeOfTheCentralDirectory, e.OffsetOfStartOfCentralDirectory,
                  e.ZipfileCommentLength);
}

// Called with fields, gives the bytes they take on disk as a type: the lists are held to the
// records' fixed sizes at compile time.
struct FieldBytes {
    template <std::unsigned_integral... Field>
    constexpr auto operator()(const Field&...) const {
        return std::integral_constant<std::size_t, (sizeof(Field) + ...)>{};
    }
};
static_assert(decltype(CommonFileHeaderFields(std::declval<TCommonFileHeader&>(),
                                              FieldBytes{}))::value == kCommonFileHeaderSize);
static_assert(4 + 2 + kCommonFileHeaderSize +
                  decltype(CentralFieldsAfterCommonHeader(std::declval<TFileHeader&>(),
                                                          FieldBytes{}))::value ==
              kCentralFixedSize);
static_assert(4 + decltype(EndOfCentralDirFields(std::declval<TEndOfCentralDir&>(),
                                                 FieldBytes{}))::value ==
              kEndOfCentralDirSize);

// Little-endian field writer into a record buffer; called with fields, it writes each in turn.
class RecordWriter {
public:
    template <std::unsigned_integral... Field>
    void operator()(Field... fields) {
        (Put(fields), ...);
    }
    // At most count bytes of text: a record never declares more than it holds, and never reads
    // past a string that holds less.
    void Bytes(const std::string& text, std::size_t count) {
        bytes_.append(text, 0, std::min(count, text.size()));
    }
    void WriteTo(ByteStream& stream) const { stream.WriteBuffer(bytes_.data(), bytes_.size()); }

private:
    template <std::unsigned_integral Field>
    void Put(Field value) {
        for (std::size_t i = 0; i < sizeof(Field); ++i)
            bytes_.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
    }

    std::string bytes_;
};

// Sequential little-endian reader of one archive. Every read first checks that the stream still
// holds the bytes, so a truncated or forged archive raises before anything is allocated for it.
class RecordReader {
public:
    explicit RecordReader(ByteStream& stream) : stream_(stream) {}

    // Called with fields, reads each in turn; what names them in the truncation error.
    auto Fields(const char* what) {
        return [ this, what ]<std::unsigned_integral... Field>(Field & ... fields) {
            (Get(fields, what), ...);
        };
    }
    // The next signature, or 0 when fewer than 4 bytes are left: the central directory and the
    // end record are optional.
    std::uint32_t NextSignature() {
        if (stream_.Remaining() < 4) return 0;
        std::uint32_t signature = 0;
        Fields("a signature")(signature);
        return signature;
    }

    // Checks at once that the stream holds count bytes, for a record read field by field.
    void Require(std::uint64_t count, const char* what) {
        const auto remaining = stream_.Remaining();
        if (count > remaining)
            throw EZipFileTruncatedError("ZIP archive is truncated: " + std::string(what) +
                                         " at offset " + std::to_string(stream_.Position()) +
                                         " needs " + std::to_string(count) + " bytes, " +
                                         std::to_string(remaining) + " remain.");
    }
    std::string Bytes(std::uint64_t count, const char* what) {
        Require(count, what);
        std::string bytes(static_cast<std::size_t>(count), '\0');
        stream_.ReadBuffer(bytes.data(), bytes.size());
        return bytes;
    }

private:
    template <std::unsigned_integral Field>
    void Get(Field& field, const char* what) {
        unsigned char bytes[sizeof(Field)];
        Require(sizeof bytes, what);
        stream_.ReadBuffer(bytes, sizeof bytes);
        field = FromLittleEndian<Field>(bytes);
    }

    ByteStream& stream_;
};

// The records, written and read in the same order of fields. A reader starts after the
// signature that told which record follows.

void WriteLocalFile(const TLocalFile& local, ByteStream& stream) {
    const TCommonFileHeader& h = local.CommonFileHeader;
    RecordWriter record;
    record(local.LocalFileHeaderSignature);
    CommonFileHeaderFields(h, record);
    record.Bytes(local.filename, h.FilenameLength);
    record.Bytes(local.extrafield, h.ExtraFieldLength);
    record.Bytes(local.CompressedData, h.CompressedSize);
    record.WriteTo(stream);
}

TCommonFileHeader ReadCommonFileHeader(RecordReader& reader) {
    reader.Require(kCommonFileHeaderSize, "a file header");
    TCommonFileHeader h;
    CommonFileHeaderFields(h, reader.Fields("a file header"));
    return h;
}

TLocalFile ReadLocalFile(RecordReader& reader) {
    TLocalFile local;
    local.LocalFileHeaderSignature = kLocalFileHeaderSignature;
    local.CommonFileHeader = ReadCommonFileHeader(reader);
    const TCommonFileHeader& h = local.CommonFileHeader;
    local.filename = reader.Bytes(h.FilenameLength, "a file name");
    local.extrafield = reader.Bytes(h.ExtraFieldLength, "an extra field");
    local.CompressedData = reader.Bytes(h.CompressedSize, "compressed data");
    return local;
}

void WriteFileHeader(const TFileHeader& central, ByteStream& stream) {
    RecordWriter record;
    record(central.CentralFileHeaderSignature, central.VersionMadeBy);
    CommonFileHeaderFields(central.CommonFileHeader, record);
    CentralFieldsAfterCommonHeader(central, record);
    record.Bytes(central.filename, central.filename.size());
    record.Bytes(central.extrafield, central.extrafield.size());
    record.Bytes(central.fileComment, central.fileComment.size());
    record.WriteTo(stream);
}

TFileHeader ReadFileHeader(RecordReader& reader) {
    TFileHeader central;
    central.CentralFileHeaderSignature = kCentralFileHeaderSignature;
    reader.Fields("a central header")(central.VersionMadeBy);
    central.CommonFileHeader = ReadCommonFileHeader(reader);
    CentralFieldsAfterCommonHeader(central, reader.Fields("a central header"));
    const TCommonFileHeader& h = central.CommonFileHeader;
    central.filename = reader.Bytes(h.FilenameLength, "a file name");
    central.extrafield = reader.Bytes(h.ExtraFieldLength, "an extra field");
    central.fileComment = reader.Bytes(central.FileCommentLength, "a file comment");
    return central;
}

// The archive comment follows the end record and is kept beside it.
void WriteEndOfCentralDir(const TEndOfCentralDir& end, const std::string& comment,
                          ByteStream& stream) {
    RecordWriter record;
    record(end.EndOfCentralDirSignature);
    EndOfCentralDirFields(end, record);
    record.Bytes(comment, end.ZipfileCommentLength);
    record.WriteTo(stream);
}

TEndOfCentralDir ReadEndOfCentralDir(RecordReader& reader, std::string& comment) {
    TEndOfCentralDir end;
    end.EndOfCentralDirSignature = kEndOfCentralDirSignature;
    EndOfCentralDirFields(end, reader.Fields("the end record"));
    comment = reader.Bytes(end.ZipfileCommentLength, "the archive comment");
    return end;
}

// Skips forward four bytes at a time to the first local record, and tells whether there is one.
bool SkipToFirstLocalRecord(ByteStream& stream) {
    for (;;) {
        std::array<unsigned char, 4> bytes{};
        stream.Read(bytes.data(), bytes.size());
        if (stream.Position() >= stream.Size()) return false;
        if (FromLittleEndian<std::uint32_t>(bytes.data()) == kLocalFileHeaderSignature) return true;
    }
}

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
        CentralDirectory[i].RelativeOffsetOfLocalHeader =
            static_cast<std::uint32_t>(ZipFileStream.Position());
        WriteLocalFile(Files[i], ZipFileStream);
    }

    const std::uint64_t central_start = ZipFileStream.Position();
    EndOfCentralDirectory.OffsetOfStartOfCentralDirectory =
        static_cast<std::uint32_t>(central_start);
    for (const TFileHeader& central : CentralDirectory) WriteFileHeader(central, ZipFileStream);

    TEndOfCentralDir& end = EndOfCentralDirectory;
    end.EndOfCentralDirSignature = kEndOfCentralDirSignature;
    end.NumberOfThisDisk = 0;
    end.NumberOfTheDiskWithTheStart = 0;
    end.TotalNumberOfEntriesOnThisDisk = static_cast<std::uint16_t>(Files.size());
    end.TotalNumberOfEntries = static_cast<std::uint16_t>(Files.size());
    end.SizeOfTheCentralDirectory =
        static_cast<std::uint32_t>(ZipFileStream.Position() - central_start);
    end.ZipfileCommentLength = static_cast<std::uint16_t>(ZipFileComment.size());
    WriteEndOfCentralDir(end, ZipFileComment, ZipFileStream);
}

void TZipFile::SaveToFile(const std::filesystem::path& filename) {
    FileStream file(filename, FileStream::Mode::Create);
    SaveToStream(file);
}

void TZipFile::LoadFromStream(ByteStream& ZipFileStream) {
    // A stream without a local record leaves the archive as it is.
    if (!SkipToFirstLocalRecord(ZipFileStream)) return;

    // Read into copies and commit at the end, so that a truncated archive changes nothing.
    std::vector<TLocalFile> files;
    std::vector<TFileHeader> central_directory = CentralDirectory;
    TEndOfCentralDir end = EndOfCentralDirectory;
    std::string comment = ZipFileComment;
    RecordReader reader(ZipFileStream);

    std::uint32_t signature = kLocalFileHeaderSignature;
    while (signature == kLocalFileHeaderSignature) {
        files.push_back(ReadLocalFile(reader));
        signature = reader.NextSignature();
    }

    // One central record per local record; any further ones are left unread, and an entry whose
    // central record is missing keeps the one it had.
    central_directory.resize(files.size());
    for (std::size_t i = 0; i < files.size() && signature == kCentralFileHeaderSignature; ++i) {
        central_directory[i] = ReadFileHeader(reader);
        signature = reader.NextSignature();
    }

    if (signature == kEndOfCentralDirSignature) end = ReadEndOfCentralDir(reader, comment);

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
