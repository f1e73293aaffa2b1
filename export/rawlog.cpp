#include "export/rawlog.h"

#include <new>
#include <stdexcept>

#include "common/csvfile.h"
#include "common/ioerror.h"
#include "common/names.h"
#include "common/numtext.h"

namespace {

// Reads the lap file into `PosBuf`; false (and PosBuf untouched) when it is
// not a lap file.
bool ReadIntoPosBuf(const std::string& path, std::vector<TPosDtRec>& PosBuf) {
    const auto outcome = ReadLapFile(
        path,
        [&PosBuf](std::size_t count) {
            PosBuf.clear();
            try {
                PosBuf.reserve(count);
            } catch (const std::bad_alloc&) {
                PosBuf = {};
                throw OutOfMemoryError();
            } catch (const std::length_error&) {
                PosBuf = {};
                throw OutOfMemoryError();
            }
        },
        [&PosBuf](const TPosDtRec& rec) { PosBuf.push_back(rec); });
    return outcome == LapFileOutcome::Read;
}

}  // namespace

void AppendRawLogLine(std::string& out, const TPosDtRec& rec) {
    // An unshowable date-time leaves its field empty; the comma stays.
    AppendDateTime(out, "yyyy/mm/dd hh:nn:ss.zzz", rec.DateTime);
    out += ',';
    AppendDateTime(out, "hh:nn:ss.zzz", rec.Elapsed);
    out += ',';
    AppendFixed(out, rec.ElapsedSec, 3);
    out += ',';
    AppendFixed(out, rec.Lat, 7);
    out += ',';
    AppendFixed(out, rec.Lon, 7);
    out += ',';
    AppendFixed(out, rec.Alt, 2);
    out += ',';
    AppendFixed(out, rec.Speed, 2);
    out += ',';
    // The file keeps the course turned by 180 degrees; the log shows the compass.
    Extended compass = rec.Heading + 180;
    if (compass >= 360) compass -= 360;
    AppendFixed(out, compass, 2);
    out += ',';
    AppendFixed(out, rec.DistKm, 3);
    out += ',';
    AppendInt(out, rec.SatCount);
}

void ButtonGoClick(const std::string& TempDir, ExportPrompts& prompts,
                   std::vector<TPosDtRec>& PosBuf) {
    prompts.SetOpenFolder(TempDir);
    const auto path = prompts.AskOpenPath();
    if (!path) return;
    if (!ReadIntoPosBuf(*path, PosBuf)) return;
    const auto entered = prompts.AskSavePath(ChangeExtToCsv(FileNameOf(*path)));
    if (!entered) {
        PosBuf = {};
        return;
    }
    const std::string target = ChangeExtToCsv(*entered);

    CsvLines lines;
    lines.Add(kRawLogHeader);
    std::string line;
    for (const TPosDtRec& rec : PosBuf) {
        line.clear();
        AppendRawLogLine(line, rec);
        lines.Add(line);
    }
    WriteCsvFile(target, lines);
}
