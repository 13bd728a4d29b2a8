#include "formats/zip_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "formats/dos_date_time.h"
#include "formats/zlib_codec.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

// 2024-03-15 13:45:30: time 30/2 + 45*32 + 13*2048 = 0x6DAF, date 15 + 3*32 + 44*512 = 0x586F.
constexpr LocalDateTime kStamp{2024, 3, 15, 13, 45, 30, 0};
constexpr std::uint32_t kDosStamp = 0x586F6DAF;

const std::string kIniText =
    "username=CORP%5Civanov\r\n"
    "groups=Domain%20Users%2CVPN%20Users\r\n"
    "dname=%D0%98%D0%B2%D0%B0%D0%BD%D0%BE%D0%B2%20%D0%98.%D0%98.\r\n";

std::uint16_t U16At(const std::string& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(offset)) |
                                      static_cast<unsigned char>(bytes.at(offset + 1)) << 8);
}

std::uint32_t U32At(const std::string& bytes, std::size_t offset) {
    return U16At(bytes, offset) | static_cast<std::uint32_t>(U16At(bytes, offset + 2)) << 16;
}

void PutU16(std::string& bytes, std::size_t offset, std::uint16_t value) {
    bytes.at(offset) = static_cast<char>(value & 0xFF);
    bytes.at(offset + 1) = static_cast<char>(value >> 8);
}

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    PutU16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

// zlib as the independent oracle: CRC-32 and raw inflate (negative window bits: no wrapper).
std::uint32_t ZlibCrc(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string RawInflate(const std::string& raw, std::size_t size) {
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, -15), Z_OK);
    std::string out(size + 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    stream.avail_in = static_cast<uInt>(raw.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return out;
}

// Bytes of every value, repeated with a varying stride so that deflate cannot shrink them much.
std::string BinaryBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (auto& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(state >> 16);
    }
    return bytes;
}

std::string Save(TZipFile& zip) {
    MemoryStream stream;
    zip.SaveToStream(stream);
    return stream.Bytes();
}

class ZipFileTest : public ::testing::Test {
protected:
    // The worker's archive: one entry "dta" with attributes 0.
    TZipFile WorkerArchive(const std::string& data) const {
        TZipFile zip(clock_);
        zip.AddFile("dta", 0);
        zip.SetUncompressed(0, data);
        return zip;
    }

    FixedLocalClock clock_{kStamp};
};

TEST_F(ZipFileTest, AddFileAppendsEmptyEntries) {
    TZipFile zip(clock_);
    EXPECT_EQ(zip.GetCount(), 0);
    zip.AddFile("dta", 0);
    zip.AddFile("second.txt", 0x20);
    ASSERT_EQ(zip.GetCount(), 2);
    EXPECT_EQ(zip.GetName(0), "dta");
    EXPECT_EQ(zip.GetName(1), "second.txt");

    const TLocalFile& local = zip.GetFiles()[1];
    EXPECT_EQ(local.LocalFileHeaderSignature, 0x04034B50u);
    EXPECT_EQ(local.CommonFileHeader.VersionNeededToExtract, 20);
    EXPECT_EQ(local.CommonFileHeader.CompressionMethod, 8);
    EXPECT_EQ(local.CommonFileHeader.LastModFileTimeDate, kDosStamp);
    EXPECT_EQ(local.CommonFileHeader.FilenameLength, 10);
    EXPECT_EQ(local.CommonFileHeader.CompressedSize, 0u);
    EXPECT_TRUE(local.CompressedData.empty());

    const TFileHeader& central = zip.GetCentralDirectory()[1];
    EXPECT_EQ(central.CentralFileHeaderSignature, 0x02014B50u);
    EXPECT_EQ(central.VersionMadeBy, 20);
    EXPECT_EQ(central.CommonFileHeader, local.CommonFileHeader);
    EXPECT_EQ(central.ExternalFileAttributes, 0x20u);
    EXPECT_EQ(central.filename, "second.txt");

    // The attributes given to AddFile outlive a data change.
    zip.SetUncompressed(1, "text");
    EXPECT_EQ(zip.GetCentralDirectory()[1].ExternalFileAttributes, 0x20u);
    EXPECT_EQ(zip.GetEndOfCentralDirectory().EndOfCentralDirSignature, 0u);
}

