// The overlay CSV for Quorbel: of the laps selected in the lap list
// (ButtonCnvClick) and of lap files picked one by one (Button1Click).
#pragma once

#include <cstdint>
#include <string>

#include "common/csvfile.h"
#include "common/datetime.h"
#include "export/prompts.h"
#include "lapdata/lapslot.h"
#include "laplist/lapgrid.h"

inline constexpr const char* kOverlayHeader = "Time,LapTm,X,Y,Spd,XG,YG,DistKm";
inline constexpr const char* kChosenFilesHeader = "Time,LapTm,X,Y,Spd,XG,YG";

// The time axis shared by all laps of one export, set by the first lap that
// yields samples.
struct ReferenceTime {
    bool Set = false;
    TDateTime Value = 0;
};

// The reference time a lap sets: the first sample whose millisecond part is
// a multiple of 100 (samples that cannot be shown passed over), else
// sample 0. The lap holds at least one sample.
TDateTime ReferenceTimeOf(const TLapDtRec& lap);

// Seconds from the reference time to `dateTime`, negative before it.
double SecondsFromReference(TDateTime dateTime, TDateTime reference);

// Appends the columns after Time of sample i's line, each with its leading
// comma: LapTm, X, Y, Spd, XG, YG and, when `withDistKm`, DistKm.
void AppendOverlayTail(std::string& out, const TLapDtRec& lap, std::int32_t i, bool withDistKm);

// Appends the lines of a loaded lap: one per sample, then with
// `closingLines` the ten lines that hold the picture after the last sample.
// The first lap to come here sets the reference time.
void AddOverlayLines(CsvLines& lines, const TLapDtRec& lap, ReferenceTime& reference,
                     bool withDistKm, bool closingLines);

// The export button: the laps of the rows selected in `grid`, loaded from
// `TempDir` into LapDt[0] one at a time, into one CSV of the user's choice.
void ButtonCnvClick(const std::string& TempDir, const LapGrid& grid, ExportPrompts& prompts);

// The hidden command: lap files picked one by one, in the order picked.
void Button1Click(const std::string& TempDir, ExportPrompts& prompts);
