#include "lapdata/loadlap.h"

#include <cmath>
#include <limits>
#include <new>

#include "common/ioerror.h"
#include "common/names.h"
#include "lapdata/calclap.h"
#include "lapdata/trackconst.h"

namespace {

// The heading step: recomputes headings from successive positions, in the
// file's convention (clockwise, 0 due south). The previous sample's heading
// becomes the mean of the bearings into and out of it.
struct HeadingStep {
    Extended previous = 0;  // P, the previous bearing

    // cosLat is cos(Lat_i / 180 × π) of sample i.
    void Run(std::vector<TPosDtRec>& pos, std::size_t i, std::size_t n, Extended cosLat) {
        if (i < 1 || !(pos[i].Speed > 1.5L)) return;
        const TPosDtRec& cur = pos[i];
        const TPosDtRec& prev = pos[i - 1];
        const Extended e = (cur.Lon - prev.Lon) * cosLat;
        const Extended nStep = cur.Lat - prev.Lat;
        Extended b;
        if (e * e + nStep * nStep > 0) {
            Extended a = std::acos(e / std::sqrt(e * e + nStep * nStep)) / kPi * 180;
            if (nStep < 0) a = 360 - a;
            b = 360 - (a + 90);
            if (b < 0) b = b + 360;
        } else {
            b = cur.Heading;
            previous = b;
        }
        if (i == 1) previous = b;
        pos[i - 1].Heading = HeadingMean(b, previous);
        if (i == n - 1) pos[i].Heading = b;
        previous = b;
    }
};

}  // namespace

Extended HeadingMean(Extended b, Extended p) {
    Extended m;
    if (b == p)
        m = (b + p) / 2;
    else if (p > b + 180 || b > p + 180)
        m = (b + p + 360) / 2;
    else
        m = (b + p) / 2;
    if (m > 360) m = m - 360;
    return m;
}

std::string DataNoOfFileName(const std::string& name) {
    if (Utf8Length(name) != 12) return {};
    return Utf8Substr(name, 4, 4);
}

void LoadLap(TLapDtRec& slot, const std::string& FileName) {
    std::size_t n = 0;
    HeadingStep heading;
    // cos(Lat / 180 × π) of every sample: the heading step and the projection
    // of the derivation both need it, so it is computed once.
    std::vector<Extended> cosLat;
    const auto prepare = [&](std::size_t count) {
        if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            throw OutOfMemoryError();
        n = count;
        slot.DataNo = DataNoOfFileName(FileNameOf(FileName));
        slot.Count = 0;
        slot.LapTime = 0;
        slot.LapDistKm = 0;
        slot.MaxSpeed = 0;
        slot.MinSpeed = 9999.9L;
        slot.AvgSpeed = 0;
        slot.MinLat = 90;
        slot.MaxLat = -90;
        slot.MinLon = 180;
        slot.MaxLon = -180;
        slot.MinAlt = 9999.9L;
        slot.MaxAlt = -999.9L;
        try {
            slot.PosData.assign(count, TPosDtRec{});
            slot.CalcData.assign(count, TCalcDtRec{});
            cosLat.resize(count);
        } catch (const std::bad_alloc&) {
            EmptyLapSlot(slot);
            throw OutOfMemoryError();
        }
    };
    const auto handle = [&](const unsigned char* bytes, std::size_t records) {
        for (std::size_t r = 0; r < records; ++r) {
            const auto k = static_cast<std::size_t>(slot.Count);
            TPosDtRec& rec = slot.PosData[k];
            DecodeLapRecord(bytes + r * kLapRecordSize, rec);
            if (rec.Speed > slot.MaxSpeed) slot.MaxSpeed = rec.Speed;
            if (rec.Speed < slot.MinSpeed) slot.MinSpeed = rec.Speed;
            if (rec.Lat < slot.MinLat) slot.MinLat = rec.Lat;
            if (rec.Lat > slot.MaxLat) slot.MaxLat = rec.Lat;
            if (rec.Lon < slot.MinLon) slot.MinLon = rec.Lon;
            if (rec.Lon > slot.MaxLon) slot.MaxLon = rec.Lon;
            if (rec.Alt < slot.MinAlt) slot.MinAlt = rec.Alt;
            if (rec.Alt > slot.MaxAlt) slot.MaxAlt = rec.Alt;
            if (k >= 1) cosLat[k] = std::cos(rec.Lat / 180 * kPi);
            heading.Run(slot.PosData, k, n, cosLat[k]);
            ++slot.Count;
        }
    };
    if (ReadLapFileRecords(FileName, prepare, handle) == LapFileOutcome::NotALapFile) return;

    const auto count = static_cast<std::size_t>(slot.Count);
    if (count < n) {
        // The file became shorter while it was read: only complete records count.
        slot.PosData.resize(count);
        slot.CalcData.resize(count);
    }
    if (count == 0) return;
    const TPosDtRec& last = slot.PosData[count - 1];
    slot.LapTime = last.Elapsed;
    slot.LapDistKm = last.DistKm;
    const Extended hours = static_cast<Extended>(slot.LapTime) * 24;
    slot.AvgSpeed = hours == 0 ? 0 : slot.LapDistKm / hours;
    CalcLap(slot, cosLat.data());
}

void LoadLap(const std::string& FileName) {
    LoadLap(LapDt[0], FileName);
}
