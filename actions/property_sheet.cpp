#include "actions/property_sheet.h"

#include "actions/line_operation.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "base/action_result.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "device/device_check.h"
#include "device/item_state.h"
#include "device/module_parameters.h"
#include "model/installation.h"
#include "model/record_lock.h"
#include "model/tree_items.h"
#include "actions/action_errors.h"

namespace lumo {
namespace {

// The bytes a sheet owns: the description and the parameter area with the status flags.
constexpr std::size_t kOwnedFirst = 2, kOwnedEnd = 107;

// Writes the sheet's bytes of `record` into the module's slot, under the file's lock: the ID,
// the type and the bytes beyond the parameter area stay as the file holds them (another
// program may have changed them meanwhile). `record` becomes what was written. False (the
// error code pending) when the record cannot be read or written.
bool storeRecord(int lineIndex, int moduleNumber, ModuleRecord& record, std::size_t first, std::size_t end) {
    const RecordFileLock lock(moduleFilePath(lineIndex + 1));
    ModuleRecord current;
    if (!lock.held() || !readModuleRecord(lineIndex, moduleNumber, current)) return false;
    for (std::size_t i = first; i < end; ++i) current.setU8(i, record.u8(i));
    if (!writeModuleRecord(lineIndex, moduleNumber, current)) return false;
    record = current;
    return true;
}

bool storeOrReport(int lineIndex, int moduleNumber, ModuleRecord& record) {
    if (storeRecord(lineIndex, moduleNumber, record, kOwnedFirst, kOwnedEnd)) return true;
    combineError(err::kSheetWrite);
    reportError();
    return false;
}

void showInTree(int lineIndex, int moduleNumber, const ModuleRecord& record) {
    const unsigned key = itemKey(lineIndex, moduleNumber);
    uiUpdateTreeItemLabel(key, record.description());
    uiUpdateTreeItemImage(key, moduleImage(record.flags()));
}

// "Použít": `stored` tells whether the record reached the file (the sheet's stored copy follows
// the file, whatever the device did).
int applyWaiting(int lineIndex, int moduleNumber, ModuleRecord& record, bool& stored) {
    stored = storeOrReport(lineIndex, moduleNumber, record);
    if (!stored) return kActionFailed;
    // A switched-off line: said once, nothing sent; the tree shows what was stored.
    if (LineEnabledCheck(lineIndex) == 0) {
        showInTree(lineIndex, moduleNumber, record);
        return kActionRefused;
    }
    clearError();
    if (DeviceCheck(lineIndex, moduleNumber) != 1) {
        reportError();
        return kActionFailed;
    }
    const bool written = WriteModuleParameters(lineIndex, record);
    showInTree(lineIndex, moduleNumber, record);
    if (!written) return kActionFailed;
    if (parameterCommands(record).empty()) {
        // A ZB20 takes no parameter commands: the user must not believe the device was set.
        uiMessage("Vlastnosti",
                  "Zařízení " + modelName(record.type()) +
                      " nepřijímá zápis parametrů: nastavení je uloženo jen v záznamu. ",
                  MessageIcon::Information);
        return kActionRefused;
    }
    return kActionDone;
}

}  // namespace

bool PropertySheet::open(int lineIndex, int moduleNumber) {
    ModuleRecord record;
    if (!readModuleRecord(lineIndex, moduleNumber, record)) {
        reportError();
        return false;
    }
    layout_ = sheetLayout(record.type());
    if (layout_ == nullptr) return false;
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    working_ = record;
    setStored(record);
    states = newSheetStates(*layout_);
    FillSheetPages(*layout_, working_, states);
    return true;
}

void PropertySheet::refresh() {
    const int ran = runOnLinesSimply([this] {
        ReadModuleParameters(true, lineIndex_, moduleNumber_, working_);
        return kActionDone;
    });
    if (!actionDone(ran)) return;
    if (working_.flags() != stored_.flags()) {
        // Only the status flags are stored now; the values read wait for "Použít" or "Zavřít".
        ModuleRecord flagsOnly = stored_;
        flagsOnly.setFlags(working_.flags());
        if (!storeRecord(lineIndex_, moduleNumber_, flagsOnly, RecordImage::kFlagsOffset, RecordImage::kFlagsOffset + 1)) {
            combineError(err::kSheetWrite);
            reportError();
            return;
        }
        ModuleRecord withFlags = stored_;
        withFlags.setFlags(working_.flags());
        setStored(withFlags);
    }
    FillSheetPages(*layout_, working_, states);
}

bool PropertySheet::fieldsHold() const {
    // A value its byte cannot hold would go out as another value: nothing is stored or sent.
    if (const auto fault = checkSheetPages(*layout_, states)) {
        uiMessage("Upozornění", fault->text, MessageIcon::Error);
        return false;
    }
    return true;
}

bool PropertySheet::apply() {
    if (!fieldsHold()) return false;
    GatherSheetPages(*layout_, states, working_);
    bool stored = false;
    const int result = runOnLinesSimply([this, &stored] { return applyWaiting(lineIndex_, moduleNumber_, working_, stored); });
    // What reached the file is the stored copy now, whatever the device did.
    if (stored) setStored(working_);
    return actionDone(result);
}

void PropertySheet::setStored(const ModuleRecord& record) {
    stored_ = record;
    // The stored copy as the pages give it back untouched: bits without a control, values below
    // the feature level. A sheet closed untouched must not ask about those.
    storedAsGathered_ = record;
    SheetStates untouched = newSheetStates(*layout_);
    FillSheetPages(*layout_, record, untouched);
    GatherSheetPages(*layout_, untouched, storedAsGathered_);
}

PropertySheet::Closing PropertySheet::close() {
    GatherSheetPages(*layout_, states, working_);
    if (working_ == stored_ || working_ == storedAsGathered_) return Closing::Unchanged;
    switch (uiAskYesNoCancel("Změna nastavení", "Změnily se parametry zařízení. \nChcete nové nastavení uložit ? ")) {
        case Reply::Cancel: return Closing::Stay;
        case Reply::No: return Closing::Unchanged;
        case Reply::Yes: break;
    }
    if (!fieldsHold() || !storeOrReport(lineIndex_, moduleNumber_, working_)) return Closing::Stay;
    lumo::showInTree(lineIndex_, moduleNumber_, working_);
    setStored(working_);
    return Closing::Stored;
}

void PropertySheet::rename(const std::string& name) {
    // The controls are gathered first: a change made on a page before the rename stays.
    GatherSheetPages(*layout_, states, working_);
    working_.setDescription(name);  // the field keeps 15 characters
    FillSheetPages(*layout_, working_, states);
}

namespace {

// "Použít" for an edited record, its exchanges run by `onLine` (under the lease taken now, or
// on a line the thread holds).
int applyEditedRecord(int lineIndex, int moduleNumber, ModuleRecord& record,
                      int (*onLine)(int lineIndex, const std::function<int()>& operation)) {
    // A value stored earlier that its field cannot hold (a door time below 0, a time 25:99)
    // would go out as another value: named, and nothing sent.
    if (const SheetLayout* layout = sheetLayout(record.type())) {
        SheetStates states = newSheetStates(*layout);
        FillSheetPages(*layout, record, states);
        if (const auto fault = checkSheetPages(*layout, states)) {
            uiMessage("Upozornění", fault->text, MessageIcon::Error);
            return kActionRefused;
        }
    }
    GatherAsTheSheetDoes(record);  // the same bytes as the sheet's "Použít" would send
    bool stored = false;
    return onLine(lineIndex, [&] { return applyWaiting(lineIndex, moduleNumber, record, stored); });
}

int readIntoRecordWaiting(int lineIndex, int moduleNumber, ModuleRecord& record) {
    if (!readModuleRecord(lineIndex, moduleNumber, record)) {
        reportError();
        return kActionFailed;
    }
    LineRecord line;
    const bool lineOff = readLineRecord(lineIndex, line) && line.switchedOff();
    if (!ReadModuleParameters(true, lineIndex, moduleNumber, record)) return kActionFailed;
    if (lineOff) return kActionRefused;  // its message was shown; nothing was read
    return storeOrReport(lineIndex, moduleNumber, record) ? kActionDone : kActionFailed;
}

int underLease(int, const std::function<int()>& operation) { return runOnLinesSimply(operation); }

}  // namespace

int applyModuleParameters(int lineIndex, int moduleNumber, ModuleRecord& record) {
    return applyEditedRecord(lineIndex, moduleNumber, record, underLease);
}

int readModuleParametersIntoRecord(int lineIndex, int moduleNumber, ModuleRecord& record) {
    return runOnLinesSimply([&] { return readIntoRecordWaiting(lineIndex, moduleNumber, record); });
}

int applyModuleParametersOnHeldLine(int lineIndex, int moduleNumber, ModuleRecord& record) {
    return applyEditedRecord(lineIndex, moduleNumber, record, runOnHeldLine);
}

int readModuleParametersIntoRecordOnHeldLine(int lineIndex, int moduleNumber, ModuleRecord& record) {
    return runOnHeldLine(lineIndex, [&] { return readIntoRecordWaiting(lineIndex, moduleNumber, record); });
}

namespace {

enum class Kind { Byte, Int32, Text, Time, Bits };
struct NamedField {
    const char* name;
    Kind kind;
    std::size_t offset;
    std::size_t width;  // Text: the field's bytes
    bool writable;
};

const NamedField kFields[] = {
    {"identText", Kind::Text, 18, 13, false},      {"statusFlags", Kind::Byte, 32, 1, false},
    {"firmwareVersion", Kind::Int32, 36, 4, false}, {"idMediumType", Kind::Byte, 40, 1, false},
    {"displayText", Kind::Text, 41, 17, true},     {"paramP1", Kind::Byte, 58, 1, true},
    {"paramP2", Kind::Byte, 59, 1, true},          {"paramP3", Kind::Byte, 60, 1, true},
    {"paramP4", Kind::Byte, 61, 1, true},          {"switchBits", Kind::Bits, 62, 1, true},
    {"relayDelay1", Kind::Byte, 64, 1, true},      {"relayDelay2", Kind::Byte, 65, 1, true},
    {"relayDelay3", Kind::Byte, 66, 1, true},      {"relayDelay4", Kind::Byte, 67, 1, true},
    {"intervalFrom", Kind::Time, 68, 2, true},     {"intervalTo", Kind::Time, 70, 2, true},
    {"holdOpenBits", Kind::Bits, 72, 1, true},     {"deviceFlags", Kind::Bits, 99, 1, true},
    {"doorTime", Kind::Int32, 100, 4, true},       {"reader1Operation", Kind::Byte, 104, 1, true},
    {"reader2Operation", Kind::Byte, 105, 1, true}, {"featureLevel", Kind::Byte, 106, 1, false},
};

std::string valueText(const ModuleRecord& r, const NamedField& f) {
    char text[32];
    switch (f.kind) {
        case Kind::Byte: return std::to_string(r.u8(f.offset));
        case Kind::Int32: return std::to_string(r.i32(f.offset));
        case Kind::Text: return r.text(f.offset, f.width);
        case Kind::Time: std::snprintf(text, sizeof text, "%02d:%02d", r.u8(f.offset), r.u8(f.offset + 1)); return text;
        case Kind::Bits: std::snprintf(text, sizeof text, "0x%02X", r.u8(f.offset)); return text;
    }
    return {};
}

// A whole decimal number, or hexadecimal after "0x".
bool wholeNumber(const std::string& text, long min, long max, long& out) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    long value = 0;
    const auto r = std::from_chars(first, last, value, hex ? 16 : 10);
    if (text.empty() || r.ec != std::errc() || r.ptr != last || value < min || value > max) return false;
    out = value;
    return true;
}

}  // namespace

