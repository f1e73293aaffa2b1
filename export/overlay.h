// The overlay CSV for Quorbel: of laps selected in the lap list, and of lap
// files picked one by one. Each export is one step: the laps in order and
// the target in, the file written and what happened out.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lapdata/lap.h"
#include "laplist/laplist.h"
#include "text/datetime.h"
#include "text/numtext.h"

inline constexpr const char* kOverlayHeader = "Time,LapTm,X,Y,Spd,XG,YG,DistKm";
inline constexpr const char* kPickedFilesHeader = "Time,LapTm,X,Y,Spd,XG,YG";

// A lap to export: the file, and how the user knows it (its data number in
// the lap list, or the picked file's path).
struct LapSource {
    std::string label;
    std::string path;
};

enum class ExportStatus {
    Written,          // the target holds the laps that loaded
    NothingToExport,  // no lap was given: nothing written
    NoLapLoaded,      // not one lap loaded: nothing written
};

struct ExportOutcome {
    ExportStatus status = ExportStatus::NothingToExport;
    std::vector<std::string> skipped;  // labels of the laps that did not load, in order
};

// The laps of rows `first` to `last` (indices into `rows`) of the lap list
// of `folder`, each found by its data number as "temp" + number + ".dtb"
// whatever the letter case; the folder is listed once.
std::vector<LapSource> SelectedLapSources(const std::string& folder,
                                          const std::vector<LapRow>& rows, std::size_t first,
                                          std::size_t last);

// The overlay CSV of the selected laps: every sample on one time axis, then
// ten closing lines. Laps that are missing or no lap files are skipped; an
// Error ends the export with the target untouched.
ExportOutcome ExportSelectedLaps(const std::vector<LapSource>& laps, const std::string& target);

// The overlay CSV, without DistKm and closing lines, of lap files picked in
// this order. A path whose letter case differs from the file's is found.
ExportOutcome ExportPickedLapFiles(const std::vector<std::string>& paths,
                                   const std::string& target);

// The time axis shared by all laps of one export, set by the first lap that
// yields samples: its first sample whose millisecond part is a multiple of
// 100 (samples that cannot be shown passed over), else sample 0.
DateTime ReferenceTimeOf(const Lap& lap);

// Seconds from the reference time to `dateTime`, negative before it.
double SecondsFromReference(DateTime dateTime, DateTime reference);

// Room for the columns after Time: seven numbers and their commas.
inline constexpr std::size_t kOverlayTailRoom = 7 * (kMaxFixedLength + 1);

// Writes the columns after Time of sample i's line at `at`, which has
// kOverlayTailRoom bytes of room, each with its leading comma: LapTm, X, Y,
// Spd, XG, YG and, when `withDistKm`, DistKm. Returns the end of the text.
char* WriteOverlayTail(char* at, const Lap& lap, std::size_t i, bool withDistKm);
// The same columns appended to `out`. of sample i's line, each with its leading
// comma: LapTm, X, Y, Spd, XG, YG and, when `withDistKm`, DistKm.
void AppendOverlayTail(std::string& out, const Lap& lap, std::size_t i, bool withDistKm);
