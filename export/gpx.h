// Laps as GPX 1.1 tracks for map viewers: one track per lap, with speed and
// course in Garmin's TrackPointExtension.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/datetime.h"
#include "text/extended.h"

struct GpxSample {
    DateTime dateTime = 0;  // days since 1899-12-30, the logger's local wall-clock
    Extended lat = 0, lon = 0, alt = 0;
    Extended speedKmh = 0;
    Extended courseDeg = 0;  // compass course, any turn count
};

struct GpxLap {
    std::string name;  // data number
    std::string desc;  // date, start time, lap time
    std::vector<GpxSample> samples;
};

// The UTC instant of a local wall-clock instant, both as milliseconds since
// 1970-01-01 00:00; nothing when it cannot be converted.
using LocalToUtc = std::function<std::optional<std::int64_t>(std::int64_t localMs)>;

// A clock that runs `minutes` ahead of UTC.
LocalToUtc FixedUtcOffset(int minutes);

// Minutes ahead of UTC of "+09:00", "-03:30", "+0930", "+09" or "Z"; nothing
// for other text or beyond ±14:00.
std::optional<int> ParseUtcOffset(std::string_view text);

// The GPX document. A sample is left out when its date-time cannot be shown
// or converted, or its latitude or longitude is not a finite value in range;
// elevation, speed and course are left out one by one when not finite (and a
// negative speed too).
std::string GpxText(const std::vector<GpxLap>& laps, const LocalToUtc& toUtc);
