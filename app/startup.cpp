#include "app/startup.h"

#include <string>
#include <thread>
#include <vector>

#include "base/app_state.h"
#include "base/error_report.h"
#include "model/program_config.h"
#include "base/ui_port.h"
#include "comm/line_buses.h"
#include "comm/line_lease.h"
#include "comm/line_port.h"
#include "discovery/neighbour_binding.h"
#include "model/cp1250.h"
#include "model/installation.h"
#include "model/record_lock.h"
#include "platform/file_io.h"

namespace lumo {

StartupState appStartup(const std::string& workingDirectory) {
    resetAppState();
    AppState& s = appState();
    s.workingDirectory = workingDirectory.empty() ? platform::currentDirectory() : workingDirectory;
    s.toolbarVisible = 1;
    // Without a name for the working directory every path would be built from "/".
    if (s.workingDirectory.empty()) return StartupState::NoWorkingDirectory;
    if (loadConfig() == 0) return StartupState::Configured;
    if (platform::fileExists(configFilePath())) return StartupState::ConfigUnreadable;
    clearError();
    // The default data directory is the working directory; cut to its field it would name
    // another folder (its parent, or one beside it).
    const std::string& wd = s.workingDirectory;
    if (!fitsCp1250(wd) || utf8Length(wd) > ProgramConfig::kDirWidth - 1) return StartupState::WorkingDirectoryUnstorable;
    applyConfig();
    return StartupState::FirstStart;
}

std::string startupProblem(StartupState state) {
    switch (state) {
        case StartupState::NoWorkingDirectory:
            return "Pracovní adresář programu nelze zjistit (byl smazán nebo k němu chybí přístup). ";
        case StartupState::WorkingDirectoryUnstorable:
            return "Pracovní adresář " + appState().workingDirectory +
                   " nemůže být adresářem dat: je delší než 249 znaků nebo obsahuje znaky mimo kódovou stránku 1250. "
                   "Spusťte program z jiného adresáře nebo nastavte adresář dat. ";
        case StartupState::ConfigUnreadable:
            return "Soubor " + configFilePath() + " nelze přečíst. ";
        default: return {};
    }
}

std::string missingDataDirectory() {
    const std::string& dir = appState().dataDirectory;
    if (platform::isDirectory(dir)) return {};
    return "Adresář dat " + dir + " neexistuje. Nastavte jej v konfiguraci programu. ";
}

int panelStartup(StartupState state, const std::function<int()>& configure) {
    if (state == StartupState::NoWorkingDirectory || state == StartupState::WorkingDirectoryUnstorable) {
        uiMessage("Kritická CHYBA !", startupProblem(state), MessageIcon::Error);
        return -1;
    }
    std::string problem;
    if (state == StartupState::ConfigUnreadable) {
        problem = startupProblem(state);
        reportError();
    } else if (state == StartupState::Configured) {
        problem = missingDataDirectory();
    }
    if (!problem.empty()) uiMessage("Konfigurace", problem, MessageIcon::Warning);
    if (state == StartupState::Configured && problem.empty()) return 1;
    // Closing the dialog ends the program and nothing is written.
    if (configure() == 1) return 1;
    appShutdown();
    return 0;
}

void configureLinePorts() {
    for (int i = 0; i < kMaxLines; ++i) {
        LineRecord record;
        if (readLineRecord(i, record) && record.exists()) LineConfigure(i, record);
    }
    clearError();
}

bool verifyLine(int lineIndex, const LineRecord& record) {
    const bool opened = LineOpenFromRecord(lineIndex, record) == 0;
    LineClose(lineIndex);
    return opened;
}

namespace {

// Verifies one line and stores its unreachable flag when it changed.
void verifyAndMark(int lineIndex, const LineVerifier& verify) {
    LineRecord line;
    if (!readLineRecord(lineIndex, line)) {
        clearError();
        return;
    }
    const bool reachable = verify(lineIndex, line);
    // Stored on the record as it is now, read again under the lock.
    {
        const RecordFileLock lock(lineConfigPath(lineIndex + 1));
        if (lock.held() && readLineRecord(lineIndex, line)) {
            const bool wasUnreachable = (line.flags() & flags::kUnreachable) != 0;
            if (!reachable && !wasUnreachable) {
                line.setFlags(line.flags() | flags::kUnreachable);
                writeLineRecord(lineIndex, line);
            } else if (reachable && wasUnreachable) {
                line.setFlags(line.flags() & ~flags::kUnreachable);
                writeLineRecord(lineIndex, line);
            }
        }
        clearError();
    }
    LineClose(lineIndex);
}

}  // namespace

int checkLinesAtStartup(const LineVerifier& verify) {
    // The scan works on every line: no other operation meanwhile.
    const LineLease lease = takeLineLease();
    if (!lease) return 1;
    const LeaseOnThisThread bound(lease);
    // First the folders and the lines that are only configured, in order; then the lines to
    // verify, one group per bus (lines that share a port are one wire, worked in turn).
    LineSet toVerify = 0;
    for (int n = 1; n <= kMaxLines; ++n) {
        if (!uiPumpMessages() || !operationContinues()) return 1;  // the program is closing
        const int lineIndex = n - 1;
        LineRecord line;
        if (!readLineRecord(lineIndex, line)) {
            platform::createDirectory(lineFolderPath(n));
            clearError();
            continue;
        }
        if (line.isTcp()) RemoveArpEntry(line);
        if (!line.exists()) continue;
        // A line that is not verified still gets its port settings, so that it can be used once
        // it is switched on; a verified one gets them from its open.
        if (line.switchedOff() || !verify) {
            LineConfigure(lineIndex, line);
            continue;
        }
        toVerify = static_cast<LineSet>(toVerify | lineSetOf(lineIndex));
    }
    // Each bus on a thread of its own, its lines in turn: the scan takes as long as its slowest
    // bus (a silent converter's probe and connect wait), not their sum. Each thread works under
    // the scan's lease and ends at its next line once the program is closing.
    std::vector<std::thread> threads;
    for (const std::vector<int>& lines : lineGroups(toVerify)) {
        threads.emplace_back([&lease, &verify, lines] {
            const LeaseOnThisThread onThisThread(lease);
            for (const int lineIndex : lines) {
                if (!uiPumpMessages() || !operationContinues()) return;
                verifyAndMark(lineIndex, verify);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    if (!uiPumpMessages() || !operationContinues()) return 1;
    uiRefreshTree(0, 0);
    return 1;
}

int scanLines() {
    uiStatus("probíhá kontrola portů...");
    SocketsStart();
    checkLinesAtStartup();
    uiStatus("");
    return kActionDone;
}

void appShutdown() {
    LineClose(16);
    reportError();
}

}  // namespace lumo
