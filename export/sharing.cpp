#include "export/sharing.h"

#include "lapdata/loadlap.h"
#include "laplist/laplist.h"
#include "platform/files.h"

namespace {

// Loads each lap in turn and hands it to `take`; the labels of those that
// do not load go to `skipped`. True when at least one loaded.
template <class Take>
bool ForEachLap(const std::vector<LapSource>& laps, std::vector<std::string>& skipped, Take take) {
    Lap lap;
    bool any = false;
    for (const LapSource& source : laps) {
        if (!LoadLap(source.path, lap)) {
            skipped.push_back(source.label);
            continue;
        }
        take(lap);
        any = true;
    }
    return any;
}

ExportOutcome Written(bool any, std::vector<std::string> skipped,
                      const std::vector<LapSource>& laps) {
    ExportOutcome outcome;
    outcome.skipped = std::move(skipped);
    outcome.status = laps.empty() ? ExportStatus::NothingToExport
                     : any        ? ExportStatus::Written
                                  : ExportStatus::NoLapLoaded;
    return outcome;
}

}  // namespace

RacingLineLap RacingLineLapOf(const Lap& lap) {
    RacingLineLap line;
    const LapRow row = RowOfLap(lap.samples, {});
    line.dataNo = lap.dataNumber;
    line.date = row.cells[1];
    line.startTime = row.cells[2];
    line.lapTime = row.cells[3];
    line.topSpeed = row.cells[4];
    // The lap time as the caption shows it: from the first sample to the last.
    line.lapSeconds = (lap.samples.back().dateTime - lap.samples.front().dateTime) * 86'400;
    for (const TrackPoint& point : lap.track) {
        line.x.push_back(point.x);
        line.y.push_back(point.y);
        line.speedKmh.push_back(point.speed);
    }
    return line;
}

GpxLap GpxLapOf(const Lap& lap) {
    GpxLap track;
    const LapRow row = RowOfLap(lap.samples, {});
    track.name = lap.dataNumber;
    track.desc = row.cells[1] + " " + row.cells[2] + " " + row.cells[3];
    for (const Sample& s : lap.samples)
        // The file keeps the course turned by 180 degrees.
        track.samples.push_back({s.dateTime, s.lat, s.lon, s.alt, s.speed, s.heading + 180});
    return track;
}

std::optional<std::string> RacingLineOf(const std::vector<LapSource>& laps,
                                        std::vector<std::string>& skipped) {
    std::vector<RacingLineLap> lines;
    if (!ForEachLap(laps, skipped, [&](const Lap& lap) { lines.push_back(RacingLineLapOf(lap)); }))
        return std::nullopt;
    return RacingLineSvg(lines);
}

ExportOutcome ExportRacingLine(const std::vector<LapSource>& laps, const std::string& target) {
    std::vector<std::string> skipped;
    const auto svg = RacingLineOf(laps, skipped);
    if (svg) WriteFileAtomically(target, *svg);
    return Written(svg.has_value(), std::move(skipped), laps);
}

ExportOutcome ExportGpx(const std::vector<LapSource>& laps, const std::string& target,
                        const LocalToUtc& toUtc) {
    std::vector<std::string> skipped;
    std::vector<GpxLap> tracks;
    const bool any =
        ForEachLap(laps, skipped, [&](const Lap& lap) { tracks.push_back(GpxLapOf(lap)); });
    if (any) WriteFileAtomically(target, GpxText(tracks, toUtc));
    return Written(any, std::move(skipped), laps);
}

void WriteFileAtomically(const std::string& target, std::string_view bytes) {
    platform::AtomicFile file(target);
    file.Write(bytes);
    file.Commit();
}
