#include "export/overlay.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <optional>

#include "export/csvwriter.h"
#include "export/lapsahead.h"
#include "platform/files.h"
#include "text/names.h"
#include "text/numtext.h"

namespace {

// The element whose accelerations a sample's line shows: the derivation
// leaves the first and last element at zero, so the ends borrow from their
// neighbours. Nothing for a lap of one sample, which has no neighbour.
std::optional<std::size_t> GElement(std::size_t i, std::size_t count) {
    if (count < 2) return std::nullopt;
    if (i == 0) return 1;
    if (i == count - 1) return count - 2;
    return i;
}

struct OverlayKind {
    const char* header;
    bool withDistKm;
    bool closingLines;
};
constexpr OverlayKind kSelectedLaps{kOverlayHeader, true, true};
constexpr OverlayKind kPickedFiles{kPickedFilesHeader, false, false};

// Room for one line: eight numbers and their commas.
constexpr std::size_t kLineRoom = 8 * (kMaxFixedLength + 1);

// The lines of one loaded lap; the first lap to come here sets the
// reference time.
void WriteLapLines(CsvWriter& out, const Lap& lap, std::optional<DateTime>& reference,
                   const OverlayKind& kind) {
    if (!reference) reference = ReferenceTimeOf(lap);
    for (std::size_t i = 0; i < lap.samples.size(); ++i) {
        char* p = out.Room(kLineRoom);
        p = WriteFixed(p, SecondsFromReference(lap.samples[i].dateTime, *reference), 3);
        out.EndLine(WriteOverlayTail(p, lap, i, kind.withDistKm));
    }
}

// Ten more seconds of the last picture, on whole seconds after it. The sum
// is formed in Extended, whose 64-bit significand holds it exactly where a
// double's 53 bits would not (a clock 2^53 s from the reference).
void WriteClosingLines(CsvWriter& out, const Lap& lap, DateTime reference,
                       const OverlayKind& kind) {
    const std::size_t last = lap.samples.size() - 1;
    const Extended whole = std::trunc(
        static_cast<Extended>(SecondsFromReference(lap.samples[last].dateTime, reference)));
    std::string tail;
    AppendOverlayTail(tail, lap, last, kind.withDistKm);
    for (int k = 1; k <= 10; ++k) {
        char* p = WriteFixed(out.Room(kLineRoom), whole + k, 3);
        out.EndLine(std::copy(tail.begin(), tail.end(), p));
    }
}

// Writes each lap's lines as it comes, while the laps after it are loaded
// ahead on other threads. The file is started with the first lap that
// loads, so that an export of nothing leaves the target's folder untouched.
ExportOutcome ExportLaps(const std::vector<LapSource>& laps, const std::string& target,
                         const OverlayKind& kind) {
    ExportOutcome outcome;
    if (laps.empty()) return outcome;
    std::vector<std::string> paths;
    for (const LapSource& source : laps)
        paths.push_back(source.path);
    LapsAhead ahead(std::move(paths), LoadingThreads());
    std::optional<CsvWriter> out;
    std::optional<DateTime> reference;
    for (std::size_t k = 0; k < laps.size(); ++k) {
        const Lap* lap = ahead.Next();
        if (!lap) {
            outcome.skipped.push_back(laps[k].label);
            continue;
        }
        if (!out) {
            out.emplace(target);
            out->AddLine(kind.header);
        }
        WriteLapLines(*out, *lap, reference, kind);
        // Only a last lap that loaded has a last picture to hold.
        if (kind.closingLines && k + 1 == laps.size())
            WriteClosingLines(*out, *lap, *reference, kind);
    }
    if (!out) {
        outcome.status = ExportStatus::NoLapLoaded;
        return outcome;
    }
    out->Commit();
    outcome.status = ExportStatus::Written;
    return outcome;
}

}  // namespace

std::vector<LapSource> SelectedLapSources(const std::string& folder,
                                          const std::vector<LapRow>& rows, std::size_t first,
                                          std::size_t last) {
    std::vector<LapSource> sources;
    if (first > last || last >= rows.size()) return sources;
    const platform::FolderIndex index(folder);
    for (std::size_t r = first; r <= last; ++r) {
        const std::string& dataNumber = rows[r].DataNumber();
        sources.push_back({dataNumber, index.Find("temp" + dataNumber + ".dtb")});
    }
    return sources;
}

ExportOutcome ExportSelectedLaps(const std::vector<LapSource>& laps, const std::string& target) {
    return ExportLaps(laps, target, kSelectedLaps);
}

ExportOutcome ExportPickedLapFiles(const std::vector<std::string>& paths,
                                   const std::string& target) {
    std::vector<LapSource> sources;
    for (const std::string& path : paths)
        sources.push_back({path, platform::FindPathIgnoringCase(path)});
    return ExportLaps(sources, target, kPickedFiles);
}

DateTime ReferenceTimeOf(const Lap& lap) {
    assert(!lap.samples.empty());
    for (const Sample& s : lap.samples) {
        DateTimeFields f;
        if (DecodeDateTime(s.dateTime, f) && f.milliSecond % 100 == 0) return s.dateTime;
    }
    return lap.samples[0].dateTime;
}

double SecondsFromReference(DateTime dateTime, DateTime reference) {
    const double seconds = SecondsBetween(dateTime, reference);
    return dateTime < reference ? -seconds : seconds;
}

char* WriteOverlayTail(char* at, const Lap& lap, std::size_t i, bool withDistKm) {
    const Sample& sample = lap.samples[i];
    const TrackPoint& point = lap.track[i];
    const Extended zero = 0;
    const Extended* yg = &zero;
    // XG, the negated lateral acceleration, made by its sign bit in integer
    // registers (as -x is), so that it is not stored by the floating-point
    // unit and read back as integers.
    Extended xg = 0;
    if (const auto g = GElement(i, lap.samples.size())) {
        ExtendedBits bits = BitsOf(lap.track[*g].lateralGSm);
        bits.signExponent ^= 0x8000;
        StoreBits(bits, xg);
        yg = &lap.track[*g].longitudinalGSm;
    }
    *at++ = ',';
    at = WriteFixed(at, sample.elapsedSec, 3);
    *at++ = ',';
    at = WriteFixed(at, point.x, 2);
    *at++ = ',';
    at = WriteFixed(at, point.y, 2);
    *at++ = ',';
    at = WriteFixed(at, sample.speed, 2);
    *at++ = ',';
    at = WriteFixed(at, xg, 2);
    *at++ = ',';
    at = WriteFixed(at, *yg, 2);
    if (withDistKm) {
        *at++ = ',';
        at = WriteFixed(at, sample.distKm, 3);
    }
    return at;
}

void AppendOverlayTail(std::string& out, const Lap& lap, std::size_t i, bool withDistKm) {
    std::string text(kOverlayTailRoom, '\0');
    text.resize(WriteOverlayTail(text.data(), lap, i, withDistKm) - text.data());
    out += text;
}
