#include "lapdata/loadlap.h"

#include <cmath>

#include "lapdata/derive.h"
#include "lapdata/derive_detail.h"
#include "lapdata/trackconst.h"
#include "lapdata/trig.h"
#include "text/names.h"

namespace {

// The heading step: recomputes headings from successive positions, in the
// file's convention (clockwise, 0 due south). The previous sample's heading
// becomes the mean of the bearings into and out of it.
struct HeadingStep {
    Extended previous = 0;  // P, the previous bearing

    // cosLat is cos(lat_i / 180 × π) of sample i.
    void Run(std::vector<Sample>& pos, std::size_t i, std::size_t n, Extended cosLat) {
        if (i < 1 || !(pos[i].speed > 1.5L)) return;
        const Sample& cur = pos[i];
        const Sample& prev = pos[i - 1];
        const Extended e = (cur.lon - prev.lon) * cosLat;
        const Extended nStep = cur.lat - prev.lat;
        Extended b;
        if (e * e + nStep * nStep > 0) {
            Extended a = ArcCos(e / std::sqrt(e * e + nStep * nStep)) / kPi * 180;
            if (nStep < 0) a = 360 - a;
            b = 360 - (a + 90);
            if (b < 0) b = b + 360;
        } else {
            b = cur.heading;
            previous = b;
        }
        if (i == 1) previous = b;
        pos[i - 1].heading = HeadingMean(b, previous);
        if (i == n - 1) pos[i].heading = b;
        previous = b;
    }
};

// Decodes the records straight into the lap, keeping the summary and the
// headings up to date as they come.
class LapLoader final : public LapFileReader {
  public:
    LapLoader(Lap& lap, std::vector<Extended>& cosLat) : lap_(lap), cosLat_(cosLat) {}

    void Start(std::size_t records) override {
        n_ = records;
        lap_.samples.resize(records);
        cosLat_.resize(records);
    }

    void Records(const unsigned char* bytes, std::size_t records) override {
        for (std::size_t r = 0; r < records; ++r, ++loaded_) {
            const std::size_t k = loaded_;
            Sample& s = lap_.samples[k];
            DecodeSample(bytes + r * kLapRecordSize, s);
            if (s.speed > lap_.maxSpeed) lap_.maxSpeed = s.speed;
            if (s.speed < lap_.minSpeed) lap_.minSpeed = s.speed;
            if (s.lat < lap_.minLat) lap_.minLat = s.lat;
            if (s.lat > lap_.maxLat) lap_.maxLat = s.lat;
            if (s.lon < lap_.minLon) lap_.minLon = s.lon;
            if (s.lon > lap_.maxLon) lap_.maxLon = s.lon;
            if (s.alt < lap_.minAlt) lap_.minAlt = s.alt;
            if (s.alt > lap_.maxAlt) lap_.maxAlt = s.alt;
            if (k >= 1) cosLat_[k] = derive_detail::CosOfLatitude(s.lat);
            heading_.Run(lap_.samples, k, n_, cosLat_[k]);
        }
    }

    std::size_t Loaded() const { return loaded_; }

  private:
    Lap& lap_;
    std::vector<Extended>& cosLat_;
    HeadingStep heading_;
    std::size_t n_ = 0;
    std::size_t loaded_ = 0;
};

void ResetSummary(Lap& lap) {
    lap.lapTime = 0;
    lap.lapDistKm = 0;
    lap.maxSpeed = 0;
    lap.minSpeed = 9999.9L;
    lap.avgSpeed = 0;
    lap.minLat = 90;
    lap.maxLat = -90;
    lap.minLon = 180;
    lap.maxLon = -180;
    lap.minAlt = 9999.9L;
    lap.maxAlt = -999.9L;
}

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

bool LoadLap(const std::string& path, Lap& lap) {
    lap.samples.clear();
    lap.track.clear();
    lap.dataNumber = DataNumberOfFileName(FileNameOf(path));
    ResetSummary(lap);
    // cos(lat / 180 × π) of every sample: the heading step and the projection
    // of the derivation both need it, so it is computed once.
    std::vector<Extended> cosLat;
    LapLoader loader(lap, cosLat);
    const bool isLapFile = ReadLapFile(path, loader);
    // A file that became shorter while it was read: only complete records count.
    lap.samples.resize(loader.Loaded());
    cosLat.resize(loader.Loaded());
    if (!isLapFile || lap.samples.empty()) {
        lap.samples.clear();
        return false;
    }
    const Sample& last = lap.samples.back();
    lap.lapTime = last.elapsed;
    lap.lapDistKm = last.distKm;
    const Extended hours = static_cast<Extended>(lap.lapTime) * 24;
    lap.avgSpeed = hours == 0 ? 0 : lap.lapDistKm / hours;
    DeriveTrack(lap, cosLat);
    return true;
}
