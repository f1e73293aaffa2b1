#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/ioerror.h"
#include "lapdata/lapfile.h"
#include "tests/exportkit.h"
#include "tests/testutil.h"

namespace {

TPosDtRec Numbered(int k) {
    TPosDtRec r = Sample(41032.5 + k / 86400.0, 35 + k, 139 - k, 10 * k, k, 3 * k);
    r.Alt = 100.25L + k;
    r.DistKm = k / 1000.0L;
    r.SatCount = k - 2;
    return r;
}

void ExpectSame(const TPosDtRec& a, const TPosDtRec& b) {
    EXPECT_EQ(a.DateTime, b.DateTime);
    EXPECT_EQ(a.Elapsed, b.Elapsed);
    EXPECT_EQ(a.ElapsedSec, b.ElapsedSec);
    EXPECT_EQ(a.Lat, b.Lat);
    EXPECT_EQ(a.Lon, b.Lon);
    EXPECT_EQ(a.Alt, b.Alt);
    EXPECT_EQ(a.Speed, b.Speed);
    EXPECT_EQ(a.Heading, b.Heading);
    EXPECT_EQ(a.DistKm, b.DistKm);
    EXPECT_EQ(a.SatCount, b.SatCount);
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
    std::vector<TPosDtRec> written;
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
    std::vector<TPosDtRec> got;
    std::size_t announced = 0;
    const auto outcome = ReadLapFile(
        path,
        [&](std::size_t n) {
            announced = n;
            ASSERT_EQ(::truncate(path.c_str(), 128 + 60), 0);  // the writer cuts the file
        },
        [&](const TPosDtRec& r) { got.push_back(r); });
    EXPECT_EQ(outcome, LapFileOutcome::Read);
    EXPECT_EQ(announced, 3u);
    ASSERT_EQ(got.size(), 1u);
    ExpectSame(got[0], Numbered(0));
}

// The message of the InOutError that reading `path` raises, or "" for none.
std::string ReadError(const std::string& path) {
    try {
        ReadLapFile(path);
    } catch (const InOutError& e) {
        return e.what();
    }
    return "";
}

TEST(ReadLapFile, OpenFailureIsAnInOutError) {
    ScratchDir dir;
    if (!MakeUnopenableLapFile(dir / "Temp0001.dtb")) GTEST_SKIP() << "no unopenable file here";
    EXPECT_EQ(ReadError(dir / "Temp0001.dtb"), "ファイルへのアクセスが拒否されました");
}

TEST(ReadLapFile, OpenFailureWithoutDescriptorsIsAnInOutError) {
    if (!NoMoreFiles::Usable()) GTEST_SKIP() << "descriptor limit not usable in this build";
    ScratchDir dir;
    WriteBytes(dir / "lap.dtb", LapBytes({Numbered(0)}));
    NoMoreFiles limit;
    EXPECT_EQ(ReadError(dir / "lap.dtb"), "オープンしたファイルが多すぎます");
}

TEST(InOutError, MessagesOfThePlatformCodes) {
    const struct {
        int err;
        const char* message;
    } cases[] = {
        {ENOENT, "ファイルが見つかりません"},
        {ENOTDIR, "ファイル名の指定が間違っています"},
        {EMFILE, "オープンしたファイルが多すぎます"},
        {EACCES, "ファイルへのアクセスが拒否されました"},
        {ENOSPC, "ディスクがいっぱいです"},
        {EIO, "I/O エラー (5)"},
        {EFBIG, "I/O エラー (27)"},
    };
    for (const auto& c : cases) {
        try {
            ThrowInOutError(c.err);
            ADD_FAILURE();
        } catch (const InOutError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.err;
        }
    }
    EXPECT_EQ(InOutMessage(100), "ファイルの末尾以降を読み込みました");
}

TEST(FindFileIgnoringCase, MatchesAnyLetterCase) {
    ScratchDir dir;
    WriteBytes(dir / "TEMP0001.DTB", "");
    WriteBytes(dir / "temp0002.dtb", "");
    EXPECT_EQ(FindFileIgnoringCase(dir.Path(), "temp0001.dtb"), dir / "TEMP0001.DTB");
    EXPECT_EQ(FindFileIgnoringCase(dir.Path(), "Temp0002.dtb"), dir / "temp0002.dtb");
    EXPECT_EQ(FindFileIgnoringCase(dir.Path(), "temp0003.dtb"), dir / "temp0003.dtb");
    EXPECT_EQ(FindFileIgnoringCase(dir / "nofolder/", "temp0001.dtb"),
              dir / "nofolder/temp0001.dtb");
}

}  // namespace
