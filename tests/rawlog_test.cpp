#include "export/rawlog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "gui/session.h"
#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "tests/kit/programs.h"
#include "tests/kit/prompts.h"
#include "text/error.h"

namespace {

Sample ExampleRecord() {
    Sample r;
    r.dateTime = At(2012, 5, 3, 14, 7, 9, 300);
    r.elapsed = 75.0 / 86400;
    r.elapsedSec = 75;
    r.lat = 35.1234567L;
    r.lon = 136.7654321L;
    r.alt = 41.2L;
    r.speed = 87.35L;
    r.heading = 91.5L;
    r.distKm = 1.234L;
    r.satCount = 9;
    return r;
}

std::string Line(const Sample& r) {
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
        Sample r = ExampleRecord();
        r.heading = h.heading;
        EXPECT_NE(Line(r).find(",87.35," + std::string(h.compass) + ",1.234,"), std::string::npos)
            << static_cast<double>(h.heading);
    }

    Sample odd = ExampleRecord();
    odd.dateTime = NAN;              // cannot be shown: empty field
    odd.elapsed = 1 + 75.0 / 86400;  // whole days are dropped
    odd.satCount = -3;
    odd.alt = HUGE_VALL;
    EXPECT_EQ(Line(odd), ",00:01:15.000,75.000,35.1234567,136.7654321,INF,87.35,271.50,1.234,-3");
}

// The hidden raw log command, run as a click runs it.
class RawLogTest : public ::testing::Test {
  protected:
    void Click() {
        session.dataFolder = dir.Path();
        ExportRawLogCommand(session, prompts);
    }
    ScratchDir dir, out;
    ScriptedPrompts prompts;
    Session session;
    std::vector<Sample>& buffer = session.rawLog;
};

TEST_F(RawLogTest, ThreeRecordsGiveFourLines) {
    WriteBytes(dir / "Temp0003.dtb", LapBytes({ExampleRecord(), ExampleRecord(), ExampleRecord()}));
    prompts.openPaths = {dir / "Temp0003.dtb"};
    prompts.savePath = out / "out.txt";
    Click();
    EXPECT_EQ(prompts.openFolders, std::vector<std::string>{dir.Path()});
    EXPECT_EQ(prompts.savePresets, std::vector<std::string>{"Temp0003.csv"});
    EXPECT_TRUE(prompts.warnings.empty());
    EXPECT_TRUE(prompts.informations.empty());
    EXPECT_EQ(buffer.size(), 3u);

    const std::string header =
        "\x93\xfa\x8e\x9e,\x8e\x9e\x8a\xd4,\x95\x62,\x88\xdc\x93\x78,\x8c\x6f\x93\x78,"
        "\x95\x57\x8d\x82,"
        "\x91\xac\x93\x78,\x95\xfb\x88\xca,\x8b\x97\x97\xa3,\x89\x71\x90\xaf\x90\x94\r\n";
    const std::string line = Line(ExampleRecord()) + "\r\n";
    EXPECT_EQ(ReadBytes(out / "out.csv"), header + line + line + line);
}

TEST_F(RawLogTest, EmptyAndBrokenFiles) {
    WriteBytes(dir / "Temp0000.dtb", "");
    prompts.openPaths = {dir / "Temp0000.dtb"};
    prompts.savePath = out / "out";
    Click();
    EXPECT_EQ(CsvRows(ReadBytes(out / "out.csv")).size(), 1u);

    // Not a lap file: no save dialog, the buffer keeps what it had.
    buffer = {ExampleRecord()};
    WriteBytes(dir / "Temp0001.dtb", std::string(129, '\0'));
    for (const char* name : {"Temp0001.dtb", "missing.dtb"}) {
        prompts = ScriptedPrompts();
        prompts.openPaths = {dir / name};
        prompts.savePath = out / "other";
        Click();
        EXPECT_TRUE(prompts.savePresets.empty()) << name;
        EXPECT_EQ(buffer.size(), 1u);
    }
    EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"out.csv"});
}

TEST_F(RawLogTest, CancelEmptiesTheBuffer) {
    WriteBytes(dir / "Temp0001.dtb", LapBytes({ExampleRecord()}));
    Click();  // open dialog cancelled
    EXPECT_TRUE(prompts.savePresets.empty());
    prompts.openPaths = {dir / "Temp0001.dtb"};
    prompts.openDialogs = 0;
    Click();  // save dialog cancelled
    EXPECT_EQ(prompts.savePresets.size(), 1u);
    EXPECT_TRUE(buffer.empty());
    EXPECT_TRUE(FolderEntries(out.Path()).empty());
}

TEST_F(RawLogTest, ReadErrorComesBeforeTheSaveDialog) {
    const struct {
        bool noDescriptors;
        int code;
    } ways[] = {{false, kIoAccessDenied}, {true, kIoTooManyOpenFiles}};
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
        prompts.openPaths = {path};
        prompts.savePath = out / "out.csv";
        try {
            std::optional<NoMoreFiles> limit;
            if (way.noDescriptors) limit.emplace();
            Click();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.Message(), IoMessage(way.code));
            EXPECT_EQ(e.Path(), path);
        }
        EXPECT_TRUE(prompts.savePresets.empty());
        EXPECT_TRUE(FolderEntries(out.Path()).empty());
    }
    if (tried == 0) GTEST_SKIP() << "no way to make a lap unreadable here";
}

}  // namespace
