// Archives written by TZipFile are opened by tools we did not write (Info-ZIP unzip, Python's
// zipfile, PHP's ZipArchive as the access server uses it), and an archive written by Python is
// read back by TZipFile.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "formats/byte_stream.h"
#include "formats/zip_file.h"
#include "tests/support/run_command.h"

namespace vq {
namespace {

namespace fs = std::filesystem;
using test::RunCommand;
using test::ShellQuote;

struct Entry {
    std::string name;
    std::string data;
};

struct Archive {
    const char* name;
    std::vector<Entry> entries;
};

const std::string kIniText =
    "username=CORP%5Civanov\r\n"
    "groups=Domain%20Users%2CVPN%20Users%2C"
    "%D0%91%D1%83%D1%85%D0%B3%D0%B0%D0%BB%D1%82%D0%B5%D1%80%D0%B8%D1%8F\r\n"
    "dname=%D0%98%D0%B2%D0%B0%D0%BD%D0%BE%D0%B2%20%D0%98.%D0%98.\r\n";

std::string BinaryBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 2024;
    for (auto& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(state >> 16);
    }
    return bytes;
}

const std::vector<Archive>& Archives() {
    static const std::vector<Archive> archives = {
        {"worker", {{"dta", kIniText}}},
        {"empty-entry", {{"dta", ""}}},
        {"several",
         {{"dta", kIniText},
          {"empty.txt", ""},
          {"folder/notes.txt", std::string(5000, 'n') + kIniText},
          {"binary.bin", BinaryBytes(70000)}}},
    };
    return archives;
}

bool HaveTool(const std::string& tool) {
    return RunCommand("command -v " + tool + " >/dev/null 2>&1").exit_code == 0;
}

class ZipInteropTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vq-zip-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Writes the archive with TZipFile, as the worker does: into a memory stream from position 0.
    fs::path Write(const Archive& archive) const {
        TZipFile zip;
        for (std::size_t i = 0; i < archive.entries.size(); ++i) {
            zip.AddFile(archive.entries[i].name, 0);
            zip.SetUncompressed(static_cast<int>(i), archive.entries[i].data);
        }
        MemoryStream stream;
        zip.SaveToStream(stream);
        const fs::path file = folder_ / (std::string(archive.name) + ".zip");
        WriteFileBytes(file, stream.Bytes());
        return file;
    }

    fs::path folder_;
};

TEST_F(ZipInteropTest, UnzipTestsAndExtractsOurArchives) {
    if (!HaveTool("unzip")) GTEST_SKIP() << "unzip is not installed";
    for (const auto& archive : Archives()) {
        SCOPED_TRACE(archive.name);
        const fs::path file = Write(archive);
        const auto tested = RunCommand("unzip -t " + ShellQuote(file.string()) + " 2>&1");
        EXPECT_EQ(tested.exit_code, 0) << tested.output;
        EXPECT_NE(tested.output.find("No errors detected"), std::string::npos) << tested.output;
        for (const auto& entry : archive.entries) {
            SCOPED_TRACE(entry.name);
            const auto extracted =
                RunCommand("unzip -p " + ShellQuote(file.string()) + " " + ShellQuote(entry.name));
            EXPECT_EQ(extracted.exit_code, 0);
            EXPECT_EQ(extracted.output, entry.data);
        }
    }
}

