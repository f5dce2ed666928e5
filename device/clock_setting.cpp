#include "device/clock_setting.h"

#include <chrono>

#include <array>
#include <cctype>
#include <cstdio>
#include <vector>

namespace lumo {

bool fieldNumbers(const std::string& text, const char* separators, std::vector<long>& out) {
    out.clear();
    std::string digits;
    auto take = [&] {
        if (digits.empty() || digits.size() > 9) return false;
        out.push_back(std::stol(digits));
        digits.clear();
        return true;
    };
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (std::string(separators).find(c) != std::string::npos) {
            if (!take()) return false;
        } else if (c != ' ') {
            return false;
        }
    }
    return take();
}

std::string weekdayName(int index) {
    static const std::array<const char*, 7> names = {"Neděle", "Pondělí", "Úterý", "Středa", "Čtvrtek", "Pátek", "Sobota"};
    return index >= 0 && index < 7 ? names[static_cast<std::size_t>(index)] : "";
}

bool DateIsValid(std::uint32_t date) {
    const int day = static_cast<int>(date & 0xFF), month = static_cast<int>((date >> 8) & 0xFF);
    const int year = static_cast<int>(date >> 16);
    if (month < 1 || month > 12 || day < 1) return false;
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= lengths[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool DateFieldRead(std::string& field, std::uint32_t& date) {
    if (field.find_first_not_of(' ') == std::string::npos) return true;
    std::vector<long> n;
    if (!fieldNumbers(field, ".,", n) || n.size() != 3) return false;
    long year = n[2];
    if (year >= 0 && year <= 49) year += 2000;
    else if (year >= 51 && year <= 99) year += 1900;
    if (n[0] < 1 || n[0] > 31 || n[1] < 1 || n[1] > 12 || year < 1900 || year > 3000) return false;
    const std::uint32_t packed = packClockDate(static_cast<int>(n[0]), static_cast<int>(n[1]), static_cast<int>(year));
    if (!DateIsValid(packed)) return false;
    date = packed;
    field = DateFieldShow(date);
    return true;
}

bool TimeFieldRead(std::string& field, std::uint32_t& time) {
    if (field.find_first_not_of(' ') == std::string::npos) {
        time = kNoTime;
        return true;
    }
    std::vector<long> n;
    if (!fieldNumbers(field, ",.:", n) || n.size() != 3) return false;
    if (n[0] > 23 || n[1] > 59 || n[2] > 59) return false;
    time = packClockTime(static_cast<int>(n[0]), static_cast<int>(n[1]), static_cast<int>(n[2]));
    field = TimeFieldShow(time);
    return true;
}

std::string DateFieldShow(std::uint32_t date) {
    if (date == kNoDate) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u", date & 0xFF, (date >> 8) & 0xFF, (date >> 16) & 0xFFFF);
    return text;
}

std::string TimeFieldShow(std::uint32_t time) {
    if (time == kNoTime) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", time & 0xFF, (time >> 8) & 0xFF, (time >> 16) & 0xFFFF);
    return text;
}

namespace {
bool isSeparator(char c) { return c == '.' || c == ',' || c == ':'; }

std::string typing(const std::string& field, const std::string& before, char separator) {
    // Only what was just typed: a deletion is left as it is (else a separator could never be
    // deleted: it would come back at once).
    if (field.size() <= before.size()) return field;
    // A separator typed right after the one that was appended is that one.
    if (field.size() == before.size() + 1 && field.size() >= 2 && isSeparator(field.back()) &&
        isSeparator(field[field.size() - 2]))
        return before;
    // The groups so far: the text after the last separator has just reached two digits.
    std::size_t groups = 0;
    for (char c : field) groups += c == separator || c == '.' || c == ',' || c == ':';
    const std::size_t start = field.find_last_of(".,:") == std::string::npos ? 0 : field.find_last_of(".,:") + 1;
    const std::string last = field.substr(start);
    const bool twoDigits = last.size() == 2 && std::isdigit(static_cast<unsigned char>(last[0])) &&
                           std::isdigit(static_cast<unsigned char>(last[1]));
    return groups < 2 && twoDigits ? field + separator : field;
}
}  // namespace

std::string DateFieldTyping(const std::string& field, const std::string& before) { return typing(field, before, '.'); }
std::string TimeFieldTyping(const std::string& field, const std::string& before) { return typing(field, before, ':'); }

int weekdayOfDate(std::uint32_t date) {
    if (!DateIsValid(date)) return -1;
    const std::chrono::year_month_day ymd{std::chrono::year{static_cast<int>((date >> 16) & 0xFFFF)},
                                          std::chrono::month{(date >> 8) & 0xFF}, std::chrono::day{date & 0xFF}};
    return static_cast<int>(std::chrono::weekday{std::chrono::sys_days{ymd}}.c_encoding());  // 0 = Sunday
}

std::string clockDataText(std::uint32_t date, std::uint32_t time, int weekday) {
    const unsigned year = (date >> 16) & 0xFFFF;
    char text[48];
    std::snprintf(text, sizeof text, "D%02u.%02u.%02u+T%02u:%02u:%02u+W%1d", date & 0xFF, (date >> 8) & 0xFF,
                  year >= 2000 ? year - 2000 : year - 1900, time & 0xFF, (time >> 8) & 0xFF, (time >> 16) & 0xFFFF,
                  weekday);
    return text;
}

long historyRecordCount(const std::string& answer) {
    const auto at = answer.find("C5");
    if (at == std::string::npos) return -1;
    std::size_t end = at + 2;
    while (end < answer.size() && end < at + 11 && std::isdigit(static_cast<unsigned char>(answer[end]))) ++end;
    return end == at + 2 ? -1 : std::stol(answer.substr(at + 2, end - at - 2));
}

}  // namespace lumo
