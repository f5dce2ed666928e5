#include "app/config_actions.h"

#include "app/app_state.h"
#include "app/ui_port.h"
#include "model/cp1250.h"
#include "platform/file_io.h"

namespace lumo {

bool saveConfigDialog(ProgramConfig& scratch, const std::string& dataDirectory, const std::string& hexEditor,
                      const std::optional<AdapterChoice>& adapter) {
    scratch.setAdapterAddress("");
    if (adapter) {
        scratch.setAdapterIndex(adapter->index);
        scratch.setAdapterAddress(adapter->address);
    }
    if (scratch.adapterAddress().empty() &&
        !uiAsk("Nastavení",
               "Není vybrán žádný síťový adaptér. Nebude možné používat připojení terminálů přes TCP rozhraní. "
               "\nPřejete si pokračovat ?")) {
        return false;
    }
    std::string dir = utf8Prefix(dataDirectory, 249);
    if (dir.empty() || dir.back() != platform::pathSeparator()) dir += platform::pathSeparator();
    scratch.setDataDirectory(dir);
    scratch.setHexEditorPath(utf8Prefix(hexEditor, 99));
    programConfig() = scratch;
    applyConfig();
    return true;
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
