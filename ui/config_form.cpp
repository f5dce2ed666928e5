#include "ui/config_form.h"

#include "actions/config_actions.h"
#include "base/error_report.h"
#include "base/error_record.h"
#include "model/program_config.h"
#include "platform/network_adapters.h"
#include "platform/system_error.h"

namespace lumo {

void ConfigForm::open() {
    platform::setLastSystemError(0);
    const ProgramConfig& config = programConfig();
    dataDir.text = config.dataDirectory();
    hexEditor.text = config.hexEditorPath();
    adapter = FormChoice{{"Vyberte adaptér"}, 0, true};
    indices_ = {0};
    addresses_ = {""};
    std::vector<platform::NetworkAdapter> list;
    if (!platform::listNetworkAdapters(list)) {
        setError(err::kNetAdapter);
        return;
    }
    for (const auto& a : list) {
        // An adapter without an IPv4 address cannot carry a TCP line: it is not offered.
        if (a.ipv4.empty()) continue;
        const std::string address = a.ipv4.front().substr(0, 17);
        adapter.items.push_back(a.description + " (" + address + ")");
        indices_.push_back(a.index);
        addresses_.push_back(address);
        // A later adapter with the same address wins.
        if (!address.empty() && address == config.adapterAddress()) adapter.chosen = static_cast<int>(adapter.items.size()) - 1;
    }
}

void ConfigForm::pressDataDirBrowse() {
    std::string chosen;
    if (chooseFolder && chooseFolder("/", chosen) == 1) dataDir.text = chosen;
}

void ConfigForm::pressHexEditorBrowse() {
    std::string chosen;
    if (chooseFile && chooseFile(chosen, 2) == 1) hexEditor.text = chosen;
}

int ConfigForm::pressSave() {
    ProgramSettings settings;
    settings.dataDirectory = dataDir.text;
    settings.hexEditorPath = hexEditor.text;
    settings.adapter = std::optional<AdapterChoice>();
    if (const auto i = static_cast<std::size_t>(adapter.chosen); adapter.chosen > 0 && i < indices_.size())
        settings.adapter = AdapterChoice{indices_[i], addresses_[i]};
    return actionDone(saveProgramSettings(settings)) ? 1 : kFormStaysOpen;
}

}  // namespace lumo