TEST_F(ZipFileTest, EmptyDataStoresAnEmptyFinalBlock) {
    TZipFile zip = WorkerArchive("");
    const TLocalFile& local = zip.GetFiles()[0];
    EXPECT_EQ(local.CompressedData, std::string("\x03\x00", 2));
    EXPECT_EQ(local.CommonFileHeader.CompressedSize, 2u);
    EXPECT_EQ(local.CommonFileHeader.UncompressedSize, 0u);
    EXPECT_EQ(local.CommonFileHeader.Crc32, 0u);
    EXPECT_EQ(zip.GetUncompressed(0), "");
}

TEST_F(ZipFileTest, WorkerArchiveHasTheExpectedLayout) {
    TZipFile zip = WorkerArchive(kIniText);
    const std::string bytes = Save(zip);
    const std::string& data = zip.GetFiles()[0].CompressedData;
    const std::size_t c = data.size();
    ASSERT_GT(c, 0u);
    ASSERT_EQ(bytes.size(), 104 + c);

    // The stored data is the raw deflate stream of the text.
    EXPECT_EQ(RawInflate(data, kIniText.size()), kIniText);

    // Local header.
    EXPECT_EQ(bytes.substr(0, 4), "PK\x03\x04");
    EXPECT_EQ(U16At(bytes, 4), 20);       // version needed
    EXPECT_EQ(U16At(bytes, 6), 0);        // flags
    EXPECT_EQ(U16At(bytes, 8), 8);        // deflate
    EXPECT_EQ(U16At(bytes, 10), 0x6DAF);  // time first
    EXPECT_EQ(U16At(bytes, 12), 0x586F);  // then date
    EXPECT_EQ(U32At(bytes, 14), ZlibCrc(kIniText));
    EXPECT_EQ(U32At(bytes, 18), c);
    EXPECT_EQ(U32At(bytes, 22), kIniText.size());
    EXPECT_EQ(U16At(bytes, 26), 3);
    EXPECT_EQ(U16At(bytes, 28), 0);
    EXPECT_EQ(bytes.substr(30, 3), "dta");
    EXPECT_EQ(bytes.substr(33, c), data);

    // Central header: the common part is a copy of the local one.
    const std::size_t central = 33 + c;
    EXPECT_EQ(bytes.substr(central, 4), "PK\x01\x02");
    EXPECT_EQ(U16At(bytes, central + 4), 20);  // made by
    EXPECT_EQ(bytes.substr(central + 6, 26), bytes.substr(4, 26));
    EXPECT_EQ(U16At(bytes, central + 32), 0);   // comment length
    EXPECT_EQ(U16At(bytes, central + 34), 0);   // disk
    EXPECT_EQ(U16At(bytes, central + 36), 0);   // internal attributes
    EXPECT_EQ(U32At(bytes, central + 38), 0u);  // external attributes
    EXPECT_EQ(U32At(bytes, central + 42), 0u);  // local header offset
    EXPECT_EQ(bytes.substr(central + 46, 3), "dta");

    // End record.
    const std::size_t end = central + 49;
    EXPECT_EQ(bytes.substr(end, 4), "PK\x05\x06");
    EXPECT_EQ(U16At(bytes, end + 4), 0);
    EXPECT_EQ(U16At(bytes, end + 6), 0);
    EXPECT_EQ(U16At(bytes, end + 8), 1);
    EXPECT_EQ(U16At(bytes, end + 10), 1);
    EXPECT_EQ(U32At(bytes, end + 12), 49u);
    EXPECT_EQ(U32At(bytes, end + 16), 33 + c);
    EXPECT_EQ(U16At(bytes, end + 20), 0);
}

