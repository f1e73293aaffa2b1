// The raw log CSV: every sample of one lap file with its ten fields.
#pragma once

#include <string>
#include <vector>

#include "lapdata/lapfile.h"

inline constexpr const char* kRawLogHeader = "日時,時間,秒,緯度,経度,標高,速度,方位,距離,衛星数";

// Reads every record of the lap file at `path` into `records` (replacing
// what it held). False, with `records` untouched, when the file is not a lap
// file. A path whose letter case differs from the file's is found.
[[nodiscard]] bool ReadRawLog(const std::string& path, std::vector<Sample>& records);

// Writes the raw log CSV of `records` to `target`.
void ExportRawLog(const std::vector<Sample>& records, const std::string& target);

// Appends the line of one record (without CR LF).
void AppendRawLogLine(std::string& out, const Sample& record);
