#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "common/csvfile.h"
#include "common/ioerror.h"
#include "tests/testutil.h"

namespace {

std::size_t EntriesIn(const std::string& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

TEST(CsvFile, LinesEndInCrLfAndJapaneseIsShiftJis) {
    ScratchDir dir;
    CsvLines lines;
    lines.Add("日時,時間,秒");
    lines.Add("1.00,2");
    WriteCsvFile(dir / "out.csv", lines);
    // 日 = 93 FA, 時 = 8E 9E, 間 = 8A D4, 秒 = 95 62 in code page 932.
    EXPECT_EQ(ReadBytes(dir / "out.csv"),
              "\x93\xFA\x8E\x9E,\x8E\x9E\x8A\xD4,\x95\x62\r\n"
              "1.00,2\r\n");
    EXPECT_EQ(Cp932ToUtf8(ReadBytes(dir / "out.csv")), lines.text);
}

TEST(CsvFile, CodePage932IsNotPlainShiftJis) {
    // Characters where code page 932 and JIS Shift-JIS disagree.
    EXPECT_EQ(Utf8ToCp932("～"), "\x81\x60");  // FULLWIDTH TILDE
    EXPECT_EQ(Utf8ToCp932("①"), "\x87\x40");
    EXPECT_EQ(Utf8ToCp932("\\~"), "\\~");
}

TEST(CsvFile, UnencodableCharacterIsAnError) {
    ScratchDir dir;
    CsvLines lines;
    lines.Add("ok");
    lines.Add("emoji 😀");
    EXPECT_THROW(WriteCsvFile(dir / "out.csv", lines), std::runtime_error);
    EXPECT_EQ(EntriesIn(dir.Path()), 0u);
}

TEST(CsvFile, ReplacesTheTargetWhole) {
    ScratchDir dir;
    WriteBytes(dir / "out.csv", std::string(1000, 'x'));
    CsvLines lines;
    lines.Add("a");
    WriteCsvFile(dir / "out.csv", lines);
    EXPECT_EQ(ReadBytes(dir / "out.csv"), "a\r\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(CsvFile, MissingFolderIsAnErrorAndWritesNothing) {
    ScratchDir dir;
    CsvLines lines;
    lines.Add("a");
    try {
        WriteCsvFile(dir / "nofolder/out.csv", lines);
        ADD_FAILURE();
    } catch (const InOutError& e) {
        EXPECT_EQ(e.Code(), 3);
    }
    EXPECT_EQ(EntriesIn(dir.Path()), 0u);
}

TEST(CsvFile, WriteFailingMidwayKeepsTheOldTarget) {
    ScratchDir dir;
    WriteBytes(dir / "out.csv", "old\r\n");
    CsvLines lines;
    for (int i = 0; i < 10000; ++i)
        lines.Add("0.000,1.000,2.00,3.00,4.00,5.00,6.00,7.000");
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool failed = false;
    try {
        WriteCsvFile(dir / "out.csv", lines);
    } catch (const InOutError&) {
        failed = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);
    EXPECT_TRUE(failed);
    EXPECT_EQ(ReadBytes(dir / "out.csv"), "old\r\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(CsvFile, ExtensionIsForcedToCsv) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"/a/out", "/a/out.csv"},      {"/a/out.txt", "/a/out.csv"},
                 {"/a/out.csv", "/a/out.csv"},  {"/a.b/out", "/a.b/out.csv"},
                 {"out.tar.gz", "out.tar.csv"}, {"/a/Temp0003.dtb", "/a/Temp0003.csv"}};
    for (const auto& c : cases)
        EXPECT_EQ(ChangeExtToCsv(c.in), c.out);
}

}  // namespace
