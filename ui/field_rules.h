#pragma once
// The typed fields of the dialogs: what a number field takes, what the clock's date and time
// fields take, and the words that refuse the rest, naming the field and its rule. A dialog
// stores or sends nothing while one of its fields is refused.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumo {

// A whole number as a field holds it: blanks around it, a sign only where the range has
// negative numbers, decimal digits and nothing else, within [min, max]. None for anything else
// (an empty field, "10.77.0.30", "12abc", a number too large for the field).
std::optional<long long> numberFieldValue(std::string_view text, long long min, long long max);

// "Pole „TCP port“: zadejte celé číslo od 1 do 65535 (zadáno „10.77.0.30“)."
std::string numberFieldRefusal(std::string_view label, long long min, long long max, std::string_view text);

// The value of a number field, or none after its refusal in a box ("Upozornění").
std::optional<long long> readNumberField(std::string_view label, std::string_view text, long long min, long long max);

// A hexadecimal number as a field holds it: blanks around it, a '+' and a "0x" before the digits
// 0-9 and A-F (of either case); a number beyond 32 bits is the largest, never a small one. None
// for anything else (an empty field, "12G", "-1").
std::optional<std::uint32_t> hexFieldValue(std::string_view text);
// "Pole „Start“: zadejte šestnáctkové číslo, číslice 0-9 a A-F (zadáno „12G“)."
std::string hexFieldRefusal(std::string_view label, std::string_view text);
// The value of a hexadecimal field, or none after its refusal in a box ("Upozornění").
std::optional<std::uint32_t> readHexField(std::string_view label, std::string_view text);

// Why the clock dialog's date field ("datum") is refused, or empty when it holds a date:
// day, month and year separated by '.' or ',' (a two-digit year 00-49 is 2000-2049, 51-99 is
// 1951-1999; four digits 1900-3000), a day the month has.
std::string dateFieldRefusal(const std::string& text);
// The same for the time field ("čas"): hour 0-23, minute and second 0-59, separated by ':',
// '.' or ','.
std::string timeFieldRefusal(const std::string& text);

}  // namespace lumo
