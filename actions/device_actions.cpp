#include "actions/device_actions.h"

#include "actions/line_operation.h"
#include "actions/init_actions.h"

#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "comm/transaction.h"
#include "device/clock_setting.h"
#include "device/communication_test.h"
#include "device/console.h"
#include "device/device_check.h"
#include "device/item_state.h"
#include "device/status_report.h"
#include "discovery/neighbour_binding.h"
#include "model/cp1250.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "service/file_transfer.h"
#include "service/initialisation.h"
#include "service/jobs.h"
#include "actions/action_errors.h"

#include <cstdio>
#include <cstdlib>

namespace lumo {
namespace {

// The actions' bodies; each runs through runOnLinesSimply: under the line lease, off the user-interface thread.

int checkItemWaiting(int lineIndex, int moduleNumber) {
    // A stop ends the line's waits at once: the exchange ends as with a silent module.
    const LineWaitCheck stoppable(operationContinues);
    LineRecord line;
    if (readLineRecord(lineIndex, line) && line.isTcp()) RemoveArpEntry(line);
    clearError();
    if (DeviceCheck(lineIndex, moduleNumber) != 1) {
        reportError();
        return kActionFailed;
    }
    if (!operationContinues()) return kActionRefused;  // stopped: nothing stored, nothing to show
    StatusReportShow(lineIndex, moduleNumber);
    return kActionDone;
}

int sendConsoleCommandWaiting(int lineIndex, int moduleNumber, const std::string& text, std::string& answer) {
    answer.clear();
    if (moduleNumber == 0) {
        uiMessage("Upozornění", "Pro toto zařízení nelze nastavovat !  ", MessageIcon::Error);
        return kActionRefused;
    }
    // The console line holds 89 characters, one code page 1250 byte each on the wire. A longer
    // one is not cut: what went would be another command (a file's records half sent).
    const std::vector<std::uint8_t> encoded = utf8ToCp1250(text);
    if (encoded.size() > kConsoleLineLength) {
        uiMessage("Upozornění", "Příkaz je delší než 89 znaků, nebyl odeslán. ", MessageIcon::Warning);
        return kActionRefused;
    }
    const std::string line = ConsoleLineClean(std::string(encoded.begin(), encoded.end()));
    // An empty row would go out as an instruction of three blanks.
    if (line.find_first_not_of(' ') == std::string::npos) {
        uiMessage("Upozornění", "Řádek neobsahuje žádný příkaz. ", MessageIcon::Warning);
        return kActionRefused;
    }
    const std::uint32_t result = consoleSend(lineIndex, moduleNumber, line, answer);
    if (isErrorResult(result)) {
        // `answer` holds what came with the failure (a garbled or cut-off answer), to be shown.
        uiStatus("chyba při komunikaci !");
        setError(result);
        reportError();
        return kActionFailed;
    }
    uiStatus("");
    return kActionDone;
}

int resetApplicationWaiting(int lineIndex, int moduleNumber) {
    if (!requireModule(moduleNumber, kCannotChangeLine)) return kActionRefused;
    if (LineEnabledCheck(lineIndex) == 0) return kActionRefused;
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) {
        reportError();
        return kActionFailed;
    }
    const std::uint32_t result =
        DeviceTransaction(sub::kCmdRestart, "CMD", lineIndex, module.id(), "RST0", kModeSelectRelease | kNoAnswer, {});
    if (isErrorResult(result)) {
        setError(result);
        reportError();
        return kActionFailed;
    }
    return kActionDone;
}

int reported() {
    reportError();
    return kActionFailed;
}

int refuseLine(int moduleNumber) {
    if (moduleNumber != 0) return kActionDone;
    uiMessage("Upozornění", "Pro toto zařízení nelze nastavovat !  ", MessageIcon::Error);
    return kActionRefused;
}

int failedWith(std::uint32_t result) {
    setError(result);
    reportError();
    return kActionFailed;
}

int clockSettingAppliesWaiting(int lineIndex, int moduleNumber) {
    if (!actionDone(refuseLine(moduleNumber))) return kActionRefused;
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) return reported();
    uiStatus("zjišťování stavu zařízení...");
    std::array<std::uint8_t, kCounterAnswerCapacity> answer{};
    // A stop ends the wait for the answer; what came then tells nothing of the module.
    const LineWaitCheck stoppable(operationContinues);
    const std::uint32_t result = DeviceTransaction(sub::kInfCounters, "INF", lineIndex, module.id(), "", kModeSelectRelease, answer);
    if (!operationContinues()) {
        uiStatus("");
        return kActionRefused;
    }
    if (isErrorResult(result)) return failedWith(result);
    const std::string text(answer.begin(), answer.begin() + result);
    // Setting the clock under stored events would break their order.
    if (historyRecordCount(text) != 0) {
        uiMessage("Nelze nastavit",
                  "Terminál nekomunikuje nebo obsahuje události! Proveďte nejdříve vyčtení historie. ",
                  MessageIcon::Error);
        return kActionRefused;
    }
    uiStatus("");
    return kActionDone;
}

