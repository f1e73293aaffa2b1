// What a window keeps while it runs, and the commands its controls start:
// each command is the flow of questions around one export step. The window
// toolkits only wire their controls to these.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/prompts.h"
#include "lapdata/lapfile.h"
#include "laplist/laplist.h"

// The two programs differ in the version in the caption and in how they
// find the folder of the lap files.
struct ProgramVersion {
    const char* version;
    std::string (*findDataFolder)();
};
extern const ProgramVersion kVersion1;  // 1.1.0: the install path in the registry
extern const ProgramVersion kVersion2;  // 2.0.0: the machine-wide application data

struct Session {
    std::string dataFolder;                 // with its trailing delimiter; empty: current folder
    std::vector<std::string> lapFileNames;  // found at start, sorted
    std::vector<LapRow> lapRows;            // the lap list
    std::vector<Sample> rawLog;             // the records of the last raw log export
};

// The session at start: the data folder and the lap file names in it. The
// lap list stays empty until FillLapList.
Session StartSession(const ProgramVersion& version);

// Fills the lap list once; an Error ends it with the rows made so far kept.
void FillLapList(Session& session);

// The rows selected in the lap list, as indices into session.lapRows.
struct RowRange {
    std::size_t first = 0;
    std::size_t last = 0;
};

// The export button: the selected laps into one overlay CSV of the user's
// choice. Does nothing when no lap is listed.
void ExportSelectedLapsCommand(const Session& session, std::optional<RowRange> selection,
                               Prompts& prompts);
// The hidden command: lap files picked one by one, in the order picked.
void ExportPickedLapFilesCommand(const Session& session, Prompts& prompts);
// The hidden command: every record of one lap file.
void ExportRawLogCommand(Session& session, Prompts& prompts);

// The racing line picture (SVG) of the selected laps, for a preview. An
// Error when not one of them loads.
std::string RacingLineOfSelection(const Session& session, std::optional<RowRange> selection);

// A picture as PNG bytes: the window toolkit draws the SVG.
using PngRenderer = std::function<std::string(const std::string& svg)>;

// The racing line of the selected laps into a file of the user's choice:
// PNG when its name ends in ".png", SVG otherwise.
void SaveRacingLineCommand(const Session& session, std::optional<RowRange> selection,
                           Prompts& prompts, const PngRenderer& renderPng);
// The selected laps as GPX, with the machine's time zone.
void SaveGpxCommand(const Session& session, std::optional<RowRange> selection, Prompts& prompts);

// Where the lap list looked and, when it found nothing, a sentence saying so.
std::string LapListHint(const Session& session);
