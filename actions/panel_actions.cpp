#include "actions/panel_actions.h"

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "platform/file_io.h"
#include "platform/process.h"
#include "platform/system_error.h"

namespace lumo {

bool confirmQuit() {
    AppState& s = appState();
    if (s.jobRunning != 0 && !uiAsk("Proces na pozadí", "Opravdu chcete přerušit aktivní proces ? ")) return false;
    s.jobRunning = 0;
    return true;
}

void stopJob() { appState().jobRunning = 0; }

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
        uiMessage("Konfigurace", "Chyba při spuštění programu NOTEPAD !", MessageIcon::Information);
        setError(err::kSystem | (platform::lastSystemError() & 0xFFFF));
        reportError();
        return kActionFailed;
    }
    return kActionDone;
}

}  // namespace lumo
