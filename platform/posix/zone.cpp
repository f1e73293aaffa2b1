// Local wall-clock time to UTC by the time-zone rules of the machine.
#include <time.h>

#include "platform/system.h"

namespace platform {

namespace {

// Seconds the zone is ahead of UTC at instant `utc`.
std::optional<long> OffsetAt(time_t utc) {
    tm t{};
    if (::localtime_r(&utc, &t) == nullptr) return std::nullopt;
    return t.tm_gmtoff;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

}  // namespace

std::function<std::optional<std::int64_t>(std::int64_t)> MachineLocalToUtc() {
    ::tzset();
    return [](std::int64_t localMs) -> std::optional<std::int64_t> {
        const std::int64_t local = FloorDiv(localMs, 1000);
        const std::int64_t ms = localMs - local * 1000;
        // The offsets a day before and after enclose any change near the
        // instant; each gives a candidate that holds when it maps back.
        const auto before = OffsetAt(static_cast<time_t>(local - 86'400));
        const auto after = OffsetAt(static_cast<time_t>(local + 86'400));
        if (!before || !after) return std::nullopt;
        for (const long offset : {*before, *after}) {
            const std::int64_t utc = local - offset;
            const auto there = OffsetAt(static_cast<time_t>(utc));
            if (there && *there == offset) return utc * 1000 + ms;
        }
        // In a gap: the wall-clock time that does not exist, read with the
        // offset before it.
        return (local - *before) * 1000 + ms;
    };
}

}  // namespace platform
