// lapcsv run as a program on a generated session: its commands, options,
// messages and exit codes. The bytes it writes are pinned by the expected
// files test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "export/rawlog.h"
#include "tests/kit/files.h"
#include "tests/kit/programs.h"
#include "tools/sessiongen.h"

namespace {

const std::string kLapcsv = LAPCSV_PATH;

class LapcsvTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp = prefix.Path() + "drive_c/ProgramData/Laprix/temp/";
        SessionOptions options;
        options.laps = 5;
        options.samplesPerLap = 120;
        WriteSession(temp, options);
        std::string root = prefix.Path();
        root.pop_back();
        env = {"WINEPREFIX=" + root};
    }

    ProgramRun Run(const std::vector<std::string>& args) {
        return RunProgram(kLapcsv, args, out.Path(), env);
    }

    ScratchDir prefix, out;
    std::string temp;
    std::vector<std::string> env;
};

TEST_F(LapcsvTest, ListPrintsTheLapList) {
    const ProgramRun run = Run({"list"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // Found where version 2.0.0 looks: the headings and one line per lap.
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "データ番号\t日付\t時刻\tタイム\t最高速 km/h\tキョリ km");
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 6);
    EXPECT_EQ(run.out.substr(run.out.find('\n') + 1, 5), "0001\t");
    EXPECT_EQ(Run({"list", "--dir", temp}).out, run.out);
}

TEST_F(LapcsvTest, OverlayOfAllOrSomeLaps) {
    const struct {
        std::vector<std::string> laps;
        std::size_t laps_;
    } cases[] = {{{}, 5},
                 {{"--laps", "0003"}, 1},
                 {{"--laps", "0002-0004"}, 3},
                 {{"--laps", "3"}, 1},  // a number stands for the data number of its value
                 {{"--laps", "2-4"}, 3}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"overlay", "-o", "over", "-f"};
        args.insert(args.end(), c.laps.begin(), c.laps.end());
        const ProgramRun run = Run(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out + run.err, "");
        const std::string bytes = ReadBytes(out / "over.csv");
        const auto rows = CsvRows(bytes);
        EXPECT_EQ(rows.size(), 1u + 120 * c.laps_ + 10);
        EXPECT_EQ(bytes.substr(0, 33), "Time,LapTm,X,Y,Spd,XG,YG,DistKm\r\n");
        EXPECT_EQ(rows.at(1).substr(0, 12), "0.000,0.000,");
    }
    EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"over.csv"});
}

