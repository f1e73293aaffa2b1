#include <gtest/gtest.h>

#include <filesystem>

#include "lapdata/lapfile.h"
#include "platform/files.h"
#ifndef _WIN32
#include "platform/posix/ioerror.h"
#endif
#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "text/error.h"

namespace {

// All samples of a lap file, or nothing when it is no lap file.
std::optional<std::vector<Sample>> ReadLapFile(const std::string& path) {
    std::vector<Sample> samples;
    if (!ReadLapSamples(path, [&](const Sample& s) { samples.push_back(s); })) return std::nullopt;
    return samples;
}

Sample Numbered(int k) {
    Sample r = MakeSample(41032.5 + k / 86400.0, 35 + k, 139 - k, 10 * k, k, 3 * k);
    r.alt = 100.25L + k;
    r.distKm = k / 1000.0L;
    r.satCount = k - 2;
    return r;
}

void ExpectSame(const Sample& a, const Sample& b) {
    EXPECT_EQ(a.dateTime, b.dateTime);
    EXPECT_EQ(a.elapsed, b.elapsed);
    EXPECT_EQ(a.elapsedSec, b.elapsedSec);
    EXPECT_EQ(a.lat, b.lat);
    EXPECT_EQ(a.lon, b.lon);
    EXPECT_EQ(a.alt, b.alt);
    EXPECT_EQ(a.speed, b.speed);
    EXPECT_EQ(a.heading, b.heading);
    EXPECT_EQ(a.distKm, b.distKm);
    EXPECT_EQ(a.satCount, b.satCount);
}

TEST(ReadLapFile, SizeDecidesWhatIsALapFile) {
    ScratchDir dir;
    const std::string twoRecords = LapBytes({Numbered(0), Numbered(1)});
    const struct {
        std::size_t size;
        std::optional<std::size_t> records;
    } cases[] = {{0, 0},   {127, std::nullopt}, {128, 1}, {129, std::nullopt},
                 {256, 2}, {300, std::nullopt}};
    for (const auto& c : cases) {
        const std::string path = dir / ("Temp" + std::to_string(c.size) + ".dtb");
        WriteBytes(path, std::string(twoRecords + std::string(300, '\0'), 0, c.size));
        const auto records = ReadLapFile(path);
        ASSERT_EQ(records.has_value(), c.records.has_value()) << c.size;
        if (records) {
            EXPECT_EQ(records->size(), *c.records) << c.size;
        }
    }
    EXPECT_FALSE(ReadLapFile(dir / "missing.dtb").has_value());
    std::filesystem::create_directory(dir / "Temp0004.dtb");
    EXPECT_FALSE(ReadLapFile(dir / "Temp0004.dtb").has_value());
}

TEST(ReadLapFile, RecordsComeInFileOrderAcrossReadBuffers) {
    ScratchDir dir;
    std::vector<Sample> written;
    for (int k = 0; k < 1500; ++k)
        written.push_back(Numbered(k));  // several reads
    WriteBytes(dir / "lap.dtb", LapBytes(written));
    const auto read = ReadLapFile(dir / "lap.dtb");
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), written.size());
    for (std::size_t k = 0; k < written.size(); k += 97)
        ExpectSame((*read)[k], written[k]);
    ExpectSame(read->back(), written.back());
}

TEST(ReadLapFile, GapBytesAreNeverRead) {
    ScratchDir dir;
    std::string bytes = LapBytes({Numbered(3)});
    for (std::size_t gap : {26, 42, 58, 74, 90, 106})
        for (std::size_t i = 0; i < 6; ++i)
            bytes[gap + i] = '\xFF';
    bytes[122] = bytes[123] = '\xFF';
    WriteBytes(dir / "lap.dtb", bytes);
    ExpectSame(ReadLapFile(dir / "lap.dtb")->at(0), Numbered(3));
}

TEST(ReadLapFile, FileThatShrinksWhileReadKeepsCompleteRecords) {
    ScratchDir dir;
    const std::string path = dir / "lap.dtb";
    WriteBytes(path, LapBytes({Numbered(0), Numbered(1), Numbered(2)}));
    struct Cutter final : LapFileReader {
        std::string path;
        std::size_t announced = 0;
        std::vector<Sample> got;
        void Start(std::size_t n) override {
            announced = n;
            std::filesystem::resize_file(path, 128 + 60);  // the writer cuts the file
        }
        void Records(const unsigned char* bytes, std::size_t count) override {
            for (std::size_t k = 0; k < count; ++k)
                DecodeSample(bytes + k * kLapRecordSize, got.emplace_back());
        }
    } reader;
    reader.path = path;
    EXPECT_TRUE(ReadLapFile(path, reader));
    EXPECT_EQ(reader.announced, 3u);
    ASSERT_EQ(reader.got.size(), 1u);
    ExpectSame(reader.got[0], Numbered(0));
}

