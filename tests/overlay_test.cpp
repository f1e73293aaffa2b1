#include "export/overlay.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <optional>

#include "gui/session.h"
#include "laplist/lapfiles.h"
#include "laplist/laplist.h"
#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "tests/kit/programs.h"
#include "tests/kit/prompts.h"
#include "text/error.h"

namespace {

std::vector<std::string> Field(const std::vector<std::string>& rows, std::size_t col) {
    std::vector<std::string> values;
    for (const std::string& row : rows) {
        std::size_t from = 0;
        for (std::size_t c = 0; c < col && from != std::string::npos; ++c) {
            from = row.find(',', from);
            if (from != std::string::npos) ++from;
        }
        values.push_back(from == std::string::npos ? ""
                                                   : row.substr(from, row.find(',', from) - from));
    }
    return values;
}

// The text after the first field.
std::string Tail(const std::string& row) {
    return row.substr(row.find(','));
}

// The session a window has for `folder` once its lap list is filled.
Session ListedSession(const std::string& folder) {
    Session session;
    session.dataFolder = folder;
    session.lapFileNames = FindLapFileNames(folder);
    FillLapList(session);
    return session;
}

// The export button and the hidden picked-files command, each run as a
// click runs it, with the user's answers scripted.
class OverlayTest : public ::testing::Test {
  protected:
    void WriteLap(const std::string& name, const std::vector<Sample>& recs) {
        WriteBytes(dir / name, LapBytes(recs));
    }
    // The lap list of the folder, with lap rows top to bottom (from 1) selected.
    void List(std::size_t top, std::size_t bottom) {
        session = ListedSession(dir.Path());
        selection = RowRange{top - 1, bottom - 1};
    }
    void Click() { ExportSelectedLapsCommand(session, selection, prompts); }
    // Exports into out.csv and returns its lines.
    std::vector<std::string> Export() {
        prompts.savePath = out / "out";
        Click();
        return CsvRows(ReadBytes(out / "out.csv"));
    }
    void PickFiles() {
        session.dataFolder = dir.Path();
        ExportPickedLapFilesCommand(session, prompts);
    }
    // Laps of 20 samples at 20 Hz, one minute apart.
    void WriteSession(int laps) {
        for (int k = 0; k < laps; ++k) {
            char name[16];
            std::snprintf(name, sizeof name, k == 2 ? "TEMP%04d.DTB" : "Temp%04d.dtb", k + 1);
            WriteLap(name, StraightLap(At(2012, 5, 3, 10, k, 0), 20));
        }
    }

    ScratchDir dir, out;
    Session session;
    std::optional<RowRange> selection;
    ScriptedPrompts prompts;
};

TEST_F(OverlayTest, NothingListedAsksNothing) {
    Click();
    EXPECT_TRUE(prompts.savePresets.empty());
}

TEST_F(OverlayTest, CancelOrNoLeavesEverythingAsItWas) {
    WriteSession(1);
    List(1, 1);
    Click();  // save dialog cancelled
    EXPECT_EQ(prompts.savePresets, std::vector<std::string>{""});
    EXPECT_TRUE(FolderEntries(out.Path()).empty());

    WriteBytes(out / "out.csv", "old");
    prompts.savePath = out / "out.txt";
    Click();
    EXPECT_EQ(prompts.warnings,
              std::vector<std::string>{"out.csv は既に存在します。\r上書きしますか?"});
    EXPECT_EQ(ReadBytes(out / "out.csv"), "old");
    EXPECT_TRUE(prompts.informations.empty());

    prompts.overwrite = true;
    Click();
    EXPECT_EQ(prompts.informations, std::vector<std::string>{"out.csv を出力しました。"});
    EXPECT_EQ(CsvRows(ReadBytes(out / "out.csv")).size(), 1u + 20 + 10);
    EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"out.csv"});
}

