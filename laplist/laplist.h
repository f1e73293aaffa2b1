// The lap list: one row per lap file, for the leading run of names whose
// files are each no older than the one before.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "lapdata/lapfile.h"

inline constexpr std::size_t kLapListColumns = 6;

// The headings of the columns.
inline const std::array<std::string, kLapListColumns> kLapListHeadings = {
    "データ番号", "日付", "時刻", "タイム", "最高速 km/h", "キョリ km"};

// One lap as the list shows it: data number, date, start time, lap time,
// top speed and distance as texts, and the file it came from.
struct LapRow {
    std::array<std::string, kLapListColumns> cells;
    std::string fileName;  // without folder

    const std::string& DataNumber() const { return cells[0]; }
};

// Walks `names` (lap file names in `folder`, sorted) in order: a name whose
// entry is gone is passed over, the first stamp earlier than its
// predecessor's ends the walk, every other name is summarised into a row
// appended to `rows` and its stamp becomes the reference, row or not. An
// Error ends the walk; the rows appended before it stay.
void ListLaps(const std::string& folder, const std::vector<std::string>& names,
              std::vector<LapRow>& rows);

// The row of the lap file at `path`, or nothing for a file that is not a
// lap file or holds no samples. The samples are streamed, so memory stays
// small whatever the file's size.
std::optional<LapRow> SummariseLapFile(const std::string& path);

// The row of a lap's samples (at least one), as the list shows it.
LapRow RowOfLap(const std::vector<Sample>& samples, const std::string& fileName);
