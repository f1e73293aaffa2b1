// The selected laps beyond the CSV: their racing line as an SVG picture and
// their tracks as GPX, each written whole in the target's place.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/gpx.h"
#include "export/overlay.h"
#include "export/racingline.h"
#include "lapdata/lap.h"

// A loaded lap in the picture's terms: its path, its speeds and the texts
// the lap list shows for it.
RacingLineLap RacingLineLapOf(const Lap& lap);
// A loaded lap as a GPX track.
GpxLap GpxLapOf(const Lap& lap);

// The picture of the laps that load, or nothing when not one does. The
// labels of the laps that did not load are added to `skipped`.
std::optional<std::string> RacingLineOf(const std::vector<LapSource>& laps,
                                        std::vector<std::string>& skipped);

// The picture (SVG) or the tracks (GPX) of the laps into `target`, written
// only when at least one lap loads.
ExportOutcome ExportRacingLine(const std::vector<LapSource>& laps, const std::string& target);
ExportOutcome ExportGpx(const std::vector<LapSource>& laps, const std::string& target,
                        const LocalToUtc& toUtc);

// Writes `bytes` to `target` through a temporary file renamed into place.
void WriteFileAtomically(const std::string& target, std::string_view bytes);