TEST_F(OverlayTest, OneLapFileLayout) {
    WriteSession(1);
    List(1, 1);
    Export();
    const std::string bytes = ReadBytes(out / "out.csv");
    ASSERT_EQ(bytes.substr(0, 34), "Time,LapTm,X,Y,Spd,XG,YG,DistKm\r\n0");
    ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const auto rows = CsvRows(bytes);
    ASSERT_EQ(rows.size(), 31u);
    for (const std::string& row : rows) {
        EXPECT_EQ(std::count(row.begin(), row.end(), ','), 7) << row;
        EXPECT_EQ(row.find('\r'), std::string::npos);
        EXPECT_EQ(row.find('\n'), std::string::npos);
    }
    EXPECT_EQ(rows[1], "0.000,0.000,0.00,0.00,72.00,0.00,0.00,0.000");
    EXPECT_EQ(rows[20], "0.950,0.950,17.30,0.00,72.00,0.00,0.00,0.019");
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(rows[20 + k], std::to_string(k) + ".000" + Tail(rows[20]));
}

TEST_F(OverlayTest, ReferenceTimeFromAMultipleOf100Milliseconds) {
    const struct {
        const char* what;
        std::vector<double> msecs;  // of the first samples, past 10:00:00
        std::vector<std::string> times;
    } cases[] = {
        {"the second sample", {250, 300, 350}, {"-0.050", "0.000", "0.050"}},
        {"none: sample 0", {50, 150, 250}, {"0.000", "0.100", "0.200"}},
        {"from sample 0", {0, 50, 100}, {"0.000", "0.050", "0.100"}},
        {"unshowable samples passed over", {NAN, 250, 300}, {"NAN", "-0.050", "0.000"}},
        {"rounded to whole milliseconds", {99.6, 150, 200}, {"0.000", "0.050", "0.100"}},
    };
    for (const auto& c : cases) {
        std::vector<Sample> recs =
            StraightLap(At(2012, 5, 3, 10, 0, 0), static_cast<int>(c.msecs.size()));
        for (std::size_t i = 0; i < recs.size(); ++i)
            recs[i].dateTime = At(2012, 5, 3, 10, 0, 0) + c.msecs[i] / 86'400'000;
        WriteLap("Temp0001.dtb", recs);
        std::remove((out / "out.csv").c_str());
        List(1, 1);
        const auto rows = Export();
        ASSERT_EQ(rows.size(), 1 + recs.size() + 10) << c.what;
        EXPECT_EQ(Field({rows.begin() + 1, rows.begin() + 1 + static_cast<long>(recs.size())}, 0),
                  c.times)
            << c.what;
    }
}

TEST_F(OverlayTest, BlockOfThreeSharesOneTimeAxis) {
    WriteSession(4);
    List(2, 4);
    const auto rows = Export();
    ASSERT_EQ(rows.size(), 1u + 3 * 20 + 10);
    const auto times = Field(rows, 0), lapTimes = Field(rows, 1);
    // Lap 0002 sets the reference; laps 0003 (found as TEMP0003.DTB) and
    // 0004 run on a minute later each, LapTm starting again.
    for (int lap = 0; lap < 3; ++lap) {
        EXPECT_EQ(times[1 + 20 * lap], std::to_string(60 * lap) + ".000") << lap;
        EXPECT_EQ(lapTimes[1 + 20 * lap], "0.000") << lap;
        EXPECT_EQ(times[20 + 20 * lap], std::to_string(60 * lap) + ".950") << lap;
    }
    EXPECT_EQ(times[61], "121.000");
    EXPECT_EQ(times[70], "130.000");
}

TEST_F(OverlayTest, ClosingLinesCountOnFromTheTruncatedLastTime) {
    const struct {
        double lastSeconds;  // of the bottom lap's last sample from the reference
        std::string first, last;
    } cases[] = {
        {95.38, "96.000", "105.000"},
        {-3.7, "-2.000", "7.000"},  // truncated toward zero
        {-0.4, "1.000", "10.000"},
        {NAN, "NAN", "NAN"},
    };
    for (const auto& c : cases) {
        std::vector<Sample> recs = StraightLap(At(2012, 5, 3, 10, 0, 0), 3);
        recs[2].dateTime =
            std::isnan(c.lastSeconds) ? NAN : recs[0].dateTime + c.lastSeconds / 86400;
        WriteLap("Temp0001.dtb", recs);
        std::remove((out / "out.csv").c_str());
        List(1, 1);
        const auto rows = Export();
        ASSERT_EQ(rows.size(), 14u);
        EXPECT_EQ(Field({rows[4]}, 0)[0], c.first) << c.lastSeconds;
        EXPECT_EQ(Field({rows[13]}, 0)[0], c.last) << c.lastSeconds;
        for (int k = 4; k < 14; ++k)
            EXPECT_EQ(Tail(rows[k]), Tail(rows[3]));
    }
}