// The message and path of the Error that reading `path` raises, or "" for none.
std::string ReadError(const std::string& path) {
    try {
        ReadLapFile(path);
    } catch (const Error& e) {
        EXPECT_EQ(e.Path(), path);
        return e.Message();
    }
    return "";
}

TEST(ReadLapFile, OpenFailureIsAnError) {
    ScratchDir dir;
    if (!MakeUnopenableLapFile(dir / "Temp0001.dtb")) GTEST_SKIP() << "no unopenable file here";
    EXPECT_EQ(ReadError(dir / "Temp0001.dtb"), "ファイルへのアクセスが拒否されました");
}

TEST(ReadLapFile, OpenFailureWithoutDescriptorsIsAnError) {
    if (!NoMoreFiles::Usable()) GTEST_SKIP() << "descriptor limit not usable in this build";
    ScratchDir dir;
    WriteBytes(dir / "lap.dtb", LapBytes({Numbered(0)}));
    NoMoreFiles limit;
    EXPECT_EQ(ReadError(dir / "lap.dtb"), "オープンしたファイルが多すぎます");
}

#ifndef _WIN32
// errno values; the Windows codes are tested with the Windows seam.
TEST(Error, MessagesOfTheSystemCodesWithoutCollisions) {
    const struct {
        int err;
        const char* message;
    } cases[] = {
        {ENOENT, "ファイルが見つかりません"},
        {ENOTDIR, "ファイル名の指定が間違っています"},
        {EMFILE, "オープンしたファイルが多すぎます"},
        {EACCES, "ファイルへのアクセスが拒否されました"},
        {ENOSPC, "ディスクがいっぱいです"},
        {EIO, "I/O エラー (5)"},  // EIO is 5, yet no access was denied
        {EFBIG, "I/O エラー (27)"},
    };
    for (const auto& c : cases) {
        try {
            platform::posix::ThrowIoError(c.err, "/some/file");
            ADD_FAILURE();
        } catch (const Error& e) {
            EXPECT_EQ(e.Message(), c.message) << c.err;
            EXPECT_EQ(e.SystemCode(), c.err);
            EXPECT_EQ(e.Path(), "/some/file");
        }
    }
    EXPECT_EQ(IoMessage(kIoReadPastEnd), "ファイルの末尾以降を読み込みました");
}

// Names that differ only in letter case are one file on Windows, which finds
// them itself.
TEST(FindIgnoringCase, MatchesAnyLetterCaseAlikeForOneNameAndForMany) {
    ScratchDir dir;
    WriteBytes(dir / "TEMP0001.DTB", "");
    WriteBytes(dir / "temp0002.dtb", "");
    WriteBytes(dir / "Temp0004.dtb", "");
    WriteBytes(dir / "TEMP0004.dtb", "");
    const platform::FolderIndex index(dir.Path());
    const struct {
        const char* wanted;
        const char* found;
    } cases[] = {{"temp0001.dtb", "TEMP0001.DTB"},
                 {"Temp0002.dtb", "temp0002.dtb"},
                 {"temp0003.dtb", "temp0003.dtb"},   // none: the name as asked
                 {"temp0004.dtb", "TEMP0004.dtb"},   // several: the first in byte order
                 {"Temp0004.dtb", "Temp0004.dtb"}};  // as written wins
    for (const auto& c : cases) {
        EXPECT_EQ(platform::FindIgnoringCase(dir.Path(), c.wanted), dir / c.found) << c.wanted;
        EXPECT_EQ(index.Find(c.wanted), dir / c.found) << c.wanted;
        EXPECT_EQ(platform::FindPathIgnoringCase(dir / c.wanted), dir / c.found) << c.wanted;
    }
    EXPECT_EQ(platform::FindIgnoringCase(dir / "nofolder/", "temp0001.dtb"),
              dir / "nofolder/temp0001.dtb");
}

#endif

}  // namespace
