#pragma once
// The distance between two local calendar times, in whole days, hours and minutes.

#include <windows.h>

#include <cstdint>

struct TimeSpan {
    uint64_t days = 0;
    uint64_t hours = 0;    // whole hours left over after the days
    uint64_t minutes = 0;  // whole minutes left over after the hours
};

// Absolute difference of two times given as 100-nanosecond counts.
TimeSpan TimeSpanBetween(uint64_t a, uint64_t b) noexcept;
TimeSpan TimeSpanBetween(const SYSTEMTIME& a, const SYSTEMTIME& b) noexcept;

inline uint64_t FileTimeTicks(const FILETIME& t) noexcept {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}