TEST_F(LapcsvTest, FilesInTheGivenOrderWarningOfThoseLeftOut) {
    WriteBytes(out / "notalap.dtb", std::string(129, '\0'));
    const ProgramRun run = Run(
        {"files", "-o", "picked.txt", temp + "Temp0004.dtb", "notalap.dtb", temp + "TEMP0002.DTB"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "lapcsv: notalap.dtb: ラップを読み込めなかったため、飛ばしました\n");
    const auto rows = CsvRows(ReadBytes(out / "picked.csv"));
    ASSERT_EQ(rows.size(), 241u);
    EXPECT_EQ(rows[1].substr(0, 6), "0.000,");
    EXPECT_EQ(rows[121][0], '-');  // lap 0002 was driven before lap 0004
    EXPECT_EQ(rows[240][0], '-');

    const ProgramRun none = Run({"files", "-o", "none", "notalap.dtb", "missing.dtb"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err,
              "lapcsv: ラップを 1 つも読み込めませんでした。何も出力していません: notalap.dtb, "
              "missing.dtb\n");
    EXPECT_EQ(FolderEntries(out.Path()), (std::vector<std::string>{"notalap.dtb", "picked.csv"}));
}

TEST_F(LapcsvTest, RawLogFindsTheFileWhateverItsLetterCase) {
    const ProgramRun run = Run({"raw", "-o", "raw", temp + "TEMP0001.DTB"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string bytes = ReadBytes(out / "raw.csv");
    const ProgramRun header =
        RunProgram("/usr/bin/iconv", {"-f", "CP932", "-t", "UTF-8", "raw.csv"}, out.Path());
    EXPECT_EQ(header.out.substr(0, header.out.find("\r\n")), kRawLogHeader);
    EXPECT_EQ(CsvRows(bytes).size(), 121u);
}

// The racing line and GPX of chosen laps, read back by real readers.
TEST_F(LapcsvTest, MapAndGpxOfChosenLaps) {
    for (const char* tool : {"xmllint", "gpsbabel"})
        if (RunProgram("/usr/bin/which", {tool}, out.Path()).status != 0)
            GTEST_SKIP() << tool << " is not installed";
    const ProgramRun map = Run({"map", "--laps", "2-3", "-o", "line.txt"});
    ASSERT_EQ(map.status, 0) << map.err;
    EXPECT_EQ(RunProgram("/usr/bin/xmllint", {"--noout", "line.svg"}, out.Path()).status, 0);
    EXPECT_NE(ReadBytes(out / "line.svg").find("0003"), std::string::npos);

    const ProgramRun gpx = Run({"gpx", "--laps", "0001", "-o", "laps", "--utc-offset", "+09:00"});
    ASSERT_EQ(gpx.status, 0) << gpx.err;
    const ProgramRun back = RunProgram(
        "/usr/bin/gpsbabel", {"-t", "-i", "gpx", "-f", "laps.gpx", "-o", "unicsv,utc=0", "-F", "-"},
        out.Path());
    ASSERT_EQ(back.status, 0) << back.err;
    // A header and one line per sample; the session starts at 12:00 local.
    EXPECT_EQ(std::count(back.out.begin(), back.out.end(), '\n'), 121);
    EXPECT_NE(back.out.find("2012/05/03,03:00:00"), std::string::npos) << back.out.substr(0, 300);

    const ProgramRun bad = Run({"gpx", "-o", "x", "--utc-offset", "nine"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "lapcsv: UTC との時差が読めません: nine\n");
    EXPECT_EQ(FolderEntries(out.Path()), (std::vector<std::string>{"laps.gpx", "line.svg"}));
}

TEST_F(LapcsvTest, ExistingOutputNeedsForce) {
    const struct {
        std::vector<std::string> command;
        std::string target;
    } cases[] = {
        {{"overlay", "-o", "old.txt"}, "old.csv"},
        {{"files", "-o", "old", temp + "Temp0001.dtb"}, "old.csv"},
        {{"raw", "-o", "old.csv", temp + "Temp0001.dtb"}, "old.csv"},
        {{"map", "-o", "old.txt"}, "old.svg"},
        {{"gpx", "-o", "old"}, "old.gpx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command[0]);
        std::filesystem::remove_all(out.Path());
        std::filesystem::create_directories(out.Path());
        WriteBytes(out / c.target, "old");
        const ProgramRun kept = Run(c.command);
        EXPECT_EQ(kept.status, 1);
        EXPECT_EQ(kept.err, "lapcsv: " + c.target + " は既に存在します。\n");
        EXPECT_EQ(ReadBytes(out / c.target), "old");

        std::vector<std::string> forced = c.command;
        forced.push_back("-f");
        const ProgramRun replaced = Run(forced);
        EXPECT_EQ(replaced.status, 0) << replaced.err;
        EXPECT_EQ(replaced.out + replaced.err, "");
        EXPECT_NE(ReadBytes(out / c.target), "old");
        EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{c.target});
    }
}

TEST_F(LapcsvTest, ErrorsWriteNothing) {
    ScratchDir unreadable;
    WriteBytes(unreadable / "Temp0001.dtb", ReadBytes(temp + "Temp0001.dtb"));
    const bool canDeny = MakeUnopenableLapFile(unreadable / "Temp0002.dtb");
    WriteBytes(out / "notalap.dtb", std::string(129, '\0'));
    const struct {
        std::vector<std::string> args;
        std::string message;  // empty: any one line
    } cases[] = {
        {{"overlay", "--laps", "0099", "-o", "x"}, "lapcsv: データ番号が見つかりません: 0099\n"},
        {{"overlay", "--laps", "0002-0077", "-o", "x"},
         "lapcsv: データ番号が見つかりません: 0077\n"},
        {{"overlay", "--laps", "0004-0002", "-o", "x"},
         "lapcsv: データ番号 0004 は 0002 より後にあります\n"},
        {{"overlay", "--dir", "nowhere", "-o", "x"},
         "lapcsv: nowhere/: フォルダが見つかりません\n"},
        {{"list", "--dir", "nowhere/"}, "lapcsv: nowhere/: フォルダが見つかりません\n"},
        {{"overlay", "--dir", out.Path(), "-o", "x"},
         "lapcsv: " + out.Path() + ": ラップファイルがありません\n"},
        {{"overlay", "-o", "gone/x"}, "lapcsv: gone/x.csv: ファイル名の指定が間違っています\n"},
        {{"raw", "-o", "x", "notalap.dtb"}, "lapcsv: notalap.dtb: ラップファイルではありません\n"},
        {{"overlay", "--dir", unreadable.Path(), "-o", "x"},
         canDeny ? "lapcsv: " + (unreadable / "Temp0002.dtb") +
                       ": ファイルへのアクセスが拒否されました\n"
                 : ""},
    };
    for (const auto& c : cases) {
        const ProgramRun run = Run(c.args);
        EXPECT_EQ(run.status, 1) << c.args[0] << ' ' << c.args[2];
        EXPECT_EQ(run.out, "");
        if (!c.message.empty()) {
            EXPECT_EQ(run.err, c.message);
        }
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"notalap.dtb"});
    }
}

TEST_F(LapcsvTest, DataNumbersIgnoreLetterCase) {
    ScratchDir folder;
    WriteBytes(folder / "Temp0001.dtb", ReadBytes(temp + "Temp0001.dtb"));
    WriteBytes(folder / "Temp00ab.dtb", ReadBytes(temp + "Temp0002.dtb"));
    const ProgramRun run =
        Run({"overlay", "--dir", folder.Path(), "--laps", "0001-00AB", "-o", "x"});
    ASSERT_EQ(run.status, 0) << run.err;
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
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(run.err.find("Usage:"), std::string::npos) << run.err;
    }
    const ProgramRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"list", "overlay", "files", "raw"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    EXPECT_EQ(Run({"overlay", "--help"}).status, 0);
    const ProgramRun version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "lapcsv 2.0.0\n");
}

}  // namespace
