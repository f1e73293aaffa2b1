// The lap file: a plain sequence of 128-byte records, one GPS sample each,
// and the one rule by which every reader takes such a file.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/extended.h"

constexpr std::size_t kLapRecordSize = 128;

// Field offsets inside a record; the bytes between fields belong to none.
namespace lap_record {
constexpr std::size_t kOffDateTime = 0, kOffElapsed = 8, kOffElapsedSec = 16, kOffLat = 32,
                      kOffLon = 48, kOffAlt = 64, kOffSpeed = 80, kOffHeading = 96,
                      kOffDistKm = 112, kOffSatCount = 124;
}

// One GPS sample as held in memory.
struct TPosDtRec {
    TDateTime DateTime = 0;   // when the sample was taken
    TDateTime Elapsed = 0;    // time since the start of the lap, as a day fraction
    Extended ElapsedSec = 0;  // time since the start of the lap, seconds
    Extended Lat = 0;         // degrees, north positive
    Extended Lon = 0;         // degrees, east positive
    Extended Alt = 0;         // in the logger's unit
    Extended Speed = 0;       // km/h
    Extended Heading = 0;     // compass course + 180, reduced below 360
    Extended DistKm = 0;      // distance since the start of the lap
    std::int32_t SatCount = 0;
};

// Decodes one 128-byte record; the gap bytes between fields are never read.
inline void DecodeLapRecord(const unsigned char* bytes, TPosDtRec& rec);
// Writes a record with zero gap bytes (for tools and tests).
void EncodeLapRecord(const TPosDtRec& rec, unsigned char* bytes);

enum class LapFileOutcome { Read, NotALapFile };

// Reads a lap file: a missing entry, something that is not a regular file or
// a size that is not a multiple of 128 is NotALapFile, silently. Otherwise
// onCount(N) is called once before the file is opened, then onRecords for
// each run of whole records read, in file order. A file that shrinks while
// read ends early with the complete records read so far. Open and read
// failures throw InOutError, with the file closed first.
LapFileOutcome ReadLapFileRecords(
    const std::string& path, const std::function<void(std::size_t)>& onCount,
    const std::function<void(const unsigned char* records, std::size_t count)>& onRecords);

// The same, one decoded record at a time: onRecord(const TPosDtRec&).
template <class OnCount, class OnRecord>
LapFileOutcome ReadLapFile(const std::string& path, OnCount&& onCount, OnRecord&& onRecord) {
    TPosDtRec rec;
    return ReadLapFileRecords(path, onCount, [&](const unsigned char* bytes, std::size_t count) {
        for (std::size_t k = 0; k < count; ++k) {
            DecodeLapRecord(bytes + k * kLapRecordSize, rec);
            onRecord(static_cast<const TPosDtRec&>(rec));
        }
    });
}

// All records of a lap file, or nothing for NotALapFile.
std::optional<std::vector<TPosDtRec>> ReadLapFile(const std::string& path);

// The path of the entry in `folder` (with its trailing '/', or empty for the
// current folder) whose name equals `name` ignoring ASCII letter case. An
// exact match wins; otherwise the first match in byte order. When nothing
// matches, folder + name.
std::string FindFileIgnoringCase(const std::string& folder, const std::string& name);

inline void DecodeLapRecord(const unsigned char* b, TPosDtRec& r) {
    using namespace lap_record;
    r.DateTime = std::bit_cast<double>(LoadLE64(b + kOffDateTime));
    r.Elapsed = std::bit_cast<double>(LoadLE64(b + kOffElapsed));
    r.ElapsedSec = DecodeExtended(b + kOffElapsedSec);
    r.Lat = DecodeExtended(b + kOffLat);
    r.Lon = DecodeExtended(b + kOffLon);
    r.Alt = DecodeExtended(b + kOffAlt);
    r.Speed = DecodeExtended(b + kOffSpeed);
    r.Heading = DecodeExtended(b + kOffHeading);
    r.DistKm = DecodeExtended(b + kOffDistKm);
    const unsigned char* s = b + kOffSatCount;
    r.SatCount = static_cast<std::int32_t>(std::uint32_t(s[0]) | std::uint32_t(s[1]) << 8 |
                                           std::uint32_t(s[2]) << 16 | std::uint32_t(s[3]) << 24);
}
