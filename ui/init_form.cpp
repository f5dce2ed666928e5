#include "ui/init_form.h"

#include <algorithm>
#include <string_view>

#include "actions/init_actions.h"
#include "base/action_result.h"
#include "base/error_report.h"
#include "model/device_catalog.h"
#include "model/cp1250.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "platform/clock.h"
#include "platform/system_error.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"

namespace lumo {
namespace {

// A field's number as the serial number reads it: digits after blanks and a sign; 0 for anything else.
int fieldInt(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return 0;
    long long value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
        if (value > 0x7FFFFFFF) return 0;
    }
    return static_cast<int>(negative ? -value : value);
}

// The digits of a typed number without its '+', or none where there is anything else.
bool typedDigits(std::string_view text, std::string_view& digits) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    digits = text;
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

InitForm::InitForm() {
    for (int i = 0; i < kInitListSize; ++i) type.items.push_back(modelName(initListCode(i)));
    serial.readOnly = true;
    medium = FormChoice{{"", "", "", ""}, -1, true};
}

bool InitForm::open(int lineIndex, int moduleNumber) {
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    platform::setLastSystemError(0);
    // The selected device type: the module's, or the line's head device's.
    if (moduleNumber != 0) {
        ModuleRecord m;
        if (!readModuleRecord(lineIndex, moduleNumber, m)) {
            reportError();
            return false;
        }
        deviceType_ = m.type();
    } else {
        LineRecord l;
        if (!readLineRecord(lineIndex, l)) {
            reportError();
            return false;
        }
        deviceType_ = l.headType();
    }
    registerType_ = moduleNumber != 0 ? deviceType_ : 0;
    propose();
    if (loadCommandFile() != 0) clearError();  // none yet: the remembered values start empty
    // A remembered note may fill its whole slot: the field keeps what it can take.
    note.text = utf8Prefix(commandFile().note(static_cast<DeviceTypeCode>(deviceType_)), static_cast<std::size_t>(note.maxLength));
    const int remembered = commandFile().idMedium(static_cast<DeviceTypeCode>(deviceType_));
    if (remembered >= 0 && remembered < 4) medium.chosen = remembered;
    return true;
}

int InitForm::largest(const FormField& field) const {
    if (&field == &day) return 31;
    if (&field == &month) return 12;
    if (&field == &year) return 2099;
    return 9999;
}

bool InitForm::takes(const FormField& field, const std::string& text) const {
    std::string_view digits;
    if (!typedDigits(text, digits)) return false;
    const std::string most = std::to_string(largest(field));
    if (digits.size() <= most.size()) return true;
    // Longer than the largest number: only with zeros before a number of the range.
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string_view::npos) return true;
    const std::string_view significant = digits.substr(first);
    return significant.size() <= most.size() && fieldInt(significant) <= largest(field);
}

void InitForm::left(const FormField& field) {
    std::string_view digits;
    if (!typedDigits(field.text, digits) || digits.empty() || fieldInt(digits) > largest(field)) return;
    recompute();
}

void InitForm::chooseType(int index) {
    type.chosen = index;
    recompute();
}

void InitForm::recompute() {
    const DeviceTypeCode code = initListCode(std::max(0, type.chosen));
    int y = fieldInt(year.text);
    if (y > 2000) y -= 2000;
    serial.text = SerialEncode(fieldInt(sequence.text), code, packDate(fieldInt(day.text), fieldInt(month.text), y % 100));
    const auto names = initMediumLabels(code);
    medium.items.assign(names.begin(), names.end());
    outcome.text.clear();
}

bool InitForm::propose() {
    const platform::LocalTime today = platform::utcTime();  // the serial number's date is today's in UTC
    day.text = std::to_string(today.day);
    month.text = std::to_string(today.month);
    year.text = std::to_string(today.year);
    const int last = RegisterLastSequence(registerType_);
    if (last < 0) {
        reportRegisterFailure();
        return false;
    }
    sequence.text = std::to_string(last + 1);
    type.chosen = std::max(0, initListIndex(static_cast<DeviceTypeCode>(deviceType_)));
    medium.chosen = 0;
    recompute();
    return true;
}

void InitForm::pressCurrent() {
    reissueSequence_ = 0;
    propose();
}

void InitForm::pressPick() {
    RegisterChoice chosen;
    if (!chooseRegistered || chooseRegistered(registerType_, chosen) != 1) return;
    const SerialParts parts = SerialDecode(chosen.serial);
    reissueSequence_ = parts.sequence;
    day.text = std::to_string(dateDay(parts.date));
    month.text = std::to_string(dateMonth(parts.date));
    year.text = std::to_string(dateYear(parts.date) + 2000);
    sequence.text = std::to_string(parts.sequence);
    type.chosen = std::max(0, initListIndex(static_cast<DeviceTypeCode>(parts.typeCode)));
    recompute();
}

int InitForm::pressRun() {
    recompute();
    InitChoice c;
    c.day = fieldInt(day.text);
    c.month = fieldInt(month.text);
    c.year = fieldInt(year.text);
    c.typeCode = initListCode(type.chosen);
    c.sequence = fieldInt(sequence.text);
    c.medium = std::max(0, medium.chosen);
    c.note = note.text;
    c.clearMemory = clearMemory;
    c.reissueSequence = reissueSequence_;
    if (c.sequence <= 0) return kFormStaysOpen;
    if (showNow) showNow();
    std::string written;
    const int result = initialiseModuleAction(lineIndex_, moduleNumber_, c, written);
    if (actionDone(result)) return 1;
    if (result < 0) outcome.text = "Zápis nebyl úspěšný !";  // not after a No
    return kFormStaysOpen;
}

}  // namespace lumo
