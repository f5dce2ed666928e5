// lumo-ctl config show / config set
#include <iostream>
#include <vector>

#include "app/app_state.h"
#include "app/error_report.h"
#include "app/program_config.h"
#include "app/ui_port.h"
#include "cli/commands.h"
#include "model/cp1250.h"
#include "platform/file_io.h"
#include "platform/network_adapters.h"

namespace lumo::cli {
namespace {

// A path as stored in config.dat: code page 1250 text of at most `limit` characters.
void checkStorable(const std::string& path, std::size_t limit, const char* what) {
    if (!fitsCp1250(path))
        throw UsageError(std::string(what) + " holds characters code page 1250 cannot store");
    if (utf8Length(path) > limit)
        throw UsageError(std::string(what) + " is longer than " + std::to_string(limit) + " characters");
}

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path.front() == platform::pathSeparator()) return path;
    return platform::currentDirectory() + platform::pathSeparator() + path;
}

int configShow(Args& args) {
    args.expectEnd();
    const ProgramConfig& c = programConfig();
    std::cout << "data-dir\t" << c.dataDirectory() << '\n'
              << "hex-editor\t" << c.hexEditorPath() << '\n'
              << "adapter\t" << c.adapterIndex() << '\t' << c.adapterAddress() << '\n';
    return kDone;
}

int configSet(Args& args) {
    std::string dataDir, hexEditor, adapter;
    bool haveDataDir = false, haveHexEditor = false, haveAdapter = false;
    while (!args.empty()) {
        if (args.option("--data-dir", dataDir)) haveDataDir = true;
        else if (args.option("--hex-editor", hexEditor)) haveHexEditor = true;
        else if (args.option("--adapter", adapter)) haveAdapter = true;
        else throw UsageError("unknown option '" + args.peek() + "'");
    }
    AppState& s = appState();
    if (haveDataDir) {
        dataDir = absolutePath(dataDir);
        while (dataDir.size() > 1 && dataDir.back() == platform::pathSeparator()) dataDir.pop_back();
        checkStorable(dataDir, 249, "the data directory");
        if (dataDir.back() != platform::pathSeparator()) dataDir += platform::pathSeparator();
    }
    if (haveHexEditor) checkStorable(hexEditor, 99, "the hex editor path");

    std::uint32_t adapterIndex = s.adapterIndex;
    std::string adapterAddress = s.adapterAddress;
    if (haveAdapter) {
        if (adapter == "none") {
            // The previous index is kept, as the configuration dialog does.
            if (!uiAsk("Nastavení",
                       "Není vybrán žádný síťový adaptér. Nebude možné používat připojení terminálů přes TCP "
                       "rozhraní. \nPřejete si pokračovat ?"))
                return kFailed;
            adapterAddress.clear();
        } else {
            std::vector<platform::NetworkAdapter> adapters;
            if (!platform::listNetworkAdapters(adapters)) {
                setError(err::kNetAdapter);
                reportError();
                return kFailed;
            }
            bool found = false;
            for (const auto& a : adapters) {
                if (!a.ipv4.empty() && a.ipv4.front() == adapter) {
                    adapterIndex = a.index;  // a later adapter of the same address wins
                    found = true;
                }
            }
            if (!found) {
                std::cerr << "lumo-ctl: no network adapter has the address " << adapter << '\n';
                return kFailed;
            }
            adapterAddress = adapter;
        }
    }

    if (haveDataDir) s.dataDirectory = dataDir;
    if (haveHexEditor) programConfig().setHexEditorPath(hexEditor);
    s.adapterIndex = adapterIndex;
    s.adapterAddress = adapterAddress;
    if (saveConfig() != 0) {
        reportError();
        return kFailed;
    }
    return kDone;
}

}  // namespace

int cmdConfig(Args& args) {
    const std::string sub = args.next("config show|set");
    if (sub == "show") return configShow(args);
    if (sub == "set") return configSet(args);
    throw UsageError("unknown config command '" + sub + "'");
}

}  // namespace lumo::cli
