#include "laplist/laplist.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <fstream>

#include "laplist/lapfiles.h"
#include "platform/files.h"
#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "text/error.h"

namespace {

using Row = std::array<std::string, kLapListColumns>;

std::vector<std::string> DataNumbersOf(const std::vector<LapRow>& rows) {
    std::vector<std::string> numbers;
    for (const LapRow& row : rows)
        numbers.push_back(row.DataNumber());
    return numbers;
}

class LapListTest : public ::testing::Test {
  protected:
    // Adds the row of a lap file named `name` holding `recs`, if it has one.
    void Add(const std::vector<Sample>& recs, const std::string& name = "Temp0001.dtb") {
        WriteBytes(dir / name, LapBytes(recs));
        Summarise(name);
    }
    void Summarise(const std::string& name) {
        if (auto row = SummariseLapFile(dir / name)) rows.push_back(*row);
    }
    // Lap row r, counted from 1 as the list shows them.
    Row RowAt(std::size_t r) const { return rows.at(r - 1).cells; }
    std::size_t Last() const { return rows.size(); }
    std::vector<std::string> DataNumbers() const { return DataNumbersOf(rows); }

    ScratchDir dir;
    std::vector<LapRow> rows;
};

TEST_F(LapListTest, RowOfALap) {
    const DateTime first = At(2012, 5, 3, 14, 7, 9, 300);
    std::vector<Sample> recs = StraightLap(first, 3, 41.728);
    recs[1].speed = 112.347L;
    recs[2].distKm = 1.23L;
    Add(recs, "Temp0007.dtb");
    EXPECT_EQ(RowAt(1), (Row{"0007", "2012/05/03", "14:07:09", "1:23.456", "112.35", "1.23"}));
    EXPECT_EQ(rows[0].fileName, "Temp0007.dtb");

    Add(recs, "TEMP00AB.DTB");
    Add(recs, "Tempあいうえ.dtb");
    EXPECT_EQ(DataNumbers(), (std::vector<std::string>{"0007", "00AB", "あいうえ"}));
}

TEST_F(LapListTest, LapTimeForms) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {3600.5, "1:00:00.500"},
        {3599.999, "59:59.999"},
        {9.5, "0:09.500"},
        {90000.5, "1:00:00.500"},    // whole days are dropped
        {-90, "1:30.000"},           // a last sample before the first
        {3599.9996, "1:00:00.000"},  // the form follows the rounded value
        {0, "0:00.000"},
    };
    const DateTime first = At(2012, 5, 3, 10, 0, 0);
    for (const auto& c : cases) {
        std::vector<Sample> recs = StraightLap(first, 2);
        recs[1].dateTime = first + c.seconds / 86400;
        Add(recs);
        EXPECT_EQ(RowAt(Last())[3], c.text) << c.seconds;
    }
}

TEST_F(LapListTest, ValuesAtTheEdges) {
    const DateTime first = At(2012, 5, 3, 10, 0, 0);
    // Speeds never above zero show zero; the first sample shows as rounded.
    std::vector<Sample> still = StraightLap(At(2012, 5, 3, 23, 59, 59) + 0.9996 / 86400, 2);
    still[0].speed = 0;
    still[1].speed = -3;
    Add(still);
    EXPECT_EQ(RowAt(Last()), (Row{"0001", "2012/05/04", "00:00:00", "0:00.050", "0.00", "0.00"}));

    // Not-a-number speeds are never the top; the texts of the others.
    std::vector<Sample> odd = StraightLap(first, 3);
    odd[0].speed = NAN;
    odd[1].speed = 5;
    odd[2].speed = NAN;
    odd[2].distKm = NAN;
    Add(odd);
    EXPECT_EQ(RowAt(Last())[4], "5.00");
    EXPECT_EQ(RowAt(Last())[5], "NAN");
    odd[1].speed = HUGE_VALL;
    odd[2].distKm = -HUGE_VALL;
    Add(odd);
    EXPECT_EQ(RowAt(Last())[4], "INF");
    EXPECT_EQ(RowAt(Last())[5], "-INF");

    // A date that cannot be shown leaves its cells empty; the row is whole.
    for (const DateTime bad : {static_cast<double>(NAN), HUGE_VAL, 1e9}) {
        std::vector<Sample> recs = StraightLap(first, 2);
        recs[0].dateTime = bad;
        Add(recs);
        EXPECT_EQ(RowAt(Last()), (Row{"0001", "", "", "", "72.00", "0.00"})) << bad;
    }
}