TEST_F(ZipFileTest, EntriesRoundTripThroughAStream) {
    struct Entry {
        std::string name;
        std::string data;
    };
    const std::vector<Entry> entries = {
        {"dta", kIniText},
        {"empty", ""},
        {"folder/binary.bin", BinaryBytes(3000)},
        // Larger than the first output step of inflate, so the output has to grow.
        {"big.txt", std::string(200000, 'x') + BinaryBytes(100000)},
    };
    TZipFile zip(clock_);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        zip.AddFile(entries[i].name, static_cast<std::uint32_t>(i));
        zip.SetUncompressed(static_cast<int>(i), entries[i].data);
    }
    MemoryStream stream(Save(zip));

    TZipFile loaded;
    loaded.LoadFromStream(stream);
    ASSERT_EQ(loaded.GetCount(), static_cast<int>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].name);
        const int index = static_cast<int>(i);
        EXPECT_EQ(loaded.GetName(index), entries[i].name);
        EXPECT_EQ(loaded.GetUncompressed(index), entries[i].data);
        EXPECT_EQ(loaded.GetDateTime(index), kStamp);
        EXPECT_EQ(loaded.GetCentralDirectory()[i].ExternalFileAttributes, i);
    }
    EXPECT_EQ(loaded.GetEndOfCentralDirectory().TotalNumberOfEntries, entries.size());
    EXPECT_EQ(Save(loaded), stream.Bytes());
}

TEST_F(ZipFileTest, FilesRoundTripAndFileErrorsComeFromTheFileLayer) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("vq-zip-file-test-" + std::to_string(std::random_device{}()) + ".zip");
    TZipFile zip = WorkerArchive(kIniText);
    zip.SaveToFile(file);
    TZipFile loaded;
    loaded.LoadFromFile(file);
    std::filesystem::remove(file);
    ASSERT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(loaded.GetUncompressed(0), kIniText);
    EXPECT_THROW(loaded.LoadFromFile(file), EFOpenError);
    EXPECT_THROW(zip.SaveToFile(file / "no such folder" / "x.zip"), EFCreateError);
}

TEST_F(ZipFileTest, SavingTwiceGivesTheSameBytes) {
    TZipFile zip = WorkerArchive(kIniText);
    zip.AddFile("second", 0);
    const std::string first = Save(zip);
    EXPECT_EQ(Save(zip), first);
}

TEST_F(ZipFileTest, WritingAtAnOffsetShiftsEveryStoredOffset) {
    TZipFile zip = WorkerArchive(kIniText);
    zip.AddFile("second", 0);
    zip.SetUncompressed(1, "more text");
    const std::string at_zero = Save(zip);
    const std::uint32_t second_local = zip.GetCentralDirectory()[1].RelativeOffsetOfLocalHeader;
    const std::uint32_t central = zip.GetEndOfCentralDirectory().OffsetOfStartOfCentralDirectory;
    ASSERT_GT(second_local, 0u);

    const std::string prefix = "preamble bytes";  // 14: not a multiple of 4
    MemoryStream stream(prefix);
    stream.SetPosition(prefix.size());
    zip.SaveToStream(stream);

    // The same archive with the three offsets moved by the prefix length.
    std::string expected = at_zero;
    const std::size_t second_central = central + 46 + 3;
    const std::size_t end = second_central + 46 + 6;
    PutU32(expected, central + 42, static_cast<std::uint32_t>(prefix.size()));
    PutU32(expected, second_central + 42, second_local + static_cast<std::uint32_t>(prefix.size()));
    PutU32(expected, end + 16, central + static_cast<std::uint32_t>(prefix.size()));
    EXPECT_EQ(stream.Bytes(), prefix + expected);

    TZipFile loaded;
    stream.SetPosition(prefix.size());
    loaded.LoadFromStream(stream);
    ASSERT_EQ(loaded.GetCount(), 2);
    EXPECT_EQ(loaded.GetUncompressed(1), "more text");
}

TEST_F(ZipFileTest, SetDateTimeChangesTheLocalHeaderOnly) {
    TZipFile zip = WorkerArchive(kIniText);
    const LocalDateTime other{2001, 12, 31, 23, 59, 58, 0};
    zip.SetDateTime(0, other);
    EXPECT_EQ(zip.GetDateTime(0), other);

    std::string bytes = Save(zip);
    const std::size_t central = 33 + zip.GetFiles()[0].CompressedData.size();
    EXPECT_EQ(U32At(bytes, 10), DateTimeToDosDateTime(other));
    EXPECT_EQ(U32At(bytes, central + 12), kDosStamp);

    // The next data change stamps both records with the current time again.
    zip.SetUncompressed(0, kIniText);
    bytes = Save(zip);
    EXPECT_EQ(U32At(bytes, 10), kDosStamp);
    EXPECT_EQ(U32At(bytes, central + 12), kDosStamp);
}

