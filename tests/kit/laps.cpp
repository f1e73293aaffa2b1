#include "tests/kit/laps.h"

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

DateTime At(int year, int month, int day, int hour, int minute, int second, int msec) {
    const long days = DaysFromCivil(year, month, day) + 25569;
    const long msOfDay = ((hour * 60L + minute) * 60 + second) * 1000 + msec;
    return static_cast<double>(days) + static_cast<double>(msOfDay) / 86'400'000.0;
}

Sample MakeSample(DateTime dateTime, Extended lat, Extended lon, Extended speed,
                  Extended elapsedSec, Extended heading) {
    Sample s;
    s.dateTime = dateTime;
    s.lat = lat;
    s.lon = lon;
    s.speed = speed;
    s.elapsedSec = elapsedSec;
    s.elapsed = static_cast<double>(elapsedSec / 86400);
    s.heading = heading;
    return s;
}

std::vector<Sample> StraightLap(DateTime start, int count, double stepSeconds, Extended speed) {
    std::vector<Sample> samples;
    for (int i = 0; i < count; ++i) {
        const double t = i * stepSeconds;
        Sample s = MakeSample(start + t / 86400.0, 35.0L, 139.0L + i * 1e-5L, speed, t);
        s.distKm = static_cast<Extended>(speed) * t / 3600;
        s.satCount = 9;
        samples.push_back(s);
    }
    return samples;
}

std::string LapBytes(const std::vector<Sample>& samples) {
    std::string bytes(samples.size() * kLapRecordSize, '\0');
    for (std::size_t k = 0; k < samples.size(); ++k)
        EncodeSample(samples[k],
                     reinterpret_cast<unsigned char*>(bytes.data()) + k * kLapRecordSize);
    return bytes;
}

Lap LapOf(std::vector<Sample> samples) {
    Lap lap;
    lap.samples = std::move(samples);
    return lap;
}
