#include "export/overlay.h"

#include <sys/stat.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "common/names.h"
#include "common/numtext.h"
#include "lapdata/lapfile.h"
#include "lapdata/loadlap.h"

namespace {

// Room for one sample line, so that the lines of a lap grow the text once.
constexpr std::size_t kLineBytes = 64;

// The element whose accelerations a sample's line shows: the derivation
// leaves the first and last element at zero, so the ends borrow from their
// neighbours.
std::int32_t GElement(std::int32_t i, std::int32_t count) {
    if (i == 0) return 1;
    if (i == count - 1) return count - 2;
    return i;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

TLapDtRec& WorkingSlot() {
    if (LapDt.empty()) throw std::logic_error("the working lap slot is not set up");
    return LapDt[0];
}

// Loads each path into the working slot and adds its lines; the slot is
// empty again after every lap, also when an error ends the export.
template <typename PathOf>
void AddLapsFromSlot(CsvLines& lines, std::size_t laps, PathOf pathOf, bool withDistKm,
                     bool closingLines) {
    TLapDtRec& slot = WorkingSlot();
    ReferenceTime reference;
    try {
        for (std::size_t k = 0; k < laps; ++k) {
            slot.Count = 0;
            LoadLap(pathOf(k));
            if (slot.Count == 0) continue;  // missing, not a lap file, or empty
            AddOverlayLines(lines, slot, reference, withDistKm, closingLines && k + 1 == laps);
            EmptyLapSlot(slot);
        }
    } catch (...) {
        EmptyLapSlot(slot);
        throw;
    }
}

}  // namespace

TDateTime ReferenceTimeOf(const TLapDtRec& lap) {
    for (std::int32_t i = 0; i < lap.Count; ++i) {
        DateTimeFields f;
        const TDateTime t = lap.PosData[static_cast<std::size_t>(i)].DateTime;
        if (DecodeDateTime(t, f) && f.MilliSecond % 100 == 0) return t;
    }
    return lap.PosData[0].DateTime;
}

double SecondsFromReference(TDateTime dateTime, TDateTime reference) {
    const double seconds = SecondsBetween(dateTime, reference);
    return dateTime < reference ? -seconds : seconds;
}

void AppendOverlayTail(std::string& out, const TLapDtRec& lap, std::int32_t i, bool withDistKm) {
    const TPosDtRec& pos = lap.PosData[static_cast<std::size_t>(i)];
    const TCalcDtRec& calc = lap.CalcData[static_cast<std::size_t>(i)];
    Extended xg = 0, yg = 0;  // a lap of one sample has no neighbour to borrow from
    const std::int32_t g = GElement(i, lap.Count);
    if (g >= 0 && g < lap.Count) {
        const TCalcDtRec& gElement = lap.CalcData[static_cast<std::size_t>(g)];
        xg = -gElement.LateralGSm;
        yg = gElement.LongitudinalGSm;
    }
    out += ',';
    AppendFixed(out, pos.ElapsedSec, 3);
    out += ',';
    AppendFixed(out, calc.X, 2);
    out += ',';
    AppendFixed(out, calc.Y, 2);
    out += ',';
    AppendFixed(out, pos.Speed, 2);
    out += ',';
    AppendFixed(out, xg, 2);
    out += ',';
    AppendFixed(out, yg, 2);
    if (withDistKm) {
        out += ',';
        AppendFixed(out, pos.DistKm, 3);
    }
}

void AddOverlayLines(CsvLines& lines, const TLapDtRec& lap, ReferenceTime& reference,
                     bool withDistKm, bool closingLines) {
    const std::int32_t count = lap.Count;
    if (count <= 0) return;
    if (!reference.Set) {
        reference.Value = ReferenceTimeOf(lap);
        reference.Set = true;
    }
    lines.text.reserve(lines.text.size() + (static_cast<std::size_t>(count) + 10) * kLineBytes);
    std::string line;
    double time = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        line.clear();
        time = SecondsFromReference(lap.PosData[static_cast<std::size_t>(i)].DateTime,
                                    reference.Value);
        AppendFixed(line, time, 3);
        AppendOverlayTail(line, lap, i, withDistKm);
        lines.Add(line);
    }
    if (!closingLines) return;
    // Ten more seconds of the last picture, on whole seconds after it.
    std::string tail;
    AppendOverlayTail(tail, lap, count - 1, withDistKm);
    const double wholeSeconds = std::trunc(time);
    for (int k = 1; k <= 10; ++k) {
        line.clear();
        AppendFixed(line, wholeSeconds + k, 3);
        line += tail;
        lines.Add(line);
    }
}

void ButtonCnvClick(const std::string& TempDir, const LapGrid& grid, ExportPrompts& prompts) {
    if (grid.Cell(0, 1).empty()) return;  // no lap listed
    const auto entered = prompts.AskSavePath("");
    if (!entered) return;
    const std::string target = ChangeExtToCsv(*entered);
    const std::string targetName = FileNameOf(target);
    if (FileExists(target) &&
        !prompts.AskYesNoWarning(targetName + " は既に存在します。\r上書きしますか?"))
        return;

    CsvLines lines;
    lines.Add(kOverlayHeader);
    const int top = grid.SelectionTop();
    const int bottom = grid.SelectionBottom();
    if (bottom >= top) {
        AddLapsFromSlot(
            lines, static_cast<std::size_t>(bottom - top + 1),
            [&](std::size_t k) {
                const std::string dataNo = grid.Cell(0, top + static_cast<int>(k));
                return FindFileIgnoringCase(TempDir, "temp" + dataNo + ".dtb");
            },
            true, true);
    }
    WriteCsvFile(target, lines);
    prompts.ShowInformation(targetName + " を出力しました。");
}

void Button1Click(const std::string& TempDir, ExportPrompts& prompts) {
    std::vector<std::string> picked;
    prompts.SetOpenFolder(TempDir);
    while (auto path = prompts.AskOpenPath())
        picked.push_back(std::move(*path));
    if (picked.empty()) return;
    const auto entered = prompts.AskSavePath(ChangeExtToCsv(FileNameOf(picked.front())));
    if (!entered) return;
    const std::string target = ChangeExtToCsv(*entered);

    CsvLines lines;
    lines.Add(kChosenFilesHeader);
    AddLapsFromSlot(
        lines, picked.size(), [&](std::size_t k) { return picked[k]; }, false, false);
    WriteCsvFile(target, lines);
}
