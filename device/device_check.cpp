#include "device/device_check.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/answer_parsing.h"
#include "comm/line_lease.h"
#include "comm/line_port.h"
#include "comm/transaction.h"
#include "device/item_state.h"
#include "device/status_report.h"
#include "model/installation.h"
#include "model/record_lock.h"
#include "model/tree_items.h"
#include "device/device_errors.h"

namespace lumo {
namespace {

std::string format(const char* pattern, int value) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

constexpr std::uint8_t kBitsCheckedOnOpen = 0x3F;  // bits 0-5: what a good open clears

int checkModule(int lineIndex, int item) {
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, item, module)) {
        combineError(err::kCheckModuleRead);
        uiStatus("Zařízení nebylo možné zkontrolovat !");
        return 0;
    }
    if (module.switchedOff()) return 1;
    uiStatus(format("probíhá prověření na id = %0d", module.id()));

    std::array<std::uint8_t, 100> answer{};
    const std::uint32_t result = DeviceTransaction(sub::kNone, "CAL", lineIndex, module.id(), "", kModeSelectRelease, answer);
    // A check that was stopped ends with its exchange (the release went out, the line is closed)
    // and stores no verdict: the silence it ended on was the stop's, not the module's.
    if (!operationContinues()) {
        uiStatus("");
        return 1;
    }
    const unsigned key = itemKey(lineIndex, item);
    std::string verdict;
    // Only a whole exchange counts: a failed one is a module not found, whatever came before.
    const auto textLength = std::find(answer.begin(), answer.end(), 0) - answer.begin();
    const bool answered = !isErrorResult(result) && textLength > 16;
    const int type = typeFromCalAnswer(answer.data(), answer.size());
    // The outcome, as bits to set and to clear.
    std::uint8_t set = 0, cleared = 0;
    if (result == kAnswerChecksum) {
        // The device answers, but garbled or cut off: no working module, and a data error for
        // the technician to see rather than a silent one (that would send him to the cables).
        set = flags::kNotResponding;
        verdict = format("Datová chyba při komunikaci se zařízením na adrese %02d !", module.id());
    } else if (!answered) {
        set = flags::kNotResponding;
        verdict = format("Zařízení na adrese %02d nebylo nalezeno !", module.id());
    } else if (type == module.type()) {
        cleared = flags::kNotResponding | flags::kOtherType;
        verdict = format("Zařízení na adrese %02d pracuje správně", module.id());
    } else {
        cleared = flags::kNotResponding;
        set = flags::kOtherType;
        verdict = format("Na adrese %02d bylo nalezeno zařízení jiného typu", module.id());
    }
    // The exchange took seconds: the record is read again under the lock and only the status
    // bits change, so that an edit made meanwhile (a new ID, a switch) is kept.
    {
        const RecordFileLock lock(moduleFilePath(lineIndex + 1));
        if (!lock.held() || !readModuleRecord(lineIndex, item, module)) {
            combineError(err::kCheckWrite);
            return 0;
        }
        module.setFlags(static_cast<std::uint8_t>((module.flags() & ~cleared) | set));
        if (!writeModuleRecord(lineIndex, item, module)) {
            combineError(err::kCheckWrite);
            return 0;
        }
    }
    uiUpdateTreeItemImage(key, moduleImage(module.flags()));
    uiRefreshTree(lineIndex, item);
    uiStatus(verdict);
    if (result == kAnswerChecksum) {
        setError(kAnswerChecksum);
        return 0;
    }
    return 1;
}

enum class LineOutcome { Works, Unavailable, Silent };