// Far from the reference (only a broken clock gets there) the closing lines
// still count on by whole seconds: beyond 2^53 a double cannot hold T0 + 1.
TEST_F(OverlayTest, ClosingLinesCountExactlyFarFromTheReference) {
    std::vector<Sample> recs = StraightLap(0, 2);  // 1899-12-30 00:00:00.000
    recs[1].dateTime = 1.2e11;                     // 10,368,000,000,000,000 s later
    WriteLap("Temp0001.dtb", recs);
    List(1, 1);
    const auto rows = Export();
    ASSERT_EQ(rows.size(), 1u + 2 + 10);
    EXPECT_EQ(Field({rows[2]}, 0)[0], "10368000000000000.000");
    EXPECT_EQ(Field({rows[3]}, 0)[0], "10368000000000001.000");
    EXPECT_EQ(Field({rows[12]}, 0)[0], "10368000000000010.000");
}

TEST_F(OverlayTest, GElementOfTheEnds) {
    Lap lap;
    lap.samples.resize(4);
    lap.track.resize(4);
    for (int i = 0; i < 4; ++i) {
        lap.track[static_cast<std::size_t>(i)].lateralGSm = 0.1L * (i + 1);
        lap.track[static_cast<std::size_t>(i)].longitudinalGSm = -0.01L * (i + 1);
    }
    const char* tails[] = {",0.000,0.00,0.00,0.00,-0.20,-0.02", ",0.000,0.00,0.00,0.00,-0.20,-0.02",
                           ",0.000,0.00,0.00,0.00,-0.30,-0.03",
                           ",0.000,0.00,0.00,0.00,-0.30,-0.03"};
    for (std::size_t i = 0; i < 4; ++i) {
        std::string tail;
        AppendOverlayTail(tail, lap, i, false);
        EXPECT_EQ(tail, tails[i]) << i;
    }
    // Two samples borrow from each other; one sample has nothing to borrow.
    lap.samples.resize(2);
    lap.track.resize(2);
    std::string two;
    AppendOverlayTail(two, lap, 0, true);
    AppendOverlayTail(two, lap, 1, true);
    EXPECT_EQ(two,
              ",0.000,0.00,0.00,0.00,-0.20,-0.02,0.000,0.000,0.00,0.00,0.00,-0.10,-0.01,0.000");
    lap.samples.resize(1);
    lap.track.resize(1);
    std::string one;
    AppendOverlayTail(one, lap, 0, true);
    EXPECT_EQ(one, ",0.000,0.00,0.00,0.00,0.00,0.00,0.000");
    lap.samples.resize(3);
    lap.track.resize(3);
    lap.track[1].lateralGSm = 0.1L * 2;
    lap.track[1].longitudinalGSm = -0.01L * 2;
    lap.track[0].lateralGSm = 0;  // XG of zero has no minus sign
    std::string zero;
    AppendOverlayTail(zero, lap, 1, false);
    EXPECT_EQ(zero, ",0.000,0.00,0.00,0.00,-0.20,-0.02");
}

TEST_F(OverlayTest, ShortLapsThroughTheWholeCommand) {
    WriteLap("Temp0001.dtb", StraightLap(At(2012, 5, 3, 10, 0, 0), 1));
    WriteLap("Temp0002.dtb", StraightLap(At(2012, 5, 3, 10, 1, 0), 2));
    List(1, 2);
    const auto rows = Export();
    ASSERT_EQ(rows.size(), 1u + 1 + 2 + 10);
    EXPECT_EQ(rows[1], "0.000,0.000,0.00,0.00,72.00,0.00,0.00,0.000");
    for (std::size_t k = 1; k < rows.size(); ++k) {
        EXPECT_EQ(Field({rows[k]}, 5)[0], "0.00") << k;
        EXPECT_EQ(Field({rows[k]}, 6)[0], "0.00") << k;
    }
}