TEST_F(LapListTest, FilesThatAreNotLapsGetNoRow) {
    for (const std::size_t size : {0, 127, 129, 300}) {
        WriteBytes(dir / "Temp0002.dtb", std::string(size, '\x01'));
        Summarise("Temp0002.dtb");
    }
    Summarise("Temp0003.dtb");  // missing
    ASSERT_EQ(::mkdir((dir / "Temp0004.dtb").c_str(), 0755), 0);
    Summarise("Temp0004.dtb");
    ASSERT_EQ(::mkfifo((dir / "Temp0005.dtb").c_str(), 0600), 0);
    Summarise("Temp0005.dtb");  // a FIFO: never waited on
    EXPECT_TRUE(rows.empty());
}

// One entry of a walked folder.
enum class Kind { Lap, Bytes, Folder, Gone };
struct Entry {
    Kind kind;
    int hour, minute, second;
    std::size_t bytes = 0;
};

TEST_F(LapListTest, WalkStopsAtTheFirstStampRunningBackwards) {
    const struct {
        const char* what;
        std::vector<Entry> entries;  // Temp0001.dtb, Temp0002.dtb, ... in this order
        std::vector<std::string> listed;
    } cases[] = {
        {"same two-second step",
         {{Kind::Lap, 10, 0, 0}, {Kind::Lap, 10, 0, 1}, {Kind::Lap, 9, 59, 58}},
         {"0001", "0002"}},
        {"the newest after a stop stays out",
         {{Kind::Lap, 10, 0, 0},
          {Kind::Lap, 10, 5, 0},
          {Kind::Lap, 9, 0, 0},
          {Kind::Lap, 11, 0, 0}},
         {"0001", "0002"}},
        {"a lap two seconds earlier stops",
         {{Kind::Lap, 10, 0, 2}, {Kind::Lap, 10, 0, 1}},
         {"0001"}},
        {"short and odd sizes among laps",
         {{Kind::Lap, 10, 0, 0},
          {Kind::Bytes, 10, 1, 0, 127},
          {Kind::Bytes, 10, 2, 0, 129},
          {Kind::Lap, 10, 3, 0}},
         {"0001", "0004"}},
        {"a 300-byte file's stamp is the reference",
         {{Kind::Lap, 10, 0, 0}, {Kind::Bytes, 10, 20, 0, 300}, {Kind::Lap, 10, 15, 0}},
         {"0001"}},
        {"an empty lap file's stamp is the reference",
         {{Kind::Lap, 10, 0, 0},
          {Kind::Bytes, 10, 20, 0, 0},
          {Kind::Lap, 10, 15, 0},
          {Kind::Lap, 10, 30, 0}},
         {"0001"}},
        {"a folder's stamp is the reference",
         {{Kind::Lap, 10, 0, 0}, {Kind::Folder, 10, 20, 0}, {Kind::Lap, 10, 15, 0}},
         {"0001"}},
        {"a vanished entry is passed over",
         {{Kind::Lap, 10, 0, 0}, {Kind::Gone, 0, 0, 0}, {Kind::Lap, 10, 0, 0}},
         {"0001", "0003"}},
    };
    for (const auto& c : cases) {
        ScratchDir folder;
        std::vector<std::string> tempList;
        for (std::size_t k = 0; k < c.entries.size(); ++k) {
            const Entry& e = c.entries[k];
            const std::string name = "Temp000" + std::to_string(k + 1) + ".dtb";
            tempList.push_back(name);
            const std::string path = folder / name;
            if (e.kind == Kind::Gone) continue;
            if (e.kind == Kind::Lap)
                WriteBytes(path, LapBytes(StraightLap(At(2012, 5, 3, 9, 0, 0), 4)));
            if (e.kind == Kind::Bytes) WriteBytes(path, std::string(e.bytes, '\0'));
            if (e.kind == Kind::Folder) {
                ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
            }
            SetStamp(path, LocalSeconds(2012, 5, 3, e.hour, e.minute, e.second));
        }
        std::vector<LapRow> walked;
        ListLaps(folder.Path(), tempList, walked);
        EXPECT_EQ(DataNumbersOf(walked), c.listed) << c.what;
    }
}

TEST_F(LapListTest, StampsHaveTwoSecondSteps) {
    const std::time_t even = LocalSeconds(2012, 5, 3, 10, 0, 0);
    using platform::StampOfTime;
    EXPECT_EQ(StampOfTime(even), StampOfTime(even + 1));
    EXPECT_LT(StampOfTime(even + 1), StampOfTime(even + 2));
    EXPECT_LT(StampOfTime(even - 1), StampOfTime(even));
    EXPECT_FALSE(platform::StampOf(dir / "Temp0001.dtb"));
}

