// The machine's zone offsets from the C library's time-zone rules (TZ).
#include <time.h>

#include "platform/entries.h"

namespace platform {

std::function<std::optional<long>(std::int64_t)> detail::MachineZoneOffsets() {
    ::tzset();
    return [](std::int64_t utcSeconds) -> std::optional<long> {
        const auto utc = static_cast<time_t>(utcSeconds);
        tm t{};
        if (::localtime_r(&utc, &t) == nullptr) return std::nullopt;
        return t.tm_gmtoff;
    };
}

}  // namespace platform
