#include "actions/panel_actions.h"

#include <cctype>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "platform/file_io.h"
#include "platform/process.h"
#include "platform/system_error.h"
#include "service/jobs.h"

namespace lumo {

bool confirmQuit() {
    AppState& s = appState();
    if (s.jobRunning != 0 && !uiAsk("Proces na pozadí", "Opravdu chcete přerušit aktivní proces ? ")) return false;
    s.jobRunning = 0;
    stopLineOperation();
    return true;
}

void stopJob() {
    if (jobActive()) jobCancel();
    stopLineOperation();
}

bool refusedDuringJob() {
    if (!lineLeaseHeld()) return false;
    uiMessage("Upozornění", kLinesBusyText, MessageIcon::Warning);
    return true;
}

namespace {

std::string viewerName(const std::string& path) {
    // A Windows program goes by its name in capitals, without its folder and ".exe".
    const std::size_t slash = path.find_last_of("\\/");
    const std::string program = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string ending = ".exe";
    if (program.size() <= ending.size() || program.compare(program.size() - ending.size(), ending.size(), ending) != 0)
        return program;
    std::string name = program.substr(0, program.size() - ending.size());
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

int showWhatsNew(const std::string& programFolder) {
    const char sep = platform::pathSeparator();
    std::string notes = programFolder + sep + "novinky_verze_2.txt";
    // Installed, the program is in .../bin and its notes in .../share/lumo-panel.
    const std::string installed = programFolder + sep + ".." + sep + "share" + sep + "lumo-panel" + sep + "novinky_verze_2.txt";
    if (!platform::fileExists(notes) && platform::fileExists(installed)) notes = installed;
    if (!platform::fileExists(notes)) {
        uiMessage("Konfigurace", "Soubor s novinkami nebyl nalezen: \n" + notes, MessageIcon::Information);
        return kActionRefused;
    }
    if (!platform::startDetached(platform::textViewerProgram(), {notes})) {
        uiMessage("Konfigurace", "Chyba při spuštění programu " + viewerName(platform::textViewerProgram()) + " !",
                  MessageIcon::Information);
        setError(err::kSystem | (platform::lastSystemError() & 0xFFFF));
        reportError();
        return kActionFailed;
    }
    return kActionDone;
}

}  // namespace lumo
