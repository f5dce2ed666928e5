#pragma once
// A module's clock: the fields of "Nastavení času" and the data text that sets the clock.
//   packed date: day bits 0-7, month bits 8-15, four-digit year bits 16-31; 0 = no date
//   packed time: hour bits 0-7, minute bits 8-15, second bits 16-31; 0xFFFF = no time

#include <cstdint>
#include <string>
#include <vector>

namespace lumo {

inline constexpr std::uint32_t kNoDate = 0;
inline constexpr std::uint32_t kNoTime = 0xFFFF;

inline std::uint32_t packClockDate(int day, int month, int year) {
    return static_cast<std::uint32_t>(year) << 16 | static_cast<std::uint32_t>(month) << 8 | static_cast<std::uint32_t>(day);
}
inline std::uint32_t packClockTime(int hour, int minute, int second) {
    return static_cast<std::uint32_t>(second) << 16 | static_cast<std::uint32_t>(minute) << 8 | static_cast<std::uint32_t>(hour);
}

// "Neděle" ... "Sobota" for 0 (Sunday) ... 6; empty for anything else.
std::string weekdayName(int index);

// True when the packed date exists in the calendar (no 30 February).
bool DateIsValid(std::uint32_t date);

// The numbers of a field split at any of `separators` (blanks passed over); false when anything
// else stands in it, or a group is empty or longer than nine digits.
bool fieldNumbers(const std::string& text, const char* separators, std::vector<long>& out);

// Day, month and year separated by '.' or ','; years 0-49 are 2000-2049, 51-99 are 1951-1999,
// others as they stand within 1900-3000 (50 and 100-1899 are no year). Empty text is accepted
// and leaves `date` as it was. On success the field is rewritten "DD.MM.YYYY".
bool DateFieldRead(std::string& field, std::uint32_t& date);
// Hour, minute and second separated by ',', '.' or ':'; empty text gives kNoTime. On success
// the field is rewritten "HH:MM:SS".
bool TimeFieldRead(std::string& field, std::uint32_t& time);
std::string DateFieldShow(std::uint32_t date);  // "" for kNoDate
std::string TimeFieldShow(std::uint32_t time);  // "" for kNoTime
// While typing (`before`: the field before the change): when the first or second group has
// just reached two digits and no separator follows, the separator ('.' date, ':' time) is
// appended. A deletion is left alone, and a separator typed after an appended one is dropped.
std::string DateFieldTyping(const std::string& field, const std::string& before = {});
std::string TimeFieldTyping(const std::string& field, const std::string& before = {});
// The weekday of a packed date, 0 (Sunday) to 6; -1 for a date the calendar has not.
int weekdayOfDate(std::uint32_t date);

// The CFG 6 data text: "D06.12.26+T14:30:00+W0" (two-digit year: year - 2000, or - 1900 before
// 2000).
std::string clockDataText(std::uint32_t date, std::uint32_t time, int weekday);

// The history record counter in an INF 8 answer: the number after the first "C5", or -1 when
// the answer has none.
long historyRecordCount(const std::string& answer);

}  // namespace lumo
