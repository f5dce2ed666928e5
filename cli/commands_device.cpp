// lumo-ctl clock, counters, params, transfer, test
#include <algorithm>
#include <iostream>

#include "actions/device_actions.h"
#include "actions/property_sheet.h"
#include "base/error_report.h"
#include "cli/cli_ui_port.h"
#include "cli/commands.h"
#include "device/clock_setting.h"
#include "device/counters.h"
#include "device/parameter_sheet.h"
#include "model/installation.h"
#include "service/file_transfer.h"
#include "service/jobs.h"

namespace lumo::cli {

namespace {

// Takes --set 'DD.MM.YYYY HH:MM:SS W' (W the weekday 0, Sunday, to 6) or --system when one is
// next; true when taken.
bool clockOption(Args& args, ClockChoice& choice) {
    std::string value;
    if (args.flag("--system")) {
        choice = ClockChoice{};
        return true;
    }
    if (!args.option("--set", value)) return false;
    const auto first = value.find(' '), second = value.find(' ', first == std::string::npos ? 0 : first + 1);
    if (first == std::string::npos || second == std::string::npos)
        throw UsageError("--set needs 'DD.MM.YYYY HH:MM:SS W'");
    std::string date = value.substr(0, first), time = value.substr(first + 1, second - first - 1);
    choice.system = false;
    choice.weekday = static_cast<int>(parseNumber(value.substr(second + 1), 0, 6, "the weekday"));
    if (date.empty() || !DateFieldRead(date, choice.date)) throw UsageError("the date '" + date + "' is no date");
    if (!TimeFieldRead(time, choice.time) || choice.time == kNoTime) throw UsageError("the time '" + time + "' is no time");
    return true;
}

}  // namespace

int cmdClock(Args& args) {
    ClockChoice choice;
    if (args.flag("--all")) {
        // Every clock of a site is set on purpose: the PC's time or the one given is said.
        RunOptions options;
        bool chosen = false;
        for (;;) {
            if (clockOption(args, choice)) chosen = true;
            else if (!runOption(args, options)) break;
        }
        args.expectEnd();
        if (!chosen) throw UsageError("clock --all needs --system or --set 'DD.MM.YYYY HH:MM:SS W'");
        return clockAll(options, choice);
    }
    const ItemRef item = parseItem(args.next("the module L/K"));
    clockOption(args, choice);
    args.expectEnd();
    if (item.moduleNumber == 0) throw UsageError("clock takes a module L/K, not a line");
    if (!itemExists(item)) return kFailed;
    if (!actionDone(clockSettingApplies(item.lineIndex, item.moduleNumber))) return kFailed;
    return exitStatus(setModuleClock(item.lineIndex, item.moduleNumber, choice));
}

int cmdCounters(Args& args) {
    const ItemRef item = parseItem(args.next("the module L/K"));
    // C1=N ...: the counters to change; the others are written back as they were read.
    Counters changes;
    while (!args.empty()) {
        const std::string word = args.next("C<n>=VALUE");
        if (word.size() < 4 || word[0] != 'C' || word[1] < '1' || word[1] > '5' || word[2] != '=')
            throw UsageError("a counter is C1=N ... C5=N, not '" + word + "'");
        changes[static_cast<std::size_t>(word[1] - '1')] = parseNumber(word.substr(3), 0, 99999999, "a counter");
    }
    if (item.moduleNumber != 0 && !itemExists(item)) return kFailed;
    Counters counters;
    if (!actionDone(readModuleCounters(item.lineIndex, item.moduleNumber, counters))) return kFailed;
    if (std::none_of(counters.begin(), counters.end(), [](const auto& c) { return c.has_value(); })) {
        std::cerr << "lumo-ctl: the module's answer held no counter (C1 to C5)\n";
        return kFailed;
    }
    bool changed = false;
    for (int c = 0; c < kCounterCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (!changes[i]) continue;
        if (!counters[i]) {
            std::cerr << "lumo-ctl: the module has no counter C" << c + 1 << '\n';
            return kFailed;
        }
        counters[i] = changes[i];
        changed = true;
    }
    if (changed && !actionDone(writeModuleCounters(item.lineIndex, item.moduleNumber, counters))) return kFailed;
    for (int c = 0; c < kCounterCount; ++c) {
        const auto& v = counters[static_cast<std::size_t>(c)];
        if (v) std::cout << 'C' << c + 1 << '=' << *v << '\n';
    }
    return kDone;
}

namespace {

// A type without a parameter sheet takes no parameters: said, false.
bool hasParameters(DeviceTypeCode type) {
    if (sheetLayout(type) != nullptr) return true;
    std::cerr << "lumo-ctl: " << modelName(type) << " (type " << int(type) << ") has no parameters\n";
    return false;
}

// Every assignment is checked before anything is stored or sent: a usage error for the first
// that the record's fields cannot take.
void checkAssignments(const ModuleRecord& record, const std::vector<std::string>& assignments) {
    ModuleRecord checked = record;
    for (const std::string& a : assignments) {
        std::string error;
        if (!setParameter(checked, a, error)) throw UsageError(error);
    }
}

// A name the module's write never sends would be stored and left unsaid: refused (said, false).
bool assignmentsWritten(DeviceTypeCode type, const std::vector<std::string>& assignments) {
    const std::vector<std::string> written = writtenParameterNames(type);
    for (const std::string& a : assignments) {
        const std::string name = parameterName(a);
        if (written.empty() || std::find(written.begin(), written.end(), name) != written.end()) continue;
        std::string list;
        for (const std::string& w : written) list += (list.empty() ? "" : " ") + w;
        std::cerr << "lumo-ctl: " << name << " is never written to a " << modelName(type)
                  << "; the settings it takes: " << list << "\n";
        return false;
    }
    return true;
}

// params --all --type CODE NAME=VALUE ... [--lines 1,3-5] [--max-lines N]
int paramsOfType(Args& args) {
    RunOptions options;
    std::string typeText;
    bool typeGiven = false;
    std::vector<std::string> assignments;
    while (!args.empty()) {
        if (args.option("--type", typeText)) typeGiven = true;
        else if (runOption(args, options)) continue;
        else if (args.peek().starts_with("--")) throw UsageError("unknown option '" + args.peek() + "'");
        else assignments.push_back(args.next("NAME=VALUE"));
    }
    if (!typeGiven) throw UsageError("params --all needs --type CODE");
    if (assignments.empty()) throw UsageError("params --all needs the settings to write, NAME=VALUE ...");
    const DeviceTypeCode type = parseModuleType(typeText);
    if (!hasParameters(type)) return kFailed;
    ModuleRecord record;
    record.setType(type);
    checkAssignments(record, assignments);
    if (!assignmentsWritten(type, assignments)) return kFailed;
    return paramsAll(options, type, assignments);
}

}  // namespace

int cmdParams(Args& args) {
    if (args.flag("--all")) return paramsOfType(args);
    const ItemRef item = parseItem(args.next("the module L/K"));
    const bool fromRecord = args.flag("--from-record");
    std::vector<std::string> assignments;
    while (!args.empty()) assignments.push_back(args.next("NAME=VALUE"));
    if (item.moduleNumber == 0) throw UsageError("params needs a module L/K, not a line");
    if (fromRecord && !assignments.empty()) throw UsageError("--from-record only prints; it takes no NAME=VALUE");
    if (!itemExists(item)) return kFailed;
    ModuleRecord record;
    if (!readModuleRecord(item.lineIndex, item.moduleNumber, record)) {
        reportError();
        return kFailed;
    }
    if (!hasParameters(record.type())) return kFailed;
    checkAssignments(record, assignments);
    if (!assignmentsWritten(record.type(), assignments)) return kFailed;
    int result = kActionDone;
    if (!fromRecord) {
        // The device is read first: its feature level decides what a write sends, and the
        // settings not named stay as the device has them.
        result = readModuleParametersIntoRecord(item.lineIndex, item.moduleNumber, record);
        if (actionDone(result) && !assignments.empty()) {
            for (const std::string& a : assignments) {
                std::string error;
                setParameter(record, a, error);  // each one checked above
            }
            result = applyModuleParameters(item.lineIndex, item.moduleNumber, record);
        }
    }
    if (actionDone(result)) std::cout << parameterListing(record);
    return exitStatus(result);
}

int cmdTransfer(Args& args) {
    const std::string direction = args.next("send|read");
    if (direction != "send" && direction != "read") throw UsageError("transfer send or transfer read, not '" + direction + "'");
    const ItemRef item = parseItem(args.next("the module L/K"));
    const std::string sub = args.next("the DLL sub-instruction");
    const std::string file = args.next("the file");
    args.expectEnd();
    // Read as the dialog's field is read (hexadecimal); the wire carries one digit.
    if (!dllSubInstruction(sub)) throw UsageError("the DLL sub-instruction is one digit 0-9, not '" + sub + "'");
    if (item.moduleNumber != 0 && !itemExists(item)) return kFailed;
    bool done = false;
    if (!actionDone(startFileTransfer(item.lineIndex, item.moduleNumber, direction == "send", sub, file,
                                      [&done](bool ok) { done = ok; })))
        return kFailed;
    JobWait();  // Ctrl-C stops it before the next record; the release still goes out
    // Some ends are status-bar texts only ("chybný formát souboru !"): said here as well.
    if (!done && !lastStatusText().empty()) std::cerr << "Přenos dat: " << lastStatusText() << '\n';
    return done ? kDone : kFailed;
}

int cmdTest(Args& args) {
    const ItemRef item = parseItem(args.next("the module L/K"));
    args.expectEnd();
    if (item.moduleNumber == 0) throw UsageError("test takes a module L/K, not a line");
    if (!itemExists(item)) return kFailed;
    // One line a cycle, until Ctrl-C or a request that cannot be sent.
    ErrorRecord failure;
    auto print = [](const std::string& text) {
        std::string line;
        for (char c : text) line += c == '\r' || c == '\n' ? ' ' : c;
        std::cout << line << std::endl;
    };
    if (!actionDone(startCommunicationTest(item.lineIndex, item.moduleNumber, print,
                                           [&failure](const ErrorRecord& error) { failure = error; })))
        return kFailed;
    JobWait();
    if (failure.empty()) return kDone;
    reportError(failure);
    return kFailed;
}

}  // namespace lumo::cli
