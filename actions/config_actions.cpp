#include "actions/config_actions.h"
#include "actions/panel_actions.h"

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "model/cp1250.h"
#include "model/program_config.h"
#include "platform/file_io.h"
#include "comm/line_lease.h"

namespace lumo {
namespace {

int refuse(const std::string& text) {
    uiMessage("Nastavení", text, MessageIcon::Warning);
    return kActionRefused;
}

// The refusal of a path, or empty when it can be stored.
std::string pathRefusal(const char* what, const std::string& path, std::size_t limit) {
    switch (pathStorageProblem(path, limit)) {
        case PathProblem::None: return {};
        case PathProblem::NotCp1250: return std::string(what) + " obsahuje znaky, které nelze uložit v kódové stránce 1250. ";
        case PathProblem::TooLong: return std::string(what) + " je delší než " + std::to_string(limit) + " znaků. ";
    }
    return {};
}

}  // namespace

std::optional<AdapterChoice> adapterWithAddress(const std::vector<platform::NetworkAdapter>& adapters,
                                                const std::string& address) {
    std::optional<AdapterChoice> found;
    if (address.empty()) return found;
    for (const auto& a : adapters) {
        if (!a.ipv4.empty() && a.ipv4.front() == address) found = AdapterChoice{a.index, address};
    }
    return found;
}

PathProblem pathStorageProblem(const std::string& path, std::size_t limit) {
    if (!fitsCp1250(path)) return PathProblem::NotCp1250;
    if (utf8Length(path) > limit) return PathProblem::TooLong;
    return PathProblem::None;
}

std::string dataDirectoryFromInput(const std::string& path) {
    const char sep = platform::pathSeparator();
    std::string dir = path;
    if (!platform::isAbsolutePath(path)) {
        const std::string current = platform::currentDirectory();
        if (current.empty()) return {};  // a relative path means nothing without it
        dir = current + sep + path;
    }
    while (dir.size() > 1 && dir.back() == sep) dir.pop_back();
    if (dir.back() != sep) dir += sep;
    return dir;
}

int saveProgramSettings(const ProgramSettings& settings) {
    // A running job builds its paths from the data directory and uses the adapter: the settings
    // are written holding the lines.
    const LineLease lease = takeLineLease();
    if (!lease) return kActionRefused;
    // A "config.dat" that could not be loaded: one that cannot be read at all is not written
    // over; what a short one holds is kept, and the values it lacks are said.
    const ConfigRecovery recovery = recoverConfig();
    if (!recovery.writable)
        return refuse(recovery.problem + "Nastavení nebylo uloženo: soubor se nepřepisuje, dokud jej nelze přečíst. ");
    std::string dataDir;
    if (settings.dataDirectory) {
        dataDir = dataDirectoryFromInput(*settings.dataDirectory);
        if (dataDir.empty()) return refuse("Aktuální adresář programu nelze zjistit; zadejte úplnou cestu. ");
        // The field holds 249 characters and the separator.
        const std::string problem =
            pathRefusal("Adresář datových souborů", dataDir.substr(0, dataDir.size() - 1), ProgramConfig::kDirWidth - 1);
        if (!problem.empty()) return refuse(problem);
        // A folder that is not there yet is made on request; a file of that name is no folder.
        if (!platform::isDirectory(dataDir)) {
            if (platform::fileExists(dataDir.substr(0, dataDir.size() - 1)))
                return refuse("Adresář datových souborů " + dataDir + " není adresář. ");
            if (!uiAsk("Nastavení", "Adresář datových souborů " + dataDir + " neexistuje. \nVytvořit jej ?"))
                return kActionRefused;
            if (!platform::createDirectory(dataDir.substr(0, dataDir.size() - 1)))
                return refuse("Adresář datových souborů " + dataDir + " nelze vytvořit. ");
        }
    }
    if (settings.hexEditorPath) {
        const std::string problem =
            pathRefusal("Cesta k HEX editoru", *settings.hexEditorPath, ProgramConfig::kHexEditorWidth - 1);
        if (!problem.empty()) return refuse(problem);
    }
    AppState& s = appState();
    std::uint32_t adapterIndex = s.adapterIndex;
    std::string adapterAddress = s.adapterAddress;
    if (settings.adapter) {
        if (*settings.adapter) {
            adapterIndex = (*settings.adapter)->index;
            adapterAddress = (*settings.adapter)->address;
        } else {
            // The previous index is kept.
            if (!uiAsk("Nastavení",
                       "Není vybrán žádný síťový adaptér. Nebude možné používat připojení terminálů přes TCP "
                       "rozhraní. \nPřejete si pokračovat ?"))
                return kActionRefused;
            adapterAddress.clear();
        }
    }
    if (settings.dataDirectory) s.dataDirectory = dataDir;
    if (settings.hexEditorPath) programConfig().setHexEditorPath(*settings.hexEditorPath);
    s.adapterIndex = adapterIndex;
    s.adapterAddress = adapterAddress;
    if (saveConfig() != 0) {
        reportError();
        return kActionFailed;
    }
    std::string defaulted;
    for (const std::string& name : recovery.defaulted) {
        const bool given = (name == config_value::kDataDirectory && settings.dataDirectory) ||
                           (name == config_value::kHexEditor && settings.hexEditorPath) ||
                           (name == config_value::kAdapter && settings.adapter);
        if (!given) defaulted += (defaulted.empty() ? "" : ", ") + name;
    }
    if (!recovery.problem.empty())
        uiMessage("Nastavení",
                  recovery.problem + (defaulted.empty() ? "Všechny hodnoty v něm byly celé a zůstaly. "
                                                        : "Tyto hodnoty v něm chyběly a mají výchozí nastavení: " +
                                                              defaulted + ". "),
                  MessageIcon::Warning);
    return kActionDone;
}

const FileChoiceMode& fileChoiceMode(int mode) {
    static const FileChoiceMode modes[] = {
        {true, "Binární soubory (*.bin, *.mot)|*.bin;*.mot|Všechny soubory(*.*)|*.*|", "bin"},
        {false, "Binární soubory (*.bin, *.mot)|*.bin;*.mot|Všechny soubory(*.*)|*.*|", ""},
        {false, "Soubory aplikace (*.exe)|*.exe|Všechny soubory(*.*)|*.*|", ""},
        {false, "Datové soubory (*.txt, *.dat)|*.txt;*.dat|Všechny soubory(*.*)|*.*|", ""},
    };
    return modes[mode >= 0 && mode <= 3 ? mode : 1];
}

std::string fileDialogStartFolder() {
    const std::string last = programConfig().lastFolder();
    return last.empty() ? platform::currentDirectory() : last;
}

int rememberChosenFile(const std::string& path) {
    const auto cut = path.find_last_of(platform::pathSeparator());
    const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    programConfig().setLastFolder(folder);
    return saveConfig();
}

}  // namespace lumo
