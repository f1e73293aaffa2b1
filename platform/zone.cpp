// Local wall-clock time to UTC by the time-zone rules of the machine.
#include "platform/entries.h"
#include "platform/system.h"

namespace platform {

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

}  // namespace

std::function<std::optional<std::int64_t>(std::int64_t)> MachineLocalToUtc() {
    auto offsetAt = detail::MachineZoneOffsets();
    return [offsetAt](std::int64_t localMs) -> std::optional<std::int64_t> {
        const std::int64_t local = FloorDiv(localMs, 1000);
        const std::int64_t ms = localMs - local * 1000;
        // The offsets a day before and after enclose any change near the
        // instant; each gives a candidate that holds when it maps back.
        const auto before = offsetAt(local - 86'400);
        const auto after = offsetAt(local + 86'400);
        if (!before || !after) return std::nullopt;
        for (const long offset : {*before, *after}) {
            const std::int64_t utc = local - offset;
            const auto there = offsetAt(utc);
            if (there && *there == offset) return utc * 1000 + ms;
        }
        // In a gap: the wall-clock time that does not exist, read with the
        // offset before it.
        return (local - *before) * 1000 + ms;
    };
}

}  // namespace platform