int checkLine(int lineIndex) {
    uiWaitCursor(true);
    uiStatus(format("probíhá prověření linky %d", lineIndex + 1));
    LineRecord line;
    if (!readLineRecord(lineIndex, line)) {
        combineError(err::kCheckLineRead);
        uiWaitCursor(false);
        uiStatus("Zařízení nebylo možné zkontrolovat !");
        return 0;
    }
    LineOutcome outcome = LineOutcome::Works;
    std::string identifier;
    // The outcome, as status bits to clear and to set.
    std::uint8_t cleared = 0, set = 0;
    if (LineOpenFromRecord(lineIndex, line) != 0) {
        set = flags::kUnreachable;
        outcome = LineOutcome::Unavailable;
    } else {
        cleared = kBitsCheckedOnOpen;
        const DeviceTypeCode headType = line.headType();
        if (headType == head::kUsbConverter || (headType == head::kGeneral && line.directionControl() != 0)) {
            // The converter answers nothing, but on a two-wire bus it must echo the release.
            static const std::uint8_t release[] = {'&', 'M', 'L', 'E', 'N', 'D'};
            if (!LineSend(lineIndex, release, sizeof release, 0)) outcome = LineOutcome::Silent;
        } else if (headType == head::kDeskReader || headType == head::kUsbReader) {
            if (!uiPort().readerPrompt || uiPort().readerPrompt(true)) {
                for (int i = 0; i < 10; ++i) uiPumpMessages();
                std::array<std::uint8_t, 48> buffer{};
                // The user may stop the wait (closing the prompt or the program).
                for (int attempt = 0; attempt < 5 && identifier.empty() && uiPumpMessages(); ++attempt) {
                    int length = 0;
                    if (LineReceive(0, length, lineIndex, buffer.data(), buffer.size()) && length >= 17)
                        identifier.assign(buffer.begin(), buffer.begin() + length);
                }
                if (uiPort().readerPrompt) uiPort().readerPrompt(false);
                for (int i = 0; i < 3; ++i) uiPumpMessages();
            } else {
                reportError();
            }
            if (identifier.empty()) {
                outcome = LineOutcome::Silent;
            } else {
                cleared = 0xFF;  // an identifier read: the whole status byte
            }
        }
        if (outcome == LineOutcome::Silent) set = flags::kNotResponding;
    }
    LineClose(lineIndex);
    // The check took its time: the record is read again under the lock and only the status
    // bits change, so that an edit made meanwhile is kept.
    bool stored = false;
    {
        const RecordFileLock lock(lineConfigPath(lineIndex + 1));
        stored = lock.held() && readLineRecord(lineIndex, line);
        if (stored) {
            line.setFlags(static_cast<std::uint8_t>((line.flags() & ~cleared) | set));
            stored = writeLineRecord(lineIndex, line);
        }
    }
    uiUpdateTreeItemImage(itemKey(lineIndex, 0), lineImage(line));
    uiWaitCursor(false);
    const int number = lineIndex + 1;
    const std::string verdict = outcome == LineOutcome::Works ? format("Zásuvka pro linku %d pracuje správně", number)
                                : outcome == LineOutcome::Unavailable
                                    ? format("Zásuvka pro linku %d není dostupná !", number)
                                    : format("Zařízení pro linku %d nekomunikuje", number);
    if (!stored) {
        combineError(err::kCheckWrite);
        return 0;
    }
    if (!identifier.empty()) uiMessage("Načteno", identifier, MessageIcon::Information);
    uiRefreshTree(lineIndex, 0);
    uiStatus(verdict);
    return 1;
}

}  // namespace

int DeviceCheck(int lineIndex, int item) {
    if (LineEnabledCheck(lineIndex) == 0) return 1;
    return item == 0 ? checkLine(lineIndex) : checkModule(lineIndex, item);
}

void ModuleStatusStore(int lineIndex, int moduleNumber, std::uint8_t statusFlags) {
    if (moduleNumber == 0) return;
    {
        // The window is told once the file is free again (it reads records to draw).
        const RecordFileLock lock(moduleFilePath(lineIndex + 1));
        if (!lock.held()) return;
        ModuleRecord module;
        if (!readModuleRecord(lineIndex, moduleNumber, module)) return;
        module.setFlags(statusFlags);
        if (!writeModuleRecord(lineIndex, moduleNumber, module)) return;
    }
    uiUpdateTreeItemImage(itemKey(lineIndex, moduleNumber), moduleImage(statusFlags));
    StatusReportShow(lineIndex, moduleNumber);
}

}  // namespace lumo
