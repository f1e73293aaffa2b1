#include "export/rawlog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "common/ioerror.h"
#include "tests/exportkit.h"
#include "tests/testutil.h"

namespace {

TPosDtRec ExampleRecord() {
    TPosDtRec r;
    r.DateTime = At(2012, 5, 3, 14, 7, 9, 300);
    r.Elapsed = 75.0 / 86400;
    r.ElapsedSec = 75;
    r.Lat = 35.1234567L;
    r.Lon = 136.7654321L;
    r.Alt = 41.2L;
    r.Speed = 87.35L;
    r.Heading = 91.5L;
    r.DistKm = 1.234L;
    r.SatCount = 9;
    return r;
}

std::string Line(const TPosDtRec& r) {
    std::string line;
    AppendRawLogLine(line, r);
    return line;
}

TEST(RawLogLine, Fields) {
    EXPECT_EQ(Line(ExampleRecord()),
              "2012/05/03 "
              "14:07:09.300,00:01:15.000,75.000,35.1234567,136.7654321,41.20,87.35,271.50,1.234,9");

    const struct {
        Extended heading;
        const char* compass;
    } headings[] = {
        {180, "0.00"}, {0, "180.00"}, {359.99L, "179.99"}, {90, "270.00"}, {NAN, "NAN"}};
    for (const auto& h : headings) {
        TPosDtRec r = ExampleRecord();
        r.Heading = h.heading;
        EXPECT_NE(Line(r).find(",87.35," + std::string(h.compass) + ",1.234,"), std::string::npos)
            << static_cast<double>(h.heading);
    }

    TPosDtRec odd = ExampleRecord();
    odd.DateTime = NAN;              // cannot be shown: empty field
    odd.Elapsed = 1 + 75.0 / 86400;  // whole days are dropped
    odd.SatCount = -3;
    odd.Alt = HUGE_VALL;
    EXPECT_EQ(Line(odd), ",00:01:15.000,75.000,35.1234567,136.7654321,INF,87.35,271.50,1.234,-3");
}

class RawLogTest : public ::testing::Test {
  protected:
    ScratchDir dir, out;
    ScriptedPrompts prompts;
    std::vector<TPosDtRec> PosBuf;
};

TEST_F(RawLogTest, ThreeRecordsGiveFourLines) {
    WriteBytes(dir / "Temp0003.dtb", LapBytes({ExampleRecord(), ExampleRecord(), ExampleRecord()}));
    prompts.OpenPaths = {dir / "Temp0003.dtb"};
    prompts.SavePath = out / "out.txt";
    ButtonGoClick(dir.Path(), prompts, PosBuf);
    EXPECT_EQ(prompts.OpenFolders, std::vector<std::string>{dir.Path()});
    EXPECT_EQ(prompts.SavePresets, std::vector<std::string>{"Temp0003.csv"});
    EXPECT_TRUE(prompts.Warnings.empty());
    EXPECT_TRUE(prompts.Informations.empty());
    EXPECT_EQ(PosBuf.size(), 3u);

    const std::string header =
        "\x93\xfa\x8e\x9e,\x8e\x9e\x8a\xd4,\x95\x62,\x88\xdc\x93\x78,\x8c\x6f\x93\x78,"
        "\x95\x57\x8d\x82,"
        "\x91\xac\x93\x78,\x95\xfb\x88\xca,\x8b\x97\x97\xa3,\x89\x71\x90\xaf\x90\x94\r\n";
    const std::string line = Line(ExampleRecord()) + "\r\n";
    EXPECT_EQ(ReadBytes(out / "out.csv"), header + line + line + line);
}

TEST_F(RawLogTest, EmptyAndBrokenFiles) {
    WriteBytes(dir / "Temp0000.dtb", "");
    prompts.OpenPaths = {dir / "Temp0000.dtb"};
    prompts.SavePath = out / "out";
    ButtonGoClick(dir.Path(), prompts, PosBuf);
    EXPECT_EQ(CsvRows(ReadBytes(out / "out.csv")).size(), 1u);

    // Not a lap file: no save dialog, the buffer keeps what it had.
    PosBuf = {ExampleRecord()};
    WriteBytes(dir / "Temp0001.dtb", std::string(129, '\0'));
    for (const char* name : {"Temp0001.dtb", "missing.dtb"}) {
        prompts = ScriptedPrompts();
        prompts.OpenPaths = {dir / name};
        prompts.SavePath = out / "other";
        ButtonGoClick(dir.Path(), prompts, PosBuf);
        EXPECT_TRUE(prompts.SavePresets.empty()) << name;
        EXPECT_EQ(PosBuf.size(), 1u);
    }
    EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"out.csv"});
}

TEST_F(RawLogTest, CancelEmptiesTheBuffer) {
    WriteBytes(dir / "Temp0001.dtb", LapBytes({ExampleRecord()}));
    ButtonGoClick(dir.Path(), prompts, PosBuf);  // open dialog cancelled
    EXPECT_TRUE(prompts.SavePresets.empty());
    prompts.OpenPaths = {dir / "Temp0001.dtb"};
    prompts.OpenDialogs = 0;
    ButtonGoClick(dir.Path(), prompts, PosBuf);  // save dialog cancelled
    EXPECT_EQ(prompts.SavePresets.size(), 1u);
    EXPECT_TRUE(PosBuf.empty());
    EXPECT_TRUE(FolderEntries(out.Path()).empty());
}

TEST_F(RawLogTest, ReadErrorComesBeforeTheSaveDialog) {
    const struct {
        bool noDescriptors;
        int code;
    } ways[] = {{false, 5}, {true, 4}};
    int tried = 0;
    for (const auto& way : ways) {
        const std::string path = dir / (way.noDescriptors ? "Temp0001.dtb" : "Temp0002.dtb");
        if (way.noDescriptors) {
            if (!NoMoreFiles::Usable()) continue;
            WriteBytes(path, LapBytes({ExampleRecord()}));
        } else if (!MakeUnopenableLapFile(path)) {
            continue;
        }
        ++tried;
        prompts = ScriptedPrompts();
        prompts.OpenPaths = {path};
        prompts.SavePath = out / "out.csv";
        try {
            std::optional<NoMoreFiles> limit;
            if (way.noDescriptors) limit.emplace();
            ButtonGoClick(dir.Path(), prompts, PosBuf);
            ADD_FAILURE() << "no error";
        } catch (const InOutError& e) {
            EXPECT_EQ(e.Code(), way.code);
        }
        EXPECT_TRUE(prompts.SavePresets.empty());
        EXPECT_TRUE(FolderEntries(out.Path()).empty());
    }
    if (tried == 0) GTEST_SKIP() << "no way to make a lap unreadable here";
}

}  // namespace