TEST_F(OverlayTest, LapsGoneSinceTheListAreSkippedAndNamed) {
    const struct {
        const char* what;
        std::vector<int> deleted;  // data numbers of the block 1-3
        std::size_t rows;
        const char* skipped;
    } cases[] = {
        {"middle", {2}, 1 + 40 + 10, "0002"},
        {"bottom: no closing lines", {3}, 1 + 40, "0003"},
        {"top: the next lap sets the reference", {1}, 1 + 40 + 10, "0001"},
    };
    for (const auto& c : cases) {
        ScratchDir fresh;
        for (int k = 1; k <= 3; ++k)
            WriteBytes(fresh / ("Temp000" + std::to_string(k) + ".dtb"),
                       LapBytes(StraightLap(At(2012, 5, 3, 10, k, 0), 20)));
        const Session listed = ListedSession(fresh.Path());
        for (int k : c.deleted)
            std::remove((fresh / ("Temp000" + std::to_string(k) + ".dtb")).c_str());
        std::remove((out / "out.csv").c_str());
        prompts = ScriptedPrompts();
        prompts.savePath = out / "out.csv";
        ExportSelectedLapsCommand(listed, RowRange{0, 2}, prompts);
        const auto rows = CsvRows(ReadBytes(out / "out.csv"));
        ASSERT_EQ(rows.size(), c.rows) << c.what;
        EXPECT_EQ(Field({rows[1]}, 0)[0], "0.000") << c.what;
        EXPECT_EQ(
            prompts.informations,
            std::vector<std::string>{
                std::string("out.csv を出力しました。\r読み込めなかったラップ: ") + c.skipped})
            << c.what;
    }
}

// Not one selected lap loads: nothing is written, an existing file stays,
// and the error names the laps instead of reporting success.
TEST_F(OverlayTest, NoLapLoadedWritesNothingAndSaysSo) {
    WriteSession(3);
    List(2, 3);
    for (const char* name : {"Temp0002.dtb", "TEMP0003.DTB"})
        std::remove((dir / name).c_str());
    WriteBytes(out / "out.csv", "old");
    prompts.overwrite = true;
    prompts.savePath = out / "out.csv";
    try {
        Click();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Message(),
                  "選択したラップを読み込めませんでした。何も出力していません: 0002, 0003");
    }
    EXPECT_EQ(ReadBytes(out / "out.csv"), "old");
    EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"out.csv"});
    EXPECT_TRUE(prompts.informations.empty());
}

// Records of nothing but not-a-number and infinities go through the list
// and the export without harm and print as such.
TEST_F(OverlayTest, RecordsFullOfNanAndInfinities) {
    const double values[] = {NAN, HUGE_VAL, -HUGE_VAL};
    std::vector<Sample> recs = StraightLap(At(2012, 5, 3, 10, 0, 0), 1);  // sets the reference
    for (int i = 1; i <= 6; ++i) {
        const double v = values[i % 3], w = values[(i + 1) % 3];
        Sample r;
        r.dateTime = v;
        r.elapsed = w;
        r.elapsedSec = r.lat = r.lon = r.alt = v;
        r.speed = r.heading = r.distKm = w;
        recs.push_back(r);
    }
    WriteLap("Temp0001.dtb", recs);
    List(1, 1);
    const auto& cells = session.lapRows.at(0).cells;
    EXPECT_EQ(cells[3], "");  // the last sample's date cannot be shown
    EXPECT_EQ(cells[4], "INF");
    EXPECT_EQ(cells[5], "INF");
    const auto rows = Export();
    ASSERT_EQ(rows.size(), 1u + 7 + 10);
    std::vector<std::string> times = {"Time", "0.000", "INF", "-INF", "NAN", "INF", "-INF", "NAN"};
    times.resize(rows.size(), "NAN");
    EXPECT_EQ(Field(rows, 0), times);
    EXPECT_EQ(rows[2].substr(rows[2].find(',')).substr(0, 5), ",INF,");
    EXPECT_EQ(Field(rows, 4)[2], "-INF");
    EXPECT_EQ(Field(rows, 7)[7], "INF");
}