int setModuleClockWaiting(int lineIndex, int moduleNumber, const ClockChoice& choice) {
    if (!operationContinues()) return kActionRefused;  // stopped after the module was asked
    std::uint32_t date = choice.date, time = choice.time;
    int weekday = choice.weekday;
    if (choice.system) {
        const platform::LocalTime now = platform::localTime();
        date = packClockDate(now.day, now.month, now.year);
        time = packClockTime(now.hour, now.minute, now.second);
        weekday = now.weekday;
    }
    if (date == kNoDate || !DateIsValid(date) || time == kNoTime || weekday < 0 || weekday > 6) return kActionRefused;
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) return reported();
    uiStatus("probíhá nastavení času...");
    const std::uint32_t result = DeviceTransaction(sub::kCfgClock, "CFG", lineIndex, module.id(), clockDataText(date, time, weekday),
                                                   kModeSelectRelease | kNoAnswer, {});
    if (isErrorResult(result)) {
        uiStatus("nastavení času se nezdařilo !");
        return failedWith(result);
    }
    // The module takes the setting without an answer: what was sent is what it now keeps.
    uiStatus("nastavení času proběhlo v pořádku: " + DateFieldShow(date) + " " + TimeFieldShow(time) + ", " +
             weekdayName(weekday));
    return kActionDone;
}

int readModuleCountersWaiting(int lineIndex, int moduleNumber, Counters& counters) {
    if (!actionDone(refuseLine(moduleNumber))) return kActionRefused;
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) return reported();
    uiStatus("probíhá načítání stavu počítadel...");
    std::array<std::uint8_t, kCounterAnswerCapacity> answer{};
    const std::uint32_t result = DeviceTransaction(sub::kInfCounters, "INF", lineIndex, module.id(), "", kModeSelectRelease, answer);
    if (isErrorResult(result) || result <= 6) {
        uiStatus("načtení stavu počítadel se nezdařilo !");
        if (isErrorResult(result)) return failedWith(result);
        // A module that stays silent (or answers with next to nothing) is no transport fault:
        // it is said here, as a failed transaction is reported.
        char text[96];
        std::snprintf(text, sizeof text, "Zařízení na adrese %02d nevrátilo stav počítadel ! ", module.id());
        uiMessage("Nastavení počítadel", text, MessageIcon::Error);
        return kActionFailed;
    }
    counters = parseCounters(std::string(answer.begin(), answer.begin() + result));
    uiStatus("");
    return kActionDone;
}

int writeModuleCountersWaiting(int lineIndex, int moduleNumber, const Counters& counters) {
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) return reported();
    uiStatus("probíhá nastavení stavu počítadel...");
    const std::uint32_t result = DeviceTransaction(sub::kSetCounters, "SET", lineIndex, module.id(),
                                                   counterDataText(counters, module.type()),
                                                   kModeSelectRelease | kNoAnswer, {});
    if (isErrorResult(result)) {
        uiStatus("nastavení stavu počítadel se nezdařilo !");
        return failedWith(result);
    }
    uiStatus("");
    return kActionDone;
}

}  // namespace

int checkItemOnHeldLine(int lineIndex, int moduleNumber) {
    return runOnHeldLine(lineIndex, [&] { return checkItemWaiting(lineIndex, moduleNumber); });
}

int clockSettingAppliesOnHeldLine(int lineIndex, int moduleNumber) {
    return runOnHeldLine(lineIndex, [&] { return clockSettingAppliesWaiting(lineIndex, moduleNumber); });
}

int setModuleClockOnHeldLine(int lineIndex, int moduleNumber, const ClockChoice& choice) {
    return runOnHeldLine(lineIndex, [&] { return setModuleClockWaiting(lineIndex, moduleNumber, choice); });
}

int clockSettingApplies(int lineIndex, int moduleNumber) {
    return runOnLinesSimply([&] { return clockSettingAppliesWaiting(lineIndex, moduleNumber); });
}

int setModuleClock(int lineIndex, int moduleNumber, const ClockChoice& choice) {
    return runOnLinesSimply([&] { return setModuleClockWaiting(lineIndex, moduleNumber, choice); });
}

int readModuleCounters(int lineIndex, int moduleNumber, Counters& counters) {
    return runOnLinesSimply([&] { return readModuleCountersWaiting(lineIndex, moduleNumber, counters); });
}

int writeModuleCounters(int lineIndex, int moduleNumber, const Counters& counters) {
    return runOnLinesSimply([&] { return writeModuleCountersWaiting(lineIndex, moduleNumber, counters); });
}

