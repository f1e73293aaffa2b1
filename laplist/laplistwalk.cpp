#include "laplist/laplistwalk.h"

#include <sys/stat.h>

#include <array>

#include "common/datetime.h"
#include "common/names.h"
#include "common/numtext.h"
#include "lapdata/lapfile.h"

namespace {

// What a row needs of a lap file's samples.
struct LapSummary {
    std::size_t Samples = 0;
    TDateTime First = 0;
    TDateTime Last = 0;
    Extended TopSpeed = 0;  // never below 0
    Extended LastDistKm = 0;
};

std::string DateTimeText(const char* pattern, TDateTime value) {
    std::string text;
    AppendDateTime(text, pattern, value);  // an unshowable value leaves the cell empty
    return text;
}

// The lap time, in the long form from one hour on. The form is chosen on
// the value as it will be shown, rounded to whole milliseconds, so a lap a
// hair short of one hour does not show 0:00.000.
std::string LapTimeText(TDateTime first, TDateTime last) {
    const auto d =
        static_cast<TDateTime>(static_cast<Extended>(last) - static_cast<Extended>(first));
    std::int64_t msecs = 0;
    if (!RoundToMilliseconds(d, msecs)) return {};
    return DateTimeText(msecs >= kMSecsPerDay / 24 ? "h:nn:ss.zzz" : "n:ss.zzz", d);
}

}  // namespace

FileStamp StampOfTime(std::time_t seconds) {
    std::tm t{};
    if (::localtime_r(&seconds, &t) == nullptr) return kEarliestStamp;
    FileStamp s = static_cast<FileStamp>(t.tm_year) + 1900;
    s = s * 16 + t.tm_mon + 1;
    s = s * 32 + t.tm_mday;
    s = s * 32 + t.tm_hour;
    s = s * 64 + t.tm_min;
    s = s * 32 + t.tm_sec / 2;
    return s;
}

bool FileStampOf(const std::string& path, FileStamp& stamp) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    stamp = StampOfTime(st.st_mtim.tv_sec);
    return stamp != kEarliestStamp;  // a time beyond the calendar: as if gone
}

void LoadListMsg(const std::string& TempDir, const std::vector<std::string>& TempList,
                 LapGrid& grid, std::int32_t& LapRowCount) {
    FileStamp previous = kEarliestStamp;
    for (const std::string& name : TempList) {
        const std::string path = TempDir + name;
        FileStamp stamp = 0;
        if (!FileStampOf(path, stamp)) continue;
        if (stamp < previous) break;
        AddLapRow(path, grid, LapRowCount);
        previous = stamp;
    }
}

void AddLapRow(const std::string& FileName, LapGrid& grid, std::int32_t& LapRowCount) {
    LapSummary lap;
    const auto outcome = ReadLapFile(
        FileName, [](std::size_t) {},
        [&lap](const TPosDtRec& rec) {
            if (lap.Samples++ == 0) lap.First = rec.DateTime;
            lap.Last = rec.DateTime;
            if (rec.Speed > lap.TopSpeed) lap.TopSpeed = rec.Speed;
            lap.LastDistKm = rec.DistKm;
        });
    // An empty lap file has no sample to take a date, times or a distance from.
    if (outcome == LapFileOutcome::NotALapFile || lap.Samples == 0) return;

    std::array<std::string, kLapColumns> cells;
    cells[0] = Utf8Substr(FileNameOf(FileName), 4, 4);
    cells[1] = DateTimeText("yyyy/mm/dd", lap.First);
    cells[2] = DateTimeText("hh:nn:ss", lap.First);
    cells[3] = LapTimeText(lap.First, lap.Last);
    AppendFixed(cells[4], lap.TopSpeed, 2);
    AppendFixed(cells[5], lap.LastDistKm, 2);

    const std::int32_t r = ++LapRowCount;
    if (grid.RowCount() < r + 1) grid.SetRowCount(r + 1);
    for (int col = 0; col < kLapColumns; ++col)
        grid.SetCell(col, r, cells[static_cast<std::size_t>(col)]);
}
