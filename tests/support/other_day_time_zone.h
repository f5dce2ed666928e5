#pragma once
// For a test's duration, a time zone (TZ) in which today's local date is not today's date in
// UTC: 12 hours behind UTC before noon UTC, 14 hours ahead from noon on (the extremes of the
// world's zones). Programs started meanwhile get it too.

#include <cstdlib>
#include <ctime>
#include <string>

namespace lumo::test {

class OtherDayTimeZone {
public:
    OtherDayTimeZone() {
        if (const char* old = std::getenv("TZ")) {
            had_ = true;
            old_ = old;
        }
        const std::tm utc = utcToday();
        ::setenv("TZ", utc.tm_hour < 12 ? "LUMO+12" : "LUMO-14", 1);
        ::tzset();
    }
    ~OtherDayTimeZone() {
        if (had_) ::setenv("TZ", old_.c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }
    OtherDayTimeZone(const OtherDayTimeZone&) = delete;
    OtherDayTimeZone& operator=(const OtherDayTimeZone&) = delete;

    // Now in UTC (tm_mday, tm_mon + 1, tm_year + 1900 give today's date there).
    static std::tm utcToday() {
        const std::time_t now = std::time(nullptr);
        std::tm t{};
        ::gmtime_r(&now, &t);
        return t;
    }

private:
    bool had_ = false;
    std::string old_;
};

}  // namespace lumo::test
