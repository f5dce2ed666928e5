// The serial-number codec.
#include <gtest/gtest.h>

#include "serial/serial_number.h"

namespace lumo {
namespace {

TEST(SerialNumber, WorkedExamples) {
    const struct {
        int day, month, year, type, sequence;
        const char* serial;
    } cases[] = {
        {15, 3, 2016, 10, 1, "441560100001"},
        {1, 1, 2000, 0, 0, "323200000000"},
        {24, 6, 2015, 48, 1234, "184259481234"},
        {31, 12, 2099, 72, 9999, "509721729999"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SerialEncode(c.sequence, c.type, packDate(c.day, c.month, c.year)), c.serial);
        const SerialParts p = SerialDecode(c.serial);
        EXPECT_EQ(p.typeCode, c.type);
        EXPECT_EQ(p.sequence, c.sequence);
        EXPECT_EQ(p.date, packDate(c.day, c.month, c.year)) << c.serial;
    }
}

TEST(SerialNumber, Rotate19) {
    EXPECT_EQ(Rotate19(1, 0x40000), 1u);       // bit 18 comes round to bit 0
    EXPECT_EQ(Rotate19(-1, 1), 0x40000u);
    EXPECT_EQ(Rotate19(0, 0xFFFFFFFF), 0x7FFFFu);
    EXPECT_EQ(Rotate19(19, 12345), 12345u);
    EXPECT_EQ(Rotate19(-7, Rotate19(7, 300000)), 300000u);
}

// Every date of 2000-2099 with a spread of types and sequences comes back as it went in.
TEST(SerialNumber, EncodeAndDecodeAreInverse) {
    static const int daysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int types[] = {0, 1, 9, 17, 47, 48, 52, 53, 64, 72, 88, 95, 99};
    const int sequences[] = {0, 1, 7, 999, 1234, 5000, 9998, 9999};
    int checked = 0;
    for (int year = 2000; year <= 2099; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int days = month == 2 && year % 4 != 0 ? 28 : daysIn[month - 1];
            for (int day = 1; day <= days; ++day) {
                const PackedDate date = packDate(day, month, year);
                const int type = types[(day + month) % std::size(types)];
                const int sequence = sequences[(day * 3 + year) % std::size(sequences)];
                const std::string serial = SerialEncode(sequence, type, date);
                ASSERT_EQ(serial.size(), 12u) << serial;
                const SerialParts p = SerialDecode(serial);
                ASSERT_EQ(p.date, date) << serial;
                ASSERT_EQ(p.typeCode, type);
                ASSERT_EQ(p.sequence, sequence);
                ++checked;
            }
        }
    }
    // And every type and sequence on a few dates.
    for (const PackedDate date : {packDate(1, 1, 2000), packDate(29, 2, 2024), packDate(31, 12, 2099)}) {
        for (int type = 0; type <= 99; ++type) {
            for (int sequence = 0; sequence <= 9999; sequence += 37) {
                const SerialParts p = SerialDecode(SerialEncode(sequence, type, date));
                ASSERT_EQ(p.date, date);
                ASSERT_EQ(p.typeCode, type);
                ASSERT_EQ(p.sequence, sequence);
            }
        }
    }
    EXPECT_GT(checked, 36000);
}

TEST(SerialNumber, LooseInput) {
    const SerialParts p = SerialDecode("44156010");  // shorter than 12: the missing digits read as 0
    EXPECT_EQ(p.typeCode, 10);
    EXPECT_EQ(p.sequence, 0);
    const SerialParts q = SerialDecode("4415601000x1");
    EXPECT_EQ(q.sequence, 0);  // the digits before the 'x': "00"
    EXPECT_GT(SerialEncode(10000, 100, packDate(1, 1, 2000)).size(), 12u);  // beyond the format
}

// A number is one a device can have only when its date is a day of the calendar and its
// sequence is not 0000; a date that is none is shown as its digits, said to be no date.
TEST(SerialNumber, ImpossibleDatesAreNamedNotShownAsDates) {
    const struct {
        int day, month, year;
        bool real;
    } dates[] = {
        {29, 2, 2024, true}, {29, 2, 2025, false}, {29, 2, 2000, true}, {31, 4, 2026, false}, {31, 12, 2099, true},
        {0, 1, 2026, false}, {1, 0, 2026, false}, {1, 13, 2026, false}, {32, 1, 2026, false}, {1, 1, 2000, true},
    };
    for (const auto& d : dates) EXPECT_EQ(isRealDate(packDate(d.day, d.month, d.year)), d.real) << d.day << '.' << d.month;
    EXPECT_EQ(productionDateText(packDate(15, 3, 2016)), "15.03.2016");
    EXPECT_EQ(productionDateText(SerialDecode("150316040001").date), "273764: neplatné datum");
    EXPECT_EQ(productionDateText(SerialDecode("999910100077").date), "366723: neplatné datum");

    const struct {
        std::string serial;
        SerialFault fault;
    } numbers[] = {
        {SerialEncode(1, 4, packDate(15, 3, 2016)), SerialFault::None},
        {"999910100077", SerialFault::NoRealDate},  // month 67
        {"000000000000", SerialFault::NoRealDate},
        {"150316040001", SerialFault::NoRealDate},
        {SerialEncode(0, 4, packDate(15, 3, 2016)), SerialFault::SequenceZero},
        {"12345", SerialFault::NotTwelveDigits},
        {"4492050400011", SerialFault::NotTwelveDigits},
        {"44920504000x", SerialFault::NotTwelveDigits},
    };
    for (const auto& n : numbers) EXPECT_EQ(serialNumberFault(n.serial), n.fault) << n.serial;
}

}  // namespace
}  // namespace lumo