namespace {

// A read replaces an existing file only when the user says so, as a save dialog asks.
bool replacementAllowed(const std::string& fileName) {
    if (!platform::fileExists(fileName)) return true;
    return uiAsk("Přenos dat", "Soubor " + fileName + " již existuje.\nChcete jej nahradit?");
}

// The dialog's instruction and file as "cmd.dat" keeps them for the next time. A name its field
// cannot hold whole is not kept: a cut name would be another file.
void rememberTransfer(const std::string& instruction, const std::string& fileName) {
    if (loadCommandFile() != 0) clearError();
    commandFile().setDllInstruction(instruction);
    if (CommandFile::transferFileNameFits(fileName)) commandFile().setTransferFileName(fileName);
    if (saveCommandFile() != 0) reportError();
}

}  // namespace

int startFileTransfer(int lineIndex, int moduleNumber, bool send, const std::string& dllInstruction,
                      const std::string& fileName, std::function<void(bool)> ended) {
    if (!actionDone(refuseLine(moduleNumber))) return kActionRefused;
    // The lines are held from here: the job's parameters below are this transfer's.
    LineLease lease = takeLineLease();
    if (!lease) return kActionRefused;
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) {
        combineError(err::kTransferRecordRead);
        return reported();
    }
    // "$%1d+" carries one digit: another number would go out as another sub-instruction.
    const std::optional<int> subInstruction = dllSubInstruction(dllInstruction);
    if (!subInstruction) {
        uiMessage("Přenos dat", "Podinstrukce DLL musí být jedna číslice 0 až 9. ", MessageIcon::Warning);
        return kActionRefused;
    }
    if (!send && !replacementAllowed(fileName)) return kActionRefused;
    rememberTransfer(dllInstruction, fileName);
    TransferRequest request;
    request.lineIndex = lineIndex;
    request.moduleNumber = moduleNumber;
    request.subInstruction = *subInstruction;
    request.fileName = fileName;
    request.direction = send ? TransferDirection::Send : TransferDirection::Read;
    backgroundJob().lineIndex = lineIndex;
    backgroundJob().fileName = fileName;
    backgroundJob().mode = send ? 1 : 0;
    const bool started = JobStart(
        [request, ended = std::move(ended)] {
            const bool done = runFileTransfer(request);
            JobFinish();
            if (ended) ended(done);
        },
        std::move(lease));
    return started ? kActionDone : kActionRefused;
}

void loadConsoleLines() {
    if (loadCommandFile() != 0) clearError();
}

std::string rememberConsoleLine(int k, const std::string& text) {
    const std::string cleaned = ConsoleLineClean(utf8Prefix(text, kConsoleLineLength));
    commandFile().setConsoleLine(k, cleaned);
    if (saveCommandFile() != 0) reportError();
    return cleaned;
}

bool requireModule(int moduleNumber, const char* refusal) {
    if (moduleNumber != 0) return true;
    uiMessage("Varování", refusal, MessageIcon::Information);
    return false;
}

int checkItem(int lineIndex, int moduleNumber) {
    return runOnLinesSimply([&] { return checkItemWaiting(lineIndex, moduleNumber); });
}

int sendConsoleCommand(int lineIndex, int moduleNumber, const std::string& text, std::string& answer) {
    return runOnLinesSimply([&] { return sendConsoleCommandWaiting(lineIndex, moduleNumber, text, answer); });
}

int resetApplication(int lineIndex, int moduleNumber) {
    return runOnLinesSimply([&] { return resetApplicationWaiting(lineIndex, moduleNumber); });
}

int resetMaster(int lineIndex, int moduleNumber) {
    if (!requireModule(moduleNumber, kCannotChangeLine)) return kActionRefused;
    return runOnLinesSimply([&] {
        ModuleRecord module;
        if (!readModuleRecord(lineIndex, moduleNumber, module)) return reported();
        const InitTarget target{lineIndex, moduleNumber, module.id(), module.type()};
        if (!unaddressedServiceAllowed(lineIndex, moduleNumber, module.type())) return kActionRefused;
        // The result is not shown: the reset's own status texts tell it.
        InitialiseModule(target, kInitReset, "");
        return kActionDone;
    });
}

int startCommunicationTest(int lineIndex, int moduleNumber, std::function<void(const std::string&)> output,
                           std::function<void(const ErrorRecord&)> ended) {
    if (!requireModule(moduleNumber, kCannotRunOnLine)) return kActionRefused;
    LineLease lease = takeLineLease();
    if (!lease) return kActionRefused;
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) return reported();
    backgroundJob().lineIndex = lineIndex;
    const std::uint8_t id = module.id();
    const bool started = JobStart(
        [lineIndex, id, output = std::move(output), ended = std::move(ended)] {
            runCommunicationTest(lineIndex, id, output, jobContinues);
            const ErrorRecord error = takeError();
            JobFinish();
            if (ended) ended(error);
        },
        std::move(lease));
    return started ? kActionDone : kActionRefused;
}


}  // namespace lumo
