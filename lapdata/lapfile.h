// The lap file: a plain sequence of 128-byte records, one GPS sample each,
// and the one rule by which every reader takes such a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/extended.h"

constexpr std::size_t kLapRecordSize = 128;

// One GPS sample as held in memory.
struct TPosDtRec {
    TDateTime DateTime = 0;  // when the sample was taken
    TDateTime Elapsed = 0;   // time since the start of the lap, as a day fraction
    Extended ElapsedSec = 0;  // time since the start of the lap, seconds
    Extended Lat = 0;         // degrees, north positive
    Extended Lon = 0;         // degrees, east positive
    Extended Alt = 0;         // in the logger's unit
    Extended Speed = 0;       // km/h
    Extended Heading = 0;     // compass course + 180, reduced below 360
    Extended DistKm = 0;      // distance since the start of the lap
    std::int32_t SatCount = 0;
};

// Field offsets inside a record; the bytes between fields are never read.
TPosDtRec DecodeLapRecord(const unsigned char* bytes);
// Writes a record with zero gap bytes (for tools and tests).
void EncodeLapRecord(const TPosDtRec& rec, unsigned char* bytes);

enum class LapFileOutcome { Read, NotALapFile };

// Reads a lap file: a missing entry, something that is not a regular file or
// a size that is not a multiple of 128 is NotALapFile, silently. Otherwise
// onCount(N) is called once before the file is opened, then onRecord for each
// record in file order. A file that shrinks while read ends early with the
// complete records read so far. Open and read failures throw InOutError,
// with the file closed first.
LapFileOutcome ReadLapFile(const std::string& path, const std::function<void(std::size_t)>& onCount,
                           const std::function<void(const TPosDtRec&)>& onRecord);

// All records of a lap file, or nothing for NotALapFile.
std::optional<std::vector<TPosDtRec>> ReadLapFile(const std::string& path);

// The path of the entry in `folder` (with its trailing '/', or empty for the
// current folder) whose name equals `name` ignoring ASCII letter case. An
// exact match wins; otherwise the first match in byte order. When nothing
// matches, folder + name.
std::string FindFileIgnoringCase(const std::string& folder, const std::string& name);
