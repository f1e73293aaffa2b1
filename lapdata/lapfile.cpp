#include "lapdata/lapfile.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/files.h"

namespace {

// Records read per call.
constexpr std::size_t kRecordsPerRead = 512;

}  // namespace

void EncodeSample(const Sample& s, unsigned char* b) {
    using namespace lap_record;
    std::memset(b, 0, kLapRecordSize);
    StoreLE64(std::bit_cast<std::uint64_t>(s.dateTime), b + kOffDateTime);
    StoreLE64(std::bit_cast<std::uint64_t>(s.elapsed), b + kOffElapsed);
    EncodeExtended(s.elapsedSec, b + kOffElapsedSec);
    EncodeExtended(s.lat, b + kOffLat);
    EncodeExtended(s.lon, b + kOffLon);
    EncodeExtended(s.alt, b + kOffAlt);
    EncodeExtended(s.speed, b + kOffSpeed);
    EncodeExtended(s.heading, b + kOffHeading);
    EncodeExtended(s.distKm, b + kOffDistKm);
    const auto sat = static_cast<std::uint32_t>(s.satCount);
    for (int i = 0; i < 4; ++i)
        b[kOffSatCount + i] = static_cast<unsigned char>(sat >> (8 * i));
}

bool ReadLapFile(const std::string& path, LapFileReader& reader) {
    auto file = platform::InputFile::Open(path);
    if (!file || file->Size() % kLapRecordSize != 0) return false;
    const std::size_t count = file->Size() / kLapRecordSize;
    reader.Start(count);

    // Not zeroed first: only bytes read are used.
    auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kRecordsPerRead * kLapRecordSize);
    std::size_t done = 0;    // records handed over
    std::size_t filled = 0;  // bytes in the buffer
    while (done < count) {
        const std::size_t want = std::min(count - done, kRecordsPerRead) * kLapRecordSize - filled;
        const std::size_t got = file->Read(buffer.get() + filled, want);
        if (got == 0) break;  // the file became shorter: keep what was read
        filled += got;
        const std::size_t whole = filled / kLapRecordSize;
        if (whole != 0) reader.Records(buffer.get(), whole);
        done += whole;
        const std::size_t rest = filled - whole * kLapRecordSize;
        if (rest != 0) std::memmove(buffer.get(), buffer.get() + whole * kLapRecordSize, rest);
        filled = rest;
    }
    return true;
}
