#include "ui/field_rules.h"

#include <cstdio>
#include <vector>

#include "base/ui_port.h"
#include "device/clock_setting.h"

namespace lumo {
namespace {

std::string quoted(std::string_view text) { return "„" + std::string(text) + "“"; }

std::string clockRefusal(const char* field, const std::string& text, const std::string& rule) {
    return std::string("Pole „") + field + "“: " + rule + " (zadáno " + quoted(text) + ").";
}

}  // namespace

std::optional<long long> numberFieldValue(std::string_view text, long long min, long long max) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t last = text.find_last_not_of(" \t");
    std::string_view number = text.substr(first, last - first + 1);
    bool negative = false;
    if (number.front() == '+' || number.front() == '-') {
        negative = number.front() == '-';
        if (negative && min >= 0) return std::nullopt;
        number.remove_prefix(1);
    }
    // Eighteen digits fit a long long whatever they are.
    if (number.empty() || number.size() > 18 || number.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    long long value = 0;
    for (char c : number) value = value * 10 + (c - '0');
    if (negative) value = -value;
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::string numberFieldRefusal(std::string_view label, long long min, long long max, std::string_view text) {
    return "Pole " + quoted(label) + ": zadejte celé číslo od " + std::to_string(min) + " do " + std::to_string(max) +
           " (zadáno " + quoted(text) + ").";
}

std::optional<long long> readNumberField(std::string_view label, std::string_view text, long long min, long long max) {
    const auto value = numberFieldValue(text, min, max);
    if (!value) uiMessage("Upozornění", numberFieldRefusal(label, min, max, text), MessageIcon::Error);
    return value;
}

std::optional<std::uint32_t> hexFieldValue(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t last = text.find_last_not_of(" \t");
    std::string_view number = text.substr(first, last - first + 1);
    if (number.front() == '+') number.remove_prefix(1);
    if (number.size() > 2 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X')) number.remove_prefix(2);
    if (number.empty() || number.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) return std::nullopt;
    unsigned long long value = 0;
    for (char c : number) {
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(value);
}

std::string hexFieldRefusal(std::string_view label, std::string_view text) {
    return "Pole " + quoted(label) + ": zadejte šestnáctkové číslo, číslice 0-9 a A-F (zadáno " + quoted(text) + ").";
}

std::optional<std::uint32_t> readHexField(std::string_view label, std::string_view text) {
    const auto value = hexFieldValue(text);
    if (!value) uiMessage("Upozornění", hexFieldRefusal(label, text), MessageIcon::Error);
    return value;
}

std::string dateFieldRefusal(const std::string& text) {
    std::string field = text;
    std::uint32_t date = kNoDate;
    if (DateFieldRead(field, date) && date != kNoDate) return {};
    std::vector<long> n;
    if (!fieldNumbers(text, ".,", n) || n.size() != 3)
        return clockRefusal("datum", text, "zadejte den, měsíc a rok oddělené tečkou, např. 06.12.2026");
    if (n[0] < 1 || n[0] > 31) return clockRefusal("datum", text, "den musí být od 1 do 31");
    if (n[1] < 1 || n[1] > 12) return clockRefusal("datum", text, "měsíc musí být od 1 do 12");
    long year = n[2];
    if (year >= 0 && year <= 49) year += 2000;
    else if (year >= 51 && year <= 99) year += 1900;
    if (year < 1900 || year > 3000)
        return clockRefusal("datum", text, "rok musí být od 1900 do 3000, nebo dvojčíslí 00-49 (2000-2049) či 51-99 (1951-1999)");
    // Day, month and year each in their range: the day is one the month has not.
    int days = 28;
    while (days < 31 && DateIsValid(packClockDate(days + 1, static_cast<int>(n[1]), static_cast<int>(year)))) ++days;
    char rule[96];
    std::snprintf(rule, sizeof rule, "takový den v kalendáři není, měsíc %02ld.%04ld má %d dní", n[1], year, days);
    return clockRefusal("datum", text, rule);
}

std::string timeFieldRefusal(const std::string& text) {
    std::string field = text;
    std::uint32_t time = kNoTime;
    if (TimeFieldRead(field, time) && time != kNoTime) return {};
    std::vector<long> n;
    if (!fieldNumbers(text, ":.,", n) || n.size() != 3)
        return clockRefusal("čas", text, "zadejte hodiny, minuty a sekundy oddělené dvojtečkou, např. 14:30:00");
    if (n[0] > 23) return clockRefusal("čas", text, "hodiny musí být od 0 do 23");
    if (n[1] > 59) return clockRefusal("čas", text, "minuty musí být od 0 do 59");
    return clockRefusal("čas", text, "sekundy musí být od 0 do 59");
}

}  // namespace lumo
