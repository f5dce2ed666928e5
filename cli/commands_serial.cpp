// lumo-ctl serial encode / decode, register last / list / add
#include <cstdio>
#include <iostream>
#include <vector>

#include "base/app_state.h"
#include "base/error_report.h"
#include "cli/commands.h"
#include "model/device_catalog.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"

namespace lumo::cli {
namespace {

int registerFailure() {
    if (pendingError() != 0) {
        reportError();
    } else {
        std::cerr << "lumo-ctl: the register cannot be read: sn.dat in the data directory names its folder\n";
    }
    return kFailed;
}

std::string digits(int value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}

// A number the register may record: 12 digits that decode to a day of the calendar, and a
// sequence from 1.
void checkIssuable(const std::string& number) {
    switch (serialNumberFault(number)) {
        case SerialFault::None: return;
        case SerialFault::NotTwelveDigits: throw UsageError("a serial number is 12 digits");
        case SerialFault::NoRealDate: {
            const PackedDate date = SerialDecode(number).date;
            throw UsageError("the serial number " + number + " is no device's: its date " + digits(dateDay(date), 2) +
                             "." + digits(dateMonth(date), 2) + ".20" + digits(dateYear(date), 2) +
                             " is no day of the calendar");
        }
        case SerialFault::SequenceZero:
            throw UsageError("the serial number " + number + " is no device's: the sequence 0000 is never issued");
    }
}

}  // namespace

int cmdSerial(Args& args) {
    const std::string sub = args.next("serial encode|decode");
    if (sub == "encode") {
        const std::string date = args.next("the date DD.MM.YYYY");
        const int type = static_cast<int>(parseNumber(args.next("the type"), 0, 99, "the type code"));
        // The sequence 0000 is never issued: the register's sequences start at 1.
        const int sequence = static_cast<int>(parseNumber(args.next("the sequence"), 1, 9999, "the sequence"));
        args.expectEnd();
        if (date.size() != 10 || date[2] != '.' || date[5] != '.') throw UsageError("the date must be DD.MM.YYYY");
        const int day = static_cast<int>(parseNumber(date.substr(0, 2), 1, 31, "the day"));
        const int month = static_cast<int>(parseNumber(date.substr(3, 2), 1, 12, "the month"));
        const int year = static_cast<int>(parseNumber(date.substr(6, 4), 2000, 2099, "the year"));
        const PackedDate packed = packDate(day, month, year);
        if (!isRealDate(packed)) throw UsageError("the date " + date + " is no day of the calendar");
        std::cout << SerialEncode(sequence, type, packed) << '\n';
        return kDone;
    }
    if (sub == "decode") {
        const std::string number = args.next("the serial number");
        args.expectEnd();
        if (number.size() != 12 || number.find_first_not_of("0123456789") != std::string::npos)
            throw UsageError("a serial number is 12 digits");
        // A number read from a device is taken apart whatever it holds; a date no calendar has
        // is shown as its digits and said to be no date.
        const SerialParts p = SerialDecode(number);
        std::cout << productionDateText(p.date) << '\t' << digits(p.typeCode, 2) << '\t' << digits(p.sequence, 4)
                  << '\t' << modelName(static_cast<DeviceTypeCode>(p.typeCode)) << '\n';
        return kDone;
    }
    throw UsageError("unknown serial command '" + sub + "'");
}

int cmdRegister(Args& args) {
    const std::string sub = args.next("register last|list|add");
    if (sub == "last" || sub == "list") {
        const int type = static_cast<int>(parseNumber(args.next("the type"), 0, 99, "the type code"));
        args.expectEnd();
        if (sub == "last") {
            const int last = RegisterLastSequence(type);
            if (last < 0) return registerFailure();
            std::cout << last << '\n';
            return kDone;
        }
        std::vector<RegisterRow> rows;
        if (!registerRows(type, rows)) return registerFailure();
        for (const auto& r : rows) std::cout << r.serial << '\t' << r.date << '\t' << r.model << '\t' << r.rest << '\n';
        return kDone;
    }
    if (sub == "add") {
        const std::string number = args.next("the serial number");
        std::string note, medium = "0";
        while (!args.empty()) {
            if (args.option("--note", note)) continue;
            if (args.option("--medium", medium)) continue;
            throw UsageError("unknown option '" + args.peek() + "'");
        }
        checkIssuable(number);
        const int mediumIndex = static_cast<int>(parseNumber(medium, 0, 3, "the ID medium"));
        checkRegisterNote(note);
        switch (registerIssue(SerialDecode(number).typeCode, number, note, mediumIndex)) {
            case IssueResult::Issued: return kDone;
            case IssueResult::AlreadyIssued:
                std::cerr << "lumo-ctl: the sequence of " << number << " is already issued\n";
                return kFailed;
            case IssueResult::Refused: return kFailed;  // its message was shown
            case IssueResult::Failed: return registerFailure();
        }
    }
    throw UsageError("unknown register command '" + sub + "'");
}

}  // namespace lumo::cli