std::string parameterListing(const ModuleRecord& record) {
    std::string text;
    for (const NamedField& f : kFields) text += std::string(f.name) + "=" + valueText(record, f) + "\n";
    return text;
}

bool setParameter(ModuleRecord& record, const std::string& assignment, std::string& error) {
    const auto eq = assignment.find('=');
    const std::string name = assignment.substr(0, eq), value = eq == std::string::npos ? "" : assignment.substr(eq + 1);
    const NamedField* field = nullptr;
    for (const NamedField& f : kFields) {
        if (name == f.name) field = &f;
    }
    if (eq == std::string::npos || field == nullptr) {
        error = "'" + assignment + "': expected NAME=VALUE with a parameter name (lumo-ctl params L/K lists them)";
        return false;
    }
    if (!field->writable) {
        error = name + " is read from the device and cannot be set";
        return false;
    }
    long number = 0;
    switch (field->kind) {
        case Kind::Byte:
        case Kind::Bits:
            if (!wholeNumber(value, 0, 255, number)) break;
            record.setU8(field->offset, static_cast<std::uint8_t>(number));
            return true;
        case Kind::Int32:  // the door time: seconds, never negative
            if (!wholeNumber(value, 0, 2147483647L, number)) break;
            record.setI32(field->offset, static_cast<std::int32_t>(number));
            return true;
        case Kind::Text: {
            if (value.find('*') != std::string::npos || std::any_of(value.begin(), value.end(), [](char c) {
                    return static_cast<unsigned char>(c) < 0x20;
                })) {
                error = name + ": '*' and control characters cannot be sent (the '*' ends the data on the wire)";
                return false;
            }
            const std::vector<std::uint8_t> encoded = utf8ToCp1250(value);
            if (cp1250ToUtf8(encoded.data(), encoded.size()) != value) {
                error = name + ": '" + value + "' has characters the device's code page 1250 cannot show";
                return false;
            }
            if (utf8ToCp1250(value).size() >= field->width) {
                error = name + " holds at most " + std::to_string(field->width - 1) + " characters";
                return false;
            }
            record.setText(field->offset, field->width, value);
            return true;
        }
        case Kind::Time: {
            const auto colon = value.find(':');
            long hour = 0, minute = 0;
            if (colon == std::string::npos || !wholeNumber(value.substr(0, colon), 0, 23, hour) ||
                !wholeNumber(value.substr(colon + 1), 0, 59, minute))
                break;
            record.setU8(field->offset, static_cast<std::uint8_t>(hour));
            record.setU8(field->offset + 1, static_cast<std::uint8_t>(minute));
            return true;
        }
    }
    error = name + "=" + value + ": " +
            (field->kind == Kind::Time ? "expected HH:MM (00:00 to 23:59)"
             : field->kind == Kind::Int32 ? "expected a whole number from 0 to 2147483647"
                                          : "expected a number from 0 to 255 (or 0x00 to 0xFF)");
    return false;
}

std::string parameterName(const std::string& assignment) { return assignment.substr(0, assignment.find('=')); }

std::vector<std::string> writtenParameterNames(DeviceTypeCode type) {
    // A field is written when two values of it, gathered as the sheet does, give other commands.
    ModuleRecord base;
    base.setType(type);
    base.setFeatureLevel(9);
    std::vector<std::string> names;
    for (const NamedField& f : kFields) {
        if (!f.writable) continue;
        ModuleRecord a = base, b = base;
        switch (f.kind) {
            case Kind::Byte:
            case Kind::Bits: b.setU8(f.offset, 0xFF); break;
            case Kind::Int32: b.setI32(f.offset, 1); break;
            case Kind::Text: b.setText(f.offset, f.width, "A"); break;
            case Kind::Time: b.setU8(f.offset, 1), b.setU8(f.offset + 1, 1); break;
        }
        GatherAsTheSheetDoes(a);
        GatherAsTheSheetDoes(b);
        if (parameterCommands(a) != parameterCommands(b)) names.push_back(f.name);
    }
    return names;
}

}  // namespace lumo
