#include "scan/TimeSpan.h"

namespace {
constexpr uint64_t kTicksPerMinute = 600'000'000ULL;
constexpr uint64_t kTicksPerHour = 36'000'000'000ULL;
constexpr uint64_t kTicksPerDay = 864'000'000'000ULL;

uint64_t Ticks(const SYSTEMTIME& t) noexcept {
    FILETIME ft{};
    ::SystemTimeToFileTime(&t, &ft);
    return FileTimeTicks(ft);
}
}  // namespace

TimeSpan TimeSpanBetween(uint64_t a, uint64_t b) noexcept {
    uint64_t d = a > b ? a - b : b - a;
    return TimeSpan{d / kTicksPerDay, (d % kTicksPerDay) / kTicksPerHour,
                    (d % kTicksPerHour) / kTicksPerMinute};
}

TimeSpan TimeSpanBetween(const SYSTEMTIME& a, const SYSTEMTIME& b) noexcept {
    return TimeSpanBetween(Ticks(a), Ticks(b));
}
