#include "app/startup.h"

#include "base/app_state.h"
#include "base/error_report.h"
#include "model/program_config.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "discovery/neighbour_binding.h"
#include "model/installation.h"
#include "platform/file_io.h"

namespace lumo {

bool appStartup(const std::string& workingDirectory) {
    resetAppState();
    AppState& s = appState();
    s.workingDirectory = workingDirectory.empty() ? platform::currentDirectory() : workingDirectory;
    s.toolbarVisible = 1;
    const bool loaded = loadConfig() == 0;
    if (!loaded) {
        clearError();
        applyConfig();
    }
    s.macAddress = kFactoryMac;
    return loaded;
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

int checkLinesAtStartup(const LineVerifier& verify) {
    for (int n = 1; n <= kMaxLines; ++n) {
        // The program may be closing: the scan ends at the next line.
        if (!uiPumpMessages()) return 1;
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
        const bool reachable = verify(lineIndex, line);
        const bool wasUnreachable = (line.flags() & flags::kUnreachable) != 0;
        if (!reachable) {
            line.setFlags(line.flags() | flags::kUnreachable);
            writeLineRecord(lineIndex, line);
        } else if (wasUnreachable) {
            line.setFlags(line.flags() & ~flags::kUnreachable);
            writeLineRecord(lineIndex, line);
        }
        LineClose(lineIndex);
    }
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
