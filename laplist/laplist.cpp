#include "laplist/laplist.h"

#include <algorithm>
#include <bit>
#include <exception>
#include <thread>

#include "platform/files.h"

#include "lapdata/lapfile.h"
#include "text/datetime.h"
#include "text/names.h"
#include "text/numtext.h"

namespace {

// What a row needs of a lap's samples, taken as they come.
struct LapSummary {
    std::size_t samples = 0;
    DateTime first = 0;
    DateTime last = 0;
    Extended topSpeed = 0;  // never below 0
    Extended lastDistKm = 0;

    void Add(const Sample& s) {
        if (samples++ == 0) first = s.dateTime;
        last = s.dateTime;
        if (s.speed > topSpeed) topSpeed = s.speed;
        lastDistKm = s.distKm;
    }
    LapRow Row(const std::string& fileName) const;
};

std::string DateTimeText(const char* pattern, DateTime value) {
    std::string text;
    AppendDateTime(text, pattern, value);  // an unshowable value leaves the cell empty
    return text;
}

// The lap time, in the long form from one hour on. The form is chosen on
// the value as it will be shown, rounded to whole milliseconds, so a lap a
// hair short of one hour does not show 0:00.000.
std::string LapTimeText(DateTime first, DateTime last) {
    const auto d =
        static_cast<DateTime>(static_cast<Extended>(last) - static_cast<Extended>(first));
    std::int64_t msecs = 0;
    if (!RoundToMilliseconds(d, msecs)) return {};
    return DateTimeText(msecs >= kMSecsPerDay / 24 ? "h:nn:ss.zzz" : "n:ss.zzz", d);
}

LapRow LapSummary::Row(const std::string& fileName) const {
    LapRow row;
    row.fileName = fileName;
    row.cells[0] = DataNumberOfFileName(fileName);
    row.cells[1] = DateTimeText("yyyy/mm/dd", first);
    row.cells[2] = DateTimeText("hh:nn:ss", first);
    row.cells[3] = LapTimeText(first, last);
    AppendFixed(row.cells[4], topSpeed, 2);
    AppendFixed(row.cells[5], lastDistKm, 2);
    return row;
}

}  // namespace

void ListLaps(const std::string& folder, const std::vector<std::string>& names,
              std::vector<LapRow>& rows) {
    // The stamps decide which files the walk reaches; those are then read
    // on one thread a core, each thread a run of consecutive files.
    std::vector<std::string> paths;
    std::optional<platform::FileStamp> previous;
    for (const std::string& name : names) {
        std::string path = folder + name;
        const auto stamp = platform::StampOf(path);
        if (!stamp) continue;
        if (previous && *stamp < *previous) break;
        paths.push_back(std::move(path));
        previous = stamp;
    }
    // What each file gave, in order; a run stops at its first error.
    struct Run {
        std::size_t begin = 0, end = 0;
        std::vector<std::optional<LapRow>> rows;
        std::exception_ptr error;
    };
    constexpr std::size_t kFilesPerThread = 16;
    const std::size_t threads = std::clamp<std::size_t>(
        paths.size() / kFilesPerThread, 1, std::max(std::thread::hardware_concurrency(), 1u));
    std::vector<Run> runs(threads);
    const auto summarise = [&paths](Run& run) {
        try {
            for (std::size_t k = run.begin; k < run.end; ++k)
                run.rows.push_back(SummariseLapFile(paths[k]));
        } catch (...) {
            run.error = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> workers;
        for (std::size_t t = 0; t < threads; ++t) {
            runs[t].begin = paths.size() * t / threads;
            runs[t].end = paths.size() * (t + 1) / threads;
            if (t == 0) continue;
            workers.emplace_back([&summarise, &run = runs[t]] {
                UseExtendedPrecision();  // decoding and the row's numbers need it
                summarise(run);
            });
        }
        summarise(runs[0]);
    }
    for (Run& run : runs) {
        for (std::optional<LapRow>& row : run.rows)
            if (row) rows.push_back(std::move(*row));
        if (run.error) std::rethrow_exception(run.error);
    }
}

std::optional<LapRow> SummariseLapFile(const std::string& path) {
    // Only the fields a row shows are decoded: the walk reads every lap.
    struct Summariser final : LapFileReader {
        LapSummary lap;
        void Start(std::size_t) override {}
        void Records(const unsigned char* bytes, std::size_t count) override {
            using namespace lap_record;
            Sample s;
            for (std::size_t k = 0; k < count; ++k, bytes += kLapRecordSize) {
                s.dateTime = std::bit_cast<double>(LoadLE64(bytes + kOffDateTime));
                s.speed = DecodeExtended(bytes + kOffSpeed);
                s.distKm = DecodeExtended(bytes + kOffDistKm);
                lap.Add(s);
            }
        }
    } summariser;
    const bool isLapFile = ReadLapFile(path, summariser);
    const LapSummary& lap = summariser.lap;
    // An empty lap file has no sample to take a date, times or a distance from.
    if (!isLapFile || lap.samples == 0) return std::nullopt;
    return lap.Row(FileNameOf(path));
}

LapRow RowOfLap(const std::vector<Sample>& samples, const std::string& fileName) {
    LapSummary lap;
    for (const Sample& s : samples)
        lap.Add(s);
    return lap.Row(fileName);
}