TEST_F(ZipInteropTest, PythonZipfileTestsAndReadsOurArchives) {
    if (!HaveTool("python3")) GTEST_SKIP() << "python3 is not installed";
    // One run for every archive (starting Python is slow): the arguments are pairs of archive
    // and entry name; exit 3 when testzip() names a bad entry, otherwise each entry's length on
    // a line of its own followed by its bytes.
    const std::string script =
        "import sys, zipfile\n"
        "out = sys.stdout.buffer\n"
        "for path, name in zip(sys.argv[1::2], sys.argv[2::2]):\n"
        "    z = zipfile.ZipFile(path)\n"
        "    if z.testzip() is not None: sys.exit(3)\n"
        "    data = z.read(name)\n"
        "    out.write(b'%d\\n' % len(data) + data)\n";
    std::string arguments;
    std::vector<const Entry*> asked;
    for (const auto& archive : Archives()) {
        const fs::path file = Write(archive);
        for (const auto& entry : archive.entries) {
            arguments += " " + ShellQuote(file.string()) + " " + ShellQuote(entry.name);
            asked.push_back(&entry);
        }
    }
    const auto read = RunCommand("python3 -c " + ShellQuote(script) + arguments);
    ASSERT_EQ(read.exit_code, 0);

    std::size_t at = 0;
    for (const Entry* entry : asked) {
        SCOPED_TRACE(entry->name);
        const std::size_t line_end = read.output.find('\n', at);
        ASSERT_NE(line_end, std::string::npos);
        const std::size_t length = std::stoul(read.output.substr(at, line_end - at));
        EXPECT_EQ(read.output.substr(line_end + 1, length), entry->data);
        at = line_end + 1 + length;
    }
    EXPECT_EQ(at, read.output.size());
}

TEST_F(ZipInteropTest, PhpZipArchiveReadsOurArchives) {
    if (!HaveTool("php") || RunCommand("php -m").output.find("\nzip\n") == std::string::npos)
        GTEST_SKIP() << "php with the zip extension is not installed";
    const std::string script =
        "$z = new ZipArchive();"
        "if ($z->open($argv[1], ZipArchive::CHECKCONS) !== true) exit(2);"
        "$d = $z->getFromName($argv[2]);"
        "if ($d === false) exit(3);"
        "echo $d;";
    for (const auto& archive : Archives()) {
        SCOPED_TRACE(archive.name);
        const fs::path file = Write(archive);
        for (const auto& entry : archive.entries) {
            SCOPED_TRACE(entry.name);
            const auto read = RunCommand("php -r " + ShellQuote(script) + " -- " +
                                         ShellQuote(file.string()) + " " + ShellQuote(entry.name));
            EXPECT_EQ(read.exit_code, 0);
            EXPECT_EQ(read.output, entry.data);
        }
    }
}

TEST_F(ZipInteropTest, WeReadArchivesWrittenByPython) {
    if (!HaveTool("python3")) GTEST_SKIP() << "python3 is not installed";
    const Archive& several = Archives()[2];
    // Python takes each entry's data from a file of its own and stamps every entry alike.
    std::string arguments;
    for (std::size_t i = 0; i < several.entries.size(); ++i) {
        const fs::path data_file = folder_ / ("data" + std::to_string(i));
        WriteFileBytes(data_file, several.entries[i].data);
        arguments +=
            " " + ShellQuote(several.entries[i].name) + " " + ShellQuote(data_file.string());
    }
    const std::string script =
        "import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "    for name, path in zip(sys.argv[2::2], sys.argv[3::2]):\n"
        "        info = zipfile.ZipInfo(name, date_time=(2021, 5, 6, 7, 8, 10))\n"
        "        info.compress_type = zipfile.ZIP_DEFLATED\n"
        "        z.writestr(info, open(path, 'rb').read())\n"
        "    z.comment = b'written by python'\n";
    const fs::path file = folder_ / "python.zip";
    const auto written = RunCommand("python3 -c " + ShellQuote(script) + " " +
                                    ShellQuote(file.string()) + arguments);
    ASSERT_EQ(written.exit_code, 0);

    TZipFile zip;
    zip.LoadFromFile(file);
    ASSERT_EQ(zip.GetCount(), static_cast<int>(several.entries.size()));
    for (std::size_t i = 0; i < several.entries.size(); ++i) {
        SCOPED_TRACE(several.entries[i].name);
        const int index = static_cast<int>(i);
        EXPECT_EQ(zip.GetName(index), several.entries[i].name);
        EXPECT_EQ(zip.GetUncompressed(index), several.entries[i].data);
        EXPECT_EQ(zip.GetDateTime(index), (LocalDateTime{2021, 5, 6, 7, 8, 10, 0}));
    }
    EXPECT_EQ(zip.GetZipFileComment(), "written by python");
    EXPECT_EQ(zip.GetEndOfCentralDirectory().TotalNumberOfEntries, several.entries.size());
}

}  // namespace
}  // namespace vq