TEST_F(ZipFileTest, UnrepresentableDateIsStoredAsZeroAndCannotBeRead) {
    const FixedLocalClock before_1980({1979, 12, 31, 23, 59, 59, 0});
    TZipFile zip(before_1980);
    zip.AddFile("dta", 0);
    EXPECT_EQ(zip.GetFiles()[0].CommonFileHeader.LastModFileTimeDate, 0u);
    EXPECT_THAT([&] { zip.GetDateTime(0); },
                test::ThrowsWithMessage<EConvertError>("Invalid argument to date encode"));
}

TEST_F(ZipFileTest, SetNameReachesTheCentralRecordAtTheNextDataChange) {
    TZipFile zip = WorkerArchive(kIniText);
    zip.SetName(0, "renamed.txt");
    EXPECT_EQ(zip.GetName(0), "renamed.txt");
    EXPECT_EQ(zip.GetFiles()[0].CommonFileHeader.FilenameLength, 11);
    EXPECT_EQ(zip.GetCentralDirectory()[0].filename, "dta");
    EXPECT_EQ(zip.GetCentralDirectory()[0].CommonFileHeader.FilenameLength, 3);

    zip.SetUncompressed(0, kIniText);
    EXPECT_EQ(zip.GetCentralDirectory()[0].filename, "renamed.txt");
    EXPECT_EQ(zip.GetCentralDirectory()[0].CommonFileHeader.FilenameLength, 11);
}

TEST_F(ZipFileTest, CorruptedDataRaisesTheDecompressionOrTheCrcError) {
    const std::string text = kIniText + kIniText + "some more text to make a longer stream\r\n";
    TZipFile original = WorkerArchive(text);
    const std::string archive = Save(original);
    const std::size_t c = U32At(archive, 18);
    for (const std::size_t position : {std::size_t{0}, c / 3, c / 2, 2 * c / 3}) {
        SCOPED_TRACE("data byte " + std::to_string(position));
        std::string damaged = archive;
        damaged[33 + position] = static_cast<char>(damaged[33 + position] ^ 0x5A);
        MemoryStream stream(damaged);
        TZipFile zip;
        zip.LoadFromStream(stream);
        try {
            zip.GetUncompressed(0);
            ADD_FAILURE() << "no exception";
        } catch (const EDecompressionError& e) {
            EXPECT_NE(std::string(e.what()).find("Decompression error"), std::string::npos);
        } catch (const EZipFileCRCError& e) {
            EXPECT_STREQ(e.what(), "CRC Error in \"dta\".");
        }
    }
}

TEST_F(ZipFileTest, BadIndexRaisesIndexOutOfRange) {
    TZipFile zip = WorkerArchive(kIniText);
    const std::vector<std::pair<const char*, std::function<void(int)>>> operations = {
        {"SetUncompressed", [&](int i) { zip.SetUncompressed(i, "x"); }},
        {"GetUncompressed", [&](int i) { zip.GetUncompressed(i); }},
        {"GetDateTime", [&](int i) { zip.GetDateTime(i); }},
        {"SetDateTime", [&](int i) { zip.SetDateTime(i, kStamp); }},
        {"GetName", [&](int i) { zip.GetName(i); }},
        {"SetName", [&](int i) { zip.SetName(i, "x"); }},
    };
    for (const auto& [name, operation] : operations) {
        for (const int index : {-1, 1}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(index));
            EXPECT_THAT([&] { operation(index); },
                        test::ThrowsWithMessage<Exception>("Index out of range."));
        }
    }
    EXPECT_EQ(zip.GetCount(), 1);
    EXPECT_EQ(zip.GetUncompressed(0), kIniText);
}

// Loading: where the first local record is found, and what a cut-short archive does.
static_assert(std::is_base_of_v<EReadError, EZipFileTruncatedError>,
              "callers that catch stream read errors also catch a truncated archive");

class ZipFileLoadTest : public ZipFileTest {
protected:
    // The worker's archive with the comment "note" appended.
    std::string ArchiveWithComment() const {
        TZipFile zip = WorkerArchive(kIniText);
        std::string bytes = Save(zip);
        PutU16(bytes, bytes.size() - 2, 4);
        return bytes + "note";
    }

    // An archive that already holds an entry, to see whether loading changed it.
    TZipFile Previous() const {
        TZipFile zip(clock_);
        zip.AddFile("old", 7);
        zip.SetUncompressed(0, "previous");
        return zip;
    }

