// The raw log CSV: every sample of one lap file with its ten fields.
#pragma once

#include <string>
#include <vector>

#include "export/prompts.h"
#include "lapdata/lapfile.h"

inline constexpr const char* kRawLogHeader = "日時,時間,秒,緯度,経度,標高,速度,方位,距離,衛星数";

// Appends the line of one record (without CR LF).
void AppendRawLogLine(std::string& out, const TPosDtRec& rec);

// The hidden command: reads the chosen lap file into `PosBuf`, then writes
// its CSV where the user says.
void ButtonGoClick(const std::string& TempDir, ExportPrompts& prompts,
                   std::vector<TPosDtRec>& PosBuf);
