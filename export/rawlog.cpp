#include "export/rawlog.h"

#include "export/csvwriter.h"
#include "platform/files.h"
#include "text/datetime.h"
#include "text/numtext.h"

namespace {

// Reads the records straight into the caller's buffer.
class RawLogReader final : public LapFileReader {
  public:
    explicit RawLogReader(std::vector<Sample>& records) : records_(records) {}
    void Start(std::size_t count) override {
        records_.clear();
        records_.reserve(count);
    }
    void Records(const unsigned char* bytes, std::size_t count) override {
        for (std::size_t k = 0; k < count; ++k)
            DecodeSample(bytes + k * kLapRecordSize, records_.emplace_back());
    }

  private:
    std::vector<Sample>& records_;
};

}  // namespace

bool ReadRawLog(const std::string& path, std::vector<Sample>& records) {
    RawLogReader reader(records);
    try {
        return ReadLapFile(platform::FindPathIgnoringCase(path), reader);
    } catch (...) {
        records = {};  // never half a lap, nor the memory it took
        throw;
    }
}

void ExportRawLog(const std::vector<Sample>& records, const std::string& target) {
    CsvWriter out(target);
    out.AddLine(kRawLogHeader);
    std::string line;
    for (const Sample& record : records) {
        line.clear();
        AppendRawLogLine(line, record);
        out.AddLine(line);
    }
    out.Commit();
}

void AppendRawLogLine(std::string& out, const Sample& rec) {
    // An unshowable date-time leaves its field empty; the comma stays.
    AppendDateTime(out, "yyyy/mm/dd hh:nn:ss.zzz", rec.dateTime);
    out += ',';
    AppendDateTime(out, "hh:nn:ss.zzz", rec.elapsed);
    out += ',';
    AppendFixed(out, rec.elapsedSec, 3);
    out += ',';
    AppendFixed(out, rec.lat, 7);
    out += ',';
    AppendFixed(out, rec.lon, 7);
    out += ',';
    AppendFixed(out, rec.alt, 2);
    out += ',';
    AppendFixed(out, rec.speed, 2);
    out += ',';
    // The file keeps the course turned by 180 degrees; the log shows the compass.
    Extended compass = rec.heading + 180;
    if (compass >= 360) compass -= 360;
    AppendFixed(out, compass, 2);
    out += ',';
    AppendFixed(out, rec.distKm, 3);
    out += ',';
    AppendInt(out, rec.satCount);
}
