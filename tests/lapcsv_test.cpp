// lapcsv run as a program on a generated session: its files must hold the
// very bytes the window's commands write for the same choice.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/csvfile.h"
#include "export/overlay.h"
#include "export/rawlog.h"
#include "laplist/lapfiles.h"
#include "laplist/laplistwalk.h"
#include "tests/exportkit.h"
#include "tests/testutil.h"
#include "tools/sessiongen.h"

namespace {

const std::string kLapcsv = LAPCSV_PATH;

class LapcsvTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp = prefix.Path() + "drive_c/ProgramData/Laprix/temp/";
        SessionOptions options;
        options.Laps = 5;
        options.SamplesPerLap = 120;
        WriteSession(temp, options);
        std::string root = prefix.Path();
        root.pop_back();
        env = {"WINEPREFIX=" + root};
        SetUpLapSlot();
    }
    void TearDown() override { ReleaseLapSlot(); }

    ProgramRun Run(const std::vector<std::string>& args) {
        return RunProgram(kLapcsv, args, out.Path(), env);
    }

    // The window's export of rows top to bottom of the session's lap list.
    std::string WindowOverlay(int top, int bottom) {
        MemoryLapGrid grid;
        std::int32_t rows = 0;
        LoadListMsg(temp, FindLapFileNames(temp), grid, rows);
        grid.Select(top, bottom);
        ScriptedPrompts prompts;
        prompts.SavePath = window / "w.csv";
        prompts.Overwrite = true;
        ButtonCnvClick(temp, grid, prompts);
        return ReadBytes(window / "w.csv");
    }

    ScratchDir prefix, out, window;
    std::string temp;
    std::vector<std::string> env;
};

TEST_F(LapcsvTest, ListPrintsTheLapList) {
    const ProgramRun run = Run({"list"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    MemoryLapGrid grid;
    WriteLapHeadings(grid);
    std::int32_t rows = 0;
    LoadListMsg(temp, FindLapFileNames(temp), grid, rows);
    ASSERT_EQ(rows, 5);
    std::string expected;
    for (int r = 0; r <= rows; ++r)
        expected += grid.Cell(0, r) + '\t' + grid.Cell(1, r) + '\t' + grid.Cell(2, r) + '\t' +
                    grid.Cell(3, r) + '\t' + grid.Cell(4, r) + '\t' + grid.Cell(5, r) + '\n';
    EXPECT_EQ(run.Out, expected);
    EXPECT_EQ(run.Out.substr(0, run.Out.find('\n')),
              "データ番号\t日付\t時刻\tタイム\t最高速 km/h\tキョリ km");
    EXPECT_EQ(Run({"list", "--dir", temp}).Out, expected);
}

TEST_F(LapcsvTest, OverlayEqualsTheWindowCommand) {
    const struct {
        std::vector<std::string> laps;
        int top, bottom;
    } cases[] = {{{}, 1, 5}, {{"--laps", "0003"}, 3, 3}, {{"--laps", "0002-0004"}, 2, 4}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"overlay", "-o", "over", "-f"};
        args.insert(args.end(), c.laps.begin(), c.laps.end());
        const ProgramRun run = Run(args);
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Out + run.Err, "");
        const std::string bytes = ReadBytes(out / "over.csv");
        EXPECT_EQ(bytes, WindowOverlay(c.top, c.bottom)) << c.top;
        const auto rows = CsvRows(bytes);
        EXPECT_EQ(rows.size(), 1u + 120 * (c.bottom - c.top + 1) + 10);
        EXPECT_EQ(bytes.substr(0, 33), "Time,LapTm,X,Y,Spd,XG,YG,DistKm\r\n");
    }
    EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"over.csv"});
}