// A lap that cannot be read ends the export: by a file that may not be
// opened, and by a process out of descriptors (which cannot even list the
// folder to find the laps in).
TEST_F(OverlayTest, ReadErrorWritesNothing) {
    const struct {
        bool noDescriptors;
        int code;
    } ways[] = {{false, kIoAccessDenied}, {true, kIoTooManyOpenFiles}};
    int tried = 0;
    for (const auto& way : ways) {
        ScratchDir laps;
        for (const char* name : {"Temp0001.dtb", "Temp0002.dtb"})
            WriteBytes(laps / name, LapBytes(StraightLap(At(2012, 5, 3, 10, 0, 0), 20)));
        const Session listed = ListedSession(laps.Path());
        if (way.noDescriptors ? !NoMoreFiles::Usable()
                              : (std::remove((laps / "Temp0002.dtb").c_str()),
                                 !MakeUnopenableLapFile(laps / "Temp0002.dtb")))
            continue;
        ++tried;
        WriteBytes(out / "out.csv", "old");
        prompts = ScriptedPrompts();
        prompts.overwrite = true;
        prompts.savePath = out / "out.csv";
        try {
            std::optional<NoMoreFiles> limit;
            if (way.noDescriptors) limit.emplace();
            ExportSelectedLapsCommand(listed, RowRange{0, 1}, prompts);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.Message(), IoMessage(way.code));
            EXPECT_EQ(e.Path(), way.noDescriptors ? laps.Path() : laps / "Temp0002.dtb");
        }
        EXPECT_EQ(ReadBytes(out / "out.csv"), "old");
        EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"out.csv"});
        EXPECT_TRUE(prompts.informations.empty());
    }
    if (tried == 0) GTEST_SKIP() << "no way to make a lap unreadable here";
}

// Laps are loaded ahead of the writer: the first lap in order that cannot
// be read ends the export with nothing written, though a later lap fails too
// and laps that load lie between them.
TEST_F(OverlayTest, FirstUnreadableLapInOrderEndsTheExport) {
    WriteSession(6);
    List(1, 6);
    for (const char* name : {"Temp0005.dtb", "Temp0002.dtb"}) {
        std::remove((dir / name).c_str());
        if (!MakeUnopenableLapFile(dir / name)) GTEST_SKIP() << "no way to make a lap unreadable";
    }
    WriteBytes(out / "out.csv", "old");
    prompts.overwrite = true;
    prompts.savePath = out / "out.csv";
    try {
        Click();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Path(), dir / "Temp0002.dtb");
    }
    EXPECT_EQ(ReadBytes(out / "out.csv"), "old");
    EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"out.csv"});
}

TEST_F(OverlayTest, UnwritableTargetIsAnError) {
    WriteSession(1);
    List(1, 1);
    prompts.overwrite = true;
    const std::string denied = ::geteuid() == 0 ? "/sys/out.csv" : "";
    for (const std::string& target : {out / "gone/out.csv", denied}) {
        if (target.empty()) continue;
        prompts.savePath = target;
        EXPECT_THROW(Click(), Error) << target;
    }
    EXPECT_TRUE(prompts.informations.empty());
    if (::geteuid() == 0) return;  // root writes into any folder
    WriteBytes(out / "out.csv", "old");
    ::chmod(out.Path().c_str(), 0555);
    prompts.savePath = out / "out.csv";
    EXPECT_THROW(Click(), Error);
    ::chmod(out.Path().c_str(), 0755);
    EXPECT_EQ(ReadBytes(out / "out.csv"), "old");
    EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"out.csv"});
}

