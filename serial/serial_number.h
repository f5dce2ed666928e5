#pragma once
// Serial numbers: 12 digits, the production date scrambled in the first six, then the type
// code (two digits) and the sequence number (four digits) in the clear.

#include <cstdint>
#include <optional>
#include <string>

namespace lumo {

// bits 0-7 day, 8-15 month, 16-31 year within the century.
using PackedDate = std::uint32_t;

inline PackedDate packDate(int day, int month, int year) {
    return static_cast<PackedDate>((year % 100) << 16 | (month & 0xFF) << 8 | (day & 0xFF));
}
inline int dateDay(PackedDate d) { return static_cast<int>(d & 0xFF); }
inline int dateMonth(PackedDate d) { return static_cast<int>((d >> 8) & 0xFF); }
inline int dateYear(PackedDate d) { return static_cast<int>(d >> 16); }

// Rotates the low 19 bits by |count| places: left for a positive count, right for a negative.
std::uint32_t Rotate19(int count, std::uint32_t value);

// Sequence 0-9999, type code 0-99. Pure computation: any date is scrambled as it is given
// (callers that issue or record a number check it with serialNumberFault first).
std::string SerialEncode(int sequence, int typeCode, PackedDate date);

struct SerialParts {
    int typeCode = 0;
    int sequence = 0;
    PackedDate date = 0;
};
// Takes the first 12 characters apart. Non-digits read as the number of the digits before them.
SerialParts SerialDecode(const std::string& text);

// A day the calendar has, in the century a serial number carries (2000-2099: every fourth
// year a leap year).
bool isRealDate(PackedDate date);

// The production date as the panel shows it: "DD.MM.20YY"; a date no calendar has is not
// shown as one: its six digits as decoded and that the date is not valid.
std::string productionDateText(PackedDate date);

// Why a text cannot be the serial number of a device (None when it can): not 12 digits, a
// production date that is no day of the calendar, or the sequence 0000 (never issued: the
// register's sequences start at 1).
enum class SerialFault { None, NotTwelveDigits, NoRealDate, SequenceZero };
SerialFault serialNumberFault(const std::string& text);

// Devices of type 48 and more carry the sequence in their MAC address: four upper-case
// hexadecimal digits. The way back: the sequence those digits name, when they are four
// hexadecimal digits of a number up to 9999.
std::string macPartOfSequence(int sequence);
std::optional<int> sequenceFromMacPart(const std::string& text);

}  // namespace lumo