TEST_F(LapcsvTest, FilesInTheGivenOrder) {
    const ProgramRun run =
        Run({"files", "-o", "picked.txt", temp + "Temp0004.dtb", temp + "Temp0002.dtb"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    ScriptedPrompts prompts;
    prompts.OpenPaths = {temp + "Temp0004.dtb", temp + "Temp0002.dtb"};
    prompts.SavePath = window / "w";
    Button1Click(temp, prompts);
    const std::string bytes = ReadBytes(out / "picked.csv");
    EXPECT_EQ(bytes, ReadBytes(window / "w.csv"));
    const auto rows = CsvRows(bytes);
    ASSERT_EQ(rows.size(), 241u);
    EXPECT_EQ(rows[121][0], '-');  // lap 0002 was driven before lap 0004
    EXPECT_EQ(rows[240][0], '-');
}

TEST_F(LapcsvTest, RawLog) {
    const ProgramRun run = Run({"raw", "-o", "raw", temp + "Temp0001.dtb"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    ScriptedPrompts prompts;
    prompts.OpenPaths = {temp + "Temp0001.dtb"};
    prompts.SavePath = window / "w";
    std::vector<TPosDtRec> posBuf;
    ButtonGoClick(temp, prompts, posBuf);
    const std::string bytes = ReadBytes(out / "raw.csv");
    EXPECT_EQ(bytes, ReadBytes(window / "w.csv"));
    EXPECT_EQ(Cp932ToUtf8(bytes.substr(0, bytes.find("\r\n"))), kRawLogHeader);
    EXPECT_EQ(CsvRows(bytes).size(), 121u);
}

TEST_F(LapcsvTest, ExistingOutputNeedsForce) {
    const std::vector<std::vector<std::string>> commands = {
        {"overlay", "-o", "old.txt"},
        {"files", "-o", "old", temp + "Temp0001.dtb"},
        {"raw", "-o", "old.csv", temp + "Temp0001.dtb"},
    };
    for (const auto& command : commands) {
        WriteBytes(out / "old.csv", "old");
        const ProgramRun kept = Run(command);
        EXPECT_EQ(kept.Status, 1) << command[0];
        EXPECT_EQ(kept.Err, "old.csv は既に存在します。\n");
        EXPECT_EQ(ReadBytes(out / "old.csv"), "old");

        std::vector<std::string> forced = command;
        forced.push_back("-f");
        const ProgramRun replaced = Run(forced);
        EXPECT_EQ(replaced.Status, 0) << replaced.Err;
        EXPECT_EQ(replaced.Out + replaced.Err, "");
        EXPECT_NE(ReadBytes(out / "old.csv"), "old");
        EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"old.csv"});
    }
}

TEST_F(LapcsvTest, ErrorsWriteNothing) {
    ScratchDir unreadable;
    WriteBytes(unreadable / "Temp0001.dtb", ReadBytes(temp + "Temp0001.dtb"));
    const bool canDeny = MakeUnopenableLapFile(unreadable / "Temp0002.dtb");
    WriteBytes(out / "notalap.dtb", std::string(129, '\0'));
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"overlay", "--laps", "0099", "-o", "x"}, "lapcsv: データ番号が見つかりません: 0099\n"},
        {{"overlay", "--laps", "0002-0077", "-o", "x"},
         "lapcsv: データ番号が見つかりません: 0077\n"},
        {{"overlay", "--laps", "0004-0002", "-o", "x"},
         "lapcsv: データ番号 0004 は 0002 より後にあります\n"},
        {{"overlay", "--dir", "nowhere", "-o", "x"},
         "lapcsv: フォルダが見つかりません: nowhere/\n"},
        {{"list", "--dir", "nowhere/"}, "lapcsv: フォルダが見つかりません: nowhere/\n"},
        {{"overlay", "--dir", out.Path(), "-o", "x"}, nullptr},  // no lap files
        {{"overlay", "-o", "gone/x"}, "lapcsv: ファイル名の指定が間違っています\n"},
        {{"raw", "-o", "x", "notalap.dtb"}, "lapcsv: ラップファイルではありません: notalap.dtb\n"},
        {{"overlay", "--dir", unreadable.Path(), "-o", "x"},
         canDeny ? "lapcsv: ファイルへのアクセスが拒否されました\n" : nullptr},
    };
    for (const auto& c : cases) {
        const ProgramRun run = Run(c.args);
        EXPECT_EQ(run.Status, 1) << c.args[0] << ' ' << c.args[2];
        EXPECT_EQ(run.Out, "");
        if (c.message) {
            EXPECT_EQ(run.Err, c.message);
        }
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
        EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"notalap.dtb"});
    }
}

TEST_F(LapcsvTest, DataNumbersIgnoreLetterCase) {
    ScratchDir folder;
    WriteBytes(folder / "Temp0001.dtb", ReadBytes(temp + "Temp0001.dtb"));
    WriteBytes(folder / "Temp00ab.dtb", ReadBytes(temp + "Temp0002.dtb"));
    const ProgramRun run =
        Run({"overlay", "--dir", folder.Path(), "--laps", "0001-00AB", "-o", "x"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(CsvRows(ReadBytes(out / "x.csv")).size(), 1u + 240 + 10);
}

TEST_F(LapcsvTest, UsageHelpAndVersion) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"overlay"},
                                               {"raw", "-o", "x"},
                                               {"list", "--bogus"},
                                               {"paint"},
                                               {"raw", "-o", "x", "a", "b"}}) {
        const ProgramRun run = Run(args);
        EXPECT_EQ(run.Status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(run.Err.find("Usage:"), std::string::npos) << run.Err;
    }
    const ProgramRun help = Run({"--help"});
    EXPECT_EQ(help.Status, 0);
    for (const char* command : {"list", "overlay", "files", "raw"})
        EXPECT_NE(help.Out.find(command), std::string::npos) << command;
    EXPECT_EQ(Run({"overlay", "--help"}).Status, 0);
    const ProgramRun version = Run({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "lapcsv 2.0.0\n");
}

}  // namespace