// The file size limit stops the write midway, in a child process so that
// the limit stays there.
TEST_F(OverlayTest, WriteFailingMidwayKeepsTheOldFile) {
    WriteSession(3);
    List(1, 3);
    WriteBytes(out / "out.csv", "old");
    prompts.overwrite = true;
    prompts.savePath = out / "out.csv";
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};  // the file needs about 3 kB
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            Click();
        } catch (const Error&) {
            ::_exit(prompts.informations.empty() ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error, 2: reported as done";
    EXPECT_EQ(ReadBytes(out / "out.csv"), "old");
    EXPECT_EQ(FolderEntries(out.Path()), std::vector<std::string>{"out.csv"});
}

class ChosenFilesTest : public OverlayTest {};

TEST_F(ChosenFilesTest, FilesInTheOrderPicked) {
    WriteSession(3);
    prompts.openPaths = {dir / "TEMP0003.DTB", dir / "Temp0001.dtb", dir / "Temp0002.dtb"};
    prompts.savePath = out / "picked";
    PickFiles();
    EXPECT_EQ(prompts.openFolders, std::vector<std::string>{dir.Path()});
    EXPECT_EQ(prompts.openDialogs, 4);
    EXPECT_EQ(prompts.savePresets, std::vector<std::string>{"TEMP0003.csv"});
    EXPECT_TRUE(prompts.informations.empty());
    const auto rows = CsvRows(ReadBytes(out / "picked.csv"));
    ASSERT_EQ(rows.size(), 1u + 60);
    EXPECT_EQ(rows[0], "Time,LapTm,X,Y,Spd,XG,YG");
    const auto times = Field(rows, 0);
    EXPECT_EQ(times[1], "0.000");
    EXPECT_EQ(times[21], "-120.000");
    EXPECT_EQ(times[41], "-60.000");
    for (std::size_t k = 1; k < rows.size(); ++k)
        EXPECT_EQ(std::count(rows[k].begin(), rows[k].end(), ','), 6);
}

TEST_F(ChosenFilesTest, RepeatsAndNonLapFiles) {
    WriteSession(2);
    WriteBytes(dir / "Temp0009.dtb", std::string(129, '\0'));
    WriteBytes(dir / "Temp0000.dtb", "");
    prompts.openPaths = {dir / "Temp0000.dtb", dir / "Temp0002.dtb", dir / "Temp0009.dtb",
                         dir / "missing.dtb",  dir / "Temp0001.dtb", dir / "Temp0002.dtb"};
    prompts.savePath = out / "picked.csv";
    PickFiles();
    EXPECT_EQ(prompts.savePresets, std::vector<std::string>{"Temp0000.csv"});
    EXPECT_EQ(prompts.informations,
              std::vector<std::string>{"picked.csv を出力しました。\r読み込めなかったファイル: " +
                                       (dir / "Temp0000.dtb") + ", " + (dir / "Temp0009.dtb") +
                                       ", " + (dir / "missing.dtb")});
    const auto rows = CsvRows(ReadBytes(out / "picked.csv"));
    ASSERT_EQ(rows.size(), 1u + 60);
    // The empty first pick sets no reference; 0002 does.
    const std::vector<std::string> lap2(rows.begin() + 1, rows.begin() + 21);
    EXPECT_EQ(Field(lap2, 0).front(), "0.000");
    EXPECT_EQ(Field({rows[21]}, 0)[0], "-60.000");
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 41, rows.end()), lap2);
}

TEST_F(ChosenFilesTest, NoLapFileAmongThePickedWritesNothing) {
    WriteBytes(dir / "Temp0009.dtb", std::string(129, '\0'));
    prompts.openPaths = {dir / "Temp0009.dtb", dir / "missing.dtb"};
    prompts.savePath = out / "picked.csv";
    EXPECT_THROW(PickFiles(), Error);
    EXPECT_TRUE(FolderEntries(out.Path()).empty());
}

TEST_F(ChosenFilesTest, NothingPickedOrSaveCancelled) {
    WriteSession(1);
    PickFiles();
    EXPECT_EQ(prompts.openDialogs, 1);
    EXPECT_TRUE(prompts.savePresets.empty());
    prompts = ScriptedPrompts();
    prompts.openPaths = {dir / "Temp0001.dtb"};
    PickFiles();
    EXPECT_EQ(prompts.savePresets.size(), 1u);
    EXPECT_TRUE(FolderEntries(out.Path()).empty());
}

}  // namespace
