// The lap list: one row per lap file, for the leading run of names whose
// files are each no older than the one before.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "laplist/lapgrid.h"

// A last-write time in local time at two-second resolution (the odd second
// dropped), packed so that later stamps compare greater.
using FileStamp = std::int64_t;
constexpr FileStamp kEarliestStamp = INT64_MIN;

// The stamp of a time given in seconds since the epoch (kEarliestStamp for
// a time the calendar cannot hold).
FileStamp StampOfTime(std::time_t seconds);
// The stamp of the directory entry at `path` (the entry itself, of any
// kind); false when there is no such entry any more.
bool FileStampOf(const std::string& path, FileStamp& stamp);

// Walks `TempList` in order: a name whose entry is gone is passed over, the
// first stamp earlier than its predecessor's ends the walk, every other name
// goes to AddLapRow and its stamp becomes the reference, row or not. An
// input/output error ends the walk; the rows made before it stay.
void LoadListMsg(const std::string& TempDir, const std::vector<std::string>& TempList,
                 LapGrid& grid, std::int32_t& LapRowCount);

// Adds the row of the lap file `FileName` (TempDir + name) as row
// LapRowCount + 1, growing the grid when needed. A file that is not a lap
// file or holds no samples gets no row. The samples are streamed, so memory
// stays small whatever the file's size.
void AddLapRow(const std::string& FileName, LapGrid& grid, std::int32_t& LapRowCount);
