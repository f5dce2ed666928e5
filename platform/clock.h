#pragma once
// Monotonic time and pauses. Every protocol pause and deadline goes through here.

#include <cstdint>

namespace lumo::platform {

// Milliseconds on a monotonic clock (an arbitrary origin; only differences mean anything).
std::int64_t monotonicMs();
// Microseconds on the same clock, for measurements.
std::int64_t monotonicUs();

// Sleeps for `ms` milliseconds (0 returns at once).
void pause(int ms);

std::uint32_t processId();

// The PC's local date and time; weekday 0 = Sunday.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, weekday = 0;
};
LocalTime localTime();
// The same in UTC: the date a serial number carries, the same on every workstation.
LocalTime utcTime();

}  // namespace lumo::platform
