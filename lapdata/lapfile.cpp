#include "lapdata/lapfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>

#include "common/ioerror.h"
#include "common/names.h"

namespace {

// Records read per system call.
constexpr std::size_t kRecordsPerRead = 512;

struct FileCloser {
    int fd;
    ~FileCloser() { ::close(fd); }
};

}  // namespace

void EncodeLapRecord(const TPosDtRec& r, unsigned char* b) {
    using namespace lap_record;
    std::memset(b, 0, kLapRecordSize);
    StoreLE64(std::bit_cast<std::uint64_t>(r.DateTime), b + kOffDateTime);
    StoreLE64(std::bit_cast<std::uint64_t>(r.Elapsed), b + kOffElapsed);
    EncodeExtended(r.ElapsedSec, b + kOffElapsedSec);
    EncodeExtended(r.Lat, b + kOffLat);
    EncodeExtended(r.Lon, b + kOffLon);
    EncodeExtended(r.Alt, b + kOffAlt);
    EncodeExtended(r.Speed, b + kOffSpeed);
    EncodeExtended(r.Heading, b + kOffHeading);
    EncodeExtended(r.DistKm, b + kOffDistKm);
    const auto sat = static_cast<std::uint32_t>(r.SatCount);
    for (int i = 0; i < 4; ++i)
        b[kOffSatCount + i] = static_cast<unsigned char>(sat >> (8 * i));
}

LapFileOutcome ReadLapFileRecords(
    const std::string& path, const std::function<void(std::size_t)>& onCount,
    const std::function<void(const unsigned char*, std::size_t)>& onRecords) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return LapFileOutcome::NotALapFile;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size % kLapRecordSize != 0) return LapFileOutcome::NotALapFile;
    const std::size_t count = size / kLapRecordSize;

    onCount(count);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) ThrowInOutError(errno);
    FileCloser closer{fd};

    auto buffer = std::make_unique<unsigned char[]>(kRecordsPerRead * kLapRecordSize);
    std::size_t done = 0;    // records handed over
    std::size_t filled = 0;  // bytes in the buffer
    while (done < count) {
        const std::size_t want = std::min(count - done, kRecordsPerRead) * kLapRecordSize - filled;
        const ssize_t got = ::read(fd, buffer.get() + filled, want);
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowInOutError(errno);
        }
        if (got == 0) break;  // the file became shorter: keep what was read
        filled += static_cast<std::size_t>(got);
        const std::size_t whole = filled / kLapRecordSize;
        if (whole != 0) onRecords(buffer.get(), whole);
        done += whole;
        const std::size_t rest = filled - whole * kLapRecordSize;
        if (rest != 0) std::memmove(buffer.get(), buffer.get() + whole * kLapRecordSize, rest);
        filled = rest;
    }
    return LapFileOutcome::Read;
}

std::optional<std::vector<TPosDtRec>> ReadLapFile(const std::string& path) {
    std::vector<TPosDtRec> records;
    const auto outcome = ReadLapFile(
        path, [&](std::size_t n) { records.reserve(n); },
        [&](const TPosDtRec& r) { records.push_back(r); });
    if (outcome == LapFileOutcome::NotALapFile) return std::nullopt;
    return records;
}

std::string FindFileIgnoringCase(const std::string& folder, const std::string& name) {
    const std::string exact = folder + name;
    struct stat st {};
    if (::lstat(exact.c_str(), &st) == 0) return exact;

    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return exact;
    std::string best;
    while (const dirent* entry = ::readdir(dir)) {
        if (EqualIgnoringAsciiCase(entry->d_name, name) && (best.empty() || best > entry->d_name))
            best = entry->d_name;
    }
    ::closedir(dir);
    return best.empty() ? exact : folder + best;
}
