// The lap file: a plain sequence of 128-byte records, one GPS sample each,
// and the one rule by which every reader takes such a file.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "text/datetime.h"
#include "text/extended.h"

constexpr std::size_t kLapRecordSize = 128;

// Field offsets inside a record; the bytes between fields belong to none.
namespace lap_record {
constexpr std::size_t kOffDateTime = 0, kOffElapsed = 8, kOffElapsedSec = 16, kOffLat = 32,
                      kOffLon = 48, kOffAlt = 64, kOffSpeed = 80, kOffHeading = 96,
                      kOffDistKm = 112, kOffSatCount = 124;
}

// One GPS sample as held in memory.
struct Sample {
    DateTime dateTime = 0;    // when the sample was taken
    DateTime elapsed = 0;     // time since the start of the lap, as a day fraction
    Extended elapsedSec = 0;  // time since the start of the lap, seconds
    Extended lat = 0;         // degrees, north positive
    Extended lon = 0;         // degrees, east positive
    Extended alt = 0;         // in the logger's unit
    Extended speed = 0;       // km/h
    Extended heading = 0;     // compass course + 180, reduced below 360
    Extended distKm = 0;      // distance since the start of the lap
    std::int32_t satCount = 0;
};

// Decodes one 128-byte record; the gap bytes between fields are never read.
inline void DecodeSample(const unsigned char* bytes, Sample& sample);
// Writes a record with zero gap bytes (for tools and tests).
void EncodeSample(const Sample& sample, unsigned char* bytes);

// Receives a lap file as it is read: Start(N) once with the number of
// records, then Records for each run of whole records, in file order.
class LapFileReader {
  public:
    virtual void Start(std::size_t records) = 0;
    virtual void Records(const unsigned char* records, std::size_t count) = 0;

  protected:
    ~LapFileReader() = default;
};

// Reads a lap file: a missing entry, something that is not a regular file or
// a size that is not a multiple of 128 is no lap file (false), silently. A
// file that shrinks while read ends early with the complete records read so
// far. Open and read failures throw Error.
bool ReadLapFile(const std::string& path, LapFileReader& reader);

// The same, one decoded sample at a time.
template <class OnSample>
bool ReadLapSamples(const std::string& path, OnSample&& onSample) {
    struct Decoder final : LapFileReader {
        OnSample& onSample;
        explicit Decoder(OnSample& f) : onSample(f) {}
        void Start(std::size_t) override {}
        void Records(const unsigned char* bytes, std::size_t count) override {
            Sample sample;
            for (std::size_t k = 0; k < count; ++k) {
                DecodeSample(bytes + k * kLapRecordSize, sample);
                onSample(static_cast<const Sample&>(sample));
            }
        }
    } decoder(onSample);
    return ReadLapFile(path, decoder);
}

inline void DecodeSample(const unsigned char* b, Sample& s) {
    using namespace lap_record;
    s.dateTime = std::bit_cast<double>(LoadLE64(b + kOffDateTime));
    s.elapsed = std::bit_cast<double>(LoadLE64(b + kOffElapsed));
    s.elapsedSec = DecodeExtended(b + kOffElapsedSec);
    s.lat = DecodeExtended(b + kOffLat);
    s.lon = DecodeExtended(b + kOffLon);
    s.alt = DecodeExtended(b + kOffAlt);
    s.speed = DecodeExtended(b + kOffSpeed);
    s.heading = DecodeExtended(b + kOffHeading);
    s.distKm = DecodeExtended(b + kOffDistKm);
    const unsigned char* c = b + kOffSatCount;
    s.satCount = static_cast<std::int32_t>(std::uint32_t(c[0]) | std::uint32_t(c[1]) << 8 |
                                           std::uint32_t(c[2]) << 16 | std::uint32_t(c[3]) << 24);
}
