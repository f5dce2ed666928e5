#include "actions/device_actions.h"

#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/transaction.h"
#include "device/console.h"
#include "device/device_check.h"
#include "device/status_report.h"
#include "discovery/neighbour_binding.h"
#include "model/cp1250.h"
#include "model/installation.h"

namespace lumo {
namespace {

// The actions' bodies; each runs through uiRunWaiting, off the user-interface thread.

int checkItemWaiting(int lineIndex, int moduleNumber) {
    LineRecord line;
    if (readLineRecord(lineIndex, line) && line.isTcp()) RemoveArpEntry(line);
    clearError();
    if (DeviceCheck(lineIndex, moduleNumber) != 1) {
        reportError();
        return kActionFailed;
    }
    StatusReportShow(lineIndex, moduleNumber);
    return kActionDone;
}

int sendConsoleCommandWaiting(int lineIndex, int moduleNumber, const std::string& text, std::string& answer) {
    answer.clear();
    if (moduleNumber == 0) {
        uiMessage("Upozornění", "Pro toto zařízení nelze nastavovat !  ", MessageIcon::Error);
        return kActionRefused;
    }
    // The console field holds 89 characters; the wire carries them in code page 1250, one
    // byte each, so the cut is made there and no character is split.
    std::vector<std::uint8_t> encoded = utf8ToCp1250(text);
    if (encoded.size() > 89) encoded.resize(89);
    const std::string line = ConsoleLineClean(std::string(encoded.begin(), encoded.end()));
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
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) {
        reportError();
        return kActionFailed;
    }
    const std::uint32_t result =
        DeviceTransaction(1, "CMD", lineIndex, module.id(), "RST0", kModeSelectRelease | kNoAnswer, {});
    if (isErrorResult(result)) {
        setError(result);
        reportError();
        return kActionFailed;
    }
    return kActionDone;
}

}  // namespace

bool requireModule(int moduleNumber, const char* refusal) {
    if (moduleNumber != 0) return true;
    uiMessage("Varování", refusal, MessageIcon::Information);
    return false;
}

int notAvailableYet(const char* command) {
    uiMessage("Upozornění", std::string(command) + ": tato funkce zatím není k dispozici. ", MessageIcon::Information);
    return kActionRefused;
}

int checkItem(int lineIndex, int moduleNumber) {
    return uiRunWaiting([&] { return checkItemWaiting(lineIndex, moduleNumber); });
}

int sendConsoleCommand(int lineIndex, int moduleNumber, const std::string& text, std::string& answer) {
    return uiRunWaiting([&] { return sendConsoleCommandWaiting(lineIndex, moduleNumber, text, answer); });
}

int resetApplication(int lineIndex, int moduleNumber) {
    return uiRunWaiting([&] { return resetApplicationWaiting(lineIndex, moduleNumber); });
}

int resetMaster(int, int moduleNumber) {
    if (!requireModule(moduleNumber, kCannotChangeLine)) return kActionRefused;
    return notAvailableYet("Reset master");
}

int communicationTest(int, int moduleNumber) {
    if (!requireModule(moduleNumber, kCannotRunOnLine)) return kActionRefused;
    return notAvailableYet("Testování");
}

int showModuleProperties(int, int) { return notAvailableYet("Vlastnosti"); }

}  // namespace lumo