TEST_F(LapListTest, UnreadableLapEndsTheWalkKeepingEarlierRows) {
    for (const char* name : {"Temp0001.dtb", "Temp0003.dtb"})
        WriteBytes(dir / name, LapBytes(StraightLap(At(2012, 5, 3, 10, 0, 0), 4)));
    if (!MakeUnopenableLapFile(dir / "Temp0002.dtb"))
        GTEST_SKIP() << "no way to make an unreadable file here";
    const auto names = FindLapFileNames(dir.Path());
    ASSERT_EQ(names.size(), 3u);
    try {
        ListLaps(dir.Path(), names, rows);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Message(), "ファイルへのアクセスが拒否されました");
        EXPECT_EQ(e.Path(), dir / "Temp0002.dtb");
    }
    EXPECT_EQ(DataNumbers(), std::vector<std::string>{"0001"});
}

TEST_F(LapListTest, OpenFailureEndsTheWalk) {
    if (!NoMoreFiles::Usable()) GTEST_SKIP() << "descriptor limit not usable under sanitizers";
    WriteBytes(dir / "Temp0001.dtb", LapBytes(StraightLap(At(2012, 5, 3, 10, 0, 0), 4)));
    try {
        NoMoreFiles limit;
        ListLaps(dir.Path(), {"Temp0001.dtb"}, rows);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Message(), IoMessage(kIoTooManyOpenFiles));
    }
    EXPECT_TRUE(rows.empty());
}

// A long list is read on several threads: the rows keep the order of the
// names, and the first file in that order that cannot be read ends the walk
// with the rows before it, though a later file fails as well.
TEST_F(LapListTest, LongListKeepsOrderAndTheFirstError) {
    const struct {
        std::vector<int> unreadable;  // data numbers
        std::size_t rows;
    } cases[] = {{{}, 40}, {{31}, 30}, {{12, 31}, 11}, {{2, 5}, 1}};
    for (const auto& c : cases) {
        ScratchDir laps;
        std::vector<std::string> names, numbers;
        for (int k = 1; k <= 40; ++k) {
            char number[8];
            std::snprintf(number, sizeof number, "%04d", k);
            names.push_back(std::string("Temp") + number + ".dtb");
            numbers.push_back(number);
            WriteBytes(laps / names.back(), LapBytes(StraightLap(At(2012, 5, 3, 10, k, 0), k)));
        }
        bool usable = true;
        for (const int k : c.unreadable) {
            std::remove((laps / names[k - 1]).c_str());
            usable = usable && MakeUnopenableLapFile(laps / names[k - 1]);
        }
        if (!usable) GTEST_SKIP() << "no way to make a lap unreadable here";
        std::vector<LapRow> listed;
        try {
            ListLaps(laps.Path(), names, listed);
            EXPECT_TRUE(c.unreadable.empty()) << "no error";
        } catch (const Error& e) {
            ASSERT_FALSE(c.unreadable.empty());
            EXPECT_EQ(e.Path(), laps / names[c.unreadable[0] - 1]);
        }
        numbers.resize(c.rows);
        EXPECT_EQ(DataNumbersOf(listed), numbers) << c.rows;
        // Each row is its own file's.
        for (std::size_t r = 0; r < listed.size(); ++r)
            EXPECT_EQ(listed[r].cells, SummariseLapFile(laps / names[r])->cells) << r;
    }
}

long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// A 300 MB lap file (sparse: zero records between a first and a last one)
// is summarised in a child process whose peak memory must not grow with it.
TEST_F(LapListTest, HugeLapFileInConstantMemory) {
    constexpr off_t kBytes = 300L << 20;
    const std::string path = dir / "Temp0001.dtb";
    std::vector<Sample> ends = StraightLap(At(2012, 5, 3, 10, 0, 0), 2, 100);
    ends[0].speed = 150;
    ends[1].distKm = 42;
    const std::string first = LapBytes({ends[0]}), last = LapBytes({ends[1]});
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kBytes), 0);
    ASSERT_EQ(::pwrite(fd, first.data(), first.size(), 0), 128);
    ASSERT_EQ(::pwrite(fd, last.data(), last.size(), kBytes - 128), 128);
    ::close(fd);

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const long before = PeakKilobytes();
        std::vector<LapRow> childRows;
        ListLaps(dir.Path(), {"Temp0001.dtb"}, childRows);
        const long growth = PeakKilobytes() - before;
        const bool rowRight = childRows.size() == 1 && childRows[0].cells[3] == "1:40.000" &&
                              childRows[0].cells[4] == "150.00" && childRows[0].cells[5] == "42.00";
        ::_exit(!rowRight ? 2 : growth > 32 * 1024 ? 3 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: wrong row, 3: memory grew with the file";
}

}  // namespace