    static void ExpectPrevious(const TZipFile& zip) {
        ASSERT_EQ(zip.GetCount(), 1);
        EXPECT_EQ(zip.GetName(0), "old");
        EXPECT_EQ(zip.GetUncompressed(0), "previous");
        EXPECT_EQ(zip.GetCentralDirectory()[0].ExternalFileAttributes, 7u);
        EXPECT_EQ(zip.GetEndOfCentralDirectory().EndOfCentralDirSignature, 0u);
        EXPECT_EQ(zip.GetZipFileComment(), "");
    }
};

TEST_F(ZipFileLoadTest, SkipsForwardFourBytesAtATimeToTheFirstLocalRecord) {
    const std::string archive = ArchiveWithComment();
    struct Case {
        const char* name;
        std::string bytes;
        bool found;
    };
    const std::vector<Case> cases = {
        {"archive at the start", archive, true},
        {"eight bytes before it", "12345678" + archive, true},
        {"three bytes before it: never aligned", "123" + archive, false},
        {"no archive", "just some bytes, no signature", false},
        {"empty stream", "", false},
        {"a lone signature", "PK\x03\x04", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TZipFile zip = Previous();
        MemoryStream stream(c.bytes);
        zip.LoadFromStream(stream);
        if (c.found) {
            ASSERT_EQ(zip.GetCount(), 1);
            EXPECT_EQ(zip.GetName(0), "dta");
            EXPECT_EQ(zip.GetUncompressed(0), kIniText);
            EXPECT_EQ(zip.GetCentralDirectory()[0].ExternalFileAttributes, 0u);
            EXPECT_EQ(zip.GetZipFileComment(), "note");
            EXPECT_EQ(stream.Position(), stream.Size());
        } else {
            ExpectPrevious(zip);
        }
    }
}

TEST_F(ZipFileLoadTest, EntriesAreOverwrittenFromIndexZero) {
    TZipFile zip(clock_);
    for (const char* name : {"a", "b", "c"}) zip.AddFile(name, 0);
    MemoryStream stream(ArchiveWithComment());
    zip.LoadFromStream(stream);
    ASSERT_EQ(zip.GetCount(), 1);
    ASSERT_EQ(zip.GetCentralDirectory().size(), 1u);
    EXPECT_EQ(zip.GetName(0), "dta");
}

TEST_F(ZipFileLoadTest, CutsAtRecordBoundariesLoadAndOthersRaiseWithoutChangingAnything) {
    const std::string archive = ArchiveWithComment();
    const std::size_t c = U32At(archive, 18);
    const std::size_t central = 33 + c;
    const std::size_t end = central + 49;
    enum Outcome { kUnchanged, kLoads, kTruncated };
    struct Case {
        const char* name;
        std::size_t length;
        Outcome outcome;
    };
    const std::vector<Case> cases = {
        {"inside the first signature", 2, kUnchanged},
        {"inside the local header", 10, kTruncated},
        {"inside the name", 31, kTruncated},
        {"inside the compressed data", 33 + c / 2, kTruncated},
        {"after the local records", central, kLoads},
        {"inside the next signature", central + 2, kLoads},
        {"inside the central header", central + 20, kTruncated},
        {"inside the central name", central + 47, kTruncated},
        {"after the central directory", end, kLoads},
        {"inside the end record", end + 10, kTruncated},
        {"inside the comment", end + 24, kTruncated},
        {"whole archive", archive.size(), kLoads},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TZipFile zip = Previous();
        MemoryStream stream(archive.substr(0, row.length));
        if (row.outcome == kTruncated) {
            EXPECT_THAT([&] { zip.LoadFromStream(stream); },
                        test::ThrowsWithMessage<EZipFileTruncatedError>(
                            testing::HasSubstr("ZIP archive is truncated")));
            ExpectPrevious(zip);
            continue;
        }
        zip.LoadFromStream(stream);
        if (row.outcome == kUnchanged) {
            ExpectPrevious(zip);
            continue;
        }
        ASSERT_EQ(zip.GetCount(), 1);
        EXPECT_EQ(zip.GetUncompressed(0), kIniText);
        const bool has_central = row.length >= end;
        const bool has_end = row.length == archive.size();
        // Records that were not in the stream keep what they held.
        EXPECT_EQ(zip.GetCentralDirectory()[0].filename, has_central ? "dta" : "old");
        EXPECT_EQ(zip.GetEndOfCentralDirectory().EndOfCentralDirSignature,
                  has_end ? 0x06054B50u : 0u);
        EXPECT_EQ(zip.GetZipFileComment(), has_end ? "note" : "");
    }

    // Every other cut either loads or raises the truncation error, and never reads past the end.
    for (std::size_t length = 0; length <= archive.size(); ++length) {
        SCOPED_TRACE("cut at " + std::to_string(length));
        TZipFile zip = Previous();
        MemoryStream stream(archive.substr(0, length));
        try {
            zip.LoadFromStream(stream);
            EXPECT_TRUE(zip.GetName(0) == "old" || zip.GetUncompressed(0) == kIniText);
        } catch (const EZipFileTruncatedError&) {
            ExpectPrevious(zip);
        }
    }
}

TEST_F(ZipFileLoadTest, ForgedLengthsBeyondTheStreamRaiseInsteadOfAllocating) {
    const std::string archive = ArchiveWithComment();
    const std::size_t central = 33 + U32At(archive, 18);
    const std::size_t end = central + 49;
    struct Case {
        const char* name;
        std::size_t offset;
        bool wide;
        std::uint32_t value;
    };
    const std::vector<Case> cases = {
        {"local CompressedSize", 18, true, 0xFFFFFFF0u},
        {"local FilenameLength", 26, false, 0xFFFF},
        {"local ExtraFieldLength", 28, false, 0xFFFF},
        {"central FilenameLength", central + 28, false, 0xFFFF},
        {"central FileCommentLength", central + 32, false, 0xFFFF},
        {"end ZipfileCommentLength", end + 20, false, 0xFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string forged = archive;
        if (c.wide)
            PutU32(forged, c.offset, c.value);
        else
            PutU16(forged, c.offset, static_cast<std::uint16_t>(c.value));
        TZipFile zip = Previous();
        MemoryStream stream(forged);
        // Raised before anything is allocated for the forged length, so not the plain
        // "Stream read error" of a read that came up short.
        EXPECT_THROW(zip.LoadFromStream(stream), EZipFileTruncatedError);
        ExpectPrevious(zip);
    }
}

TEST_F(ZipFileTest, ForgedUncompressedSizeGivesTheShortResultRule) {
    TZipFile original = WorkerArchive(kIniText);
    const std::string archive = Save(original);
    const auto n = static_cast<std::uint32_t>(kIniText.size());
    struct Case {
        const char* name;
        std::uint32_t uncompressed_size;
        std::uint32_t crc;
        bool crc_error;
    };
    const std::vector<Case> cases = {
        {"4 GiB", 0xFFFFFFFFu, ZlibCrc(kIniText), true},
        {"one byte more", n + 1, ZlibCrc(kIniText), true},
        {"one byte less", n - 1, ZlibCrc(kIniText), true},
        // Short output becomes the empty result, whose CRC is 0.
        {"more than there is, CRC of nothing", n + 1, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string forged = archive;
        PutU32(forged, 22, c.uncompressed_size);
        PutU32(forged, 14, c.crc);
        MemoryStream stream(forged);
        TZipFile zip;
        zip.LoadFromStream(stream);
        if (c.crc_error) {
            EXPECT_THROW(zip.GetUncompressed(0), EZipFileCRCError);
        } else {
            EXPECT_EQ(zip.GetUncompressed(0), "");
        }
    }
}

TEST(ZlibDecompress, OutputGrowsWithWhatInflateProducesNotWithTheLimit) {
    const std::string text = std::string(100000, 'a') + kIniText;
    const std::string compressed = ZlibCompress(text);
    const std::string inflated = ZlibDecompress(compressed, 0xFFFFFFFFu);
    EXPECT_EQ(inflated, text);
    EXPECT_LT(inflated.capacity(), 4 * text.size());
    // The limit cuts the output short, and the stream need not be complete.
    EXPECT_EQ(ZlibDecompress(compressed, 10), text.substr(0, 10));
    EXPECT_EQ(ZlibDecompress(compressed.substr(0, compressed.size() - 4), text.size()), text);
    EXPECT_THROW(ZlibDecompress("\x78\x9C\xFF\xFF\xFF", 10), EDecompressionError);
}

}  // namespace
}  // namespace vq
