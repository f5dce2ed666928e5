#include "platform/clock.h"

#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace lumo::platform {

std::int64_t monotonicUs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

std::int64_t monotonicMs() { return monotonicUs() / 1000; }

LocalTime localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    ::localtime_r(&now, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday};
}

LocalTime utcTime() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    ::gmtime_r(&now, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday};
}

void pause(int ms) {
    if (ms <= 0) return;
    timespec left{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

std::uint32_t processId() { return static_cast<std::uint32_t>(::getpid()); }

}  // namespace lumo::platform
