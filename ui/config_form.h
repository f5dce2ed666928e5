#pragma once
// "Konfigurace parametrů programu" as a form: the data directory, the hex editor and the network
// adapter, saved by "Uložit".

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/form_field.h"

namespace lumo {

class ConfigForm {
public:
    // The settings as the configuration holds them; the adapters that have an IPv4 address
    // ("Vyberte adaptér" first), the configured one chosen. Adapters the system does not list
    // leave their error pending.
    void open();

    // The ".." buttons: a folder (from the root) or a program chosen is taken whole; "Uložit"
    // refuses a path the configuration cannot hold.
    void pressDataDirBrowse();
    void pressHexEditorBrowse();
    // "Uložit": the settings saved (saveProgramSettings); the dialog stays open when that is
    // refused or declined.
    int pressSave();
    int pressClose() { return 0; }

    // The window's choice of a folder under a root and of a file by its mode (actions/config_actions.h):
    // 1 and the path, or 0.
    std::function<int(const std::string& root, std::string& chosen)> chooseFolder;
    std::function<int(std::string& chosen, int mode)> chooseFile;

    FormField dataDir, hexEditor;
    FormChoice adapter;

private:
    std::vector<std::uint32_t> indices_;  // per entry of `adapter`: the system's interface index
    std::vector<std::string> addresses_;  // and its address
};

}  // namespace lumo
