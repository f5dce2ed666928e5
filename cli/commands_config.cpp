// lumo-ctl config show / config set
#include <iostream>
#include <vector>

#include "actions/config_actions.h"
#include "base/error_report.h"
#include "cli/commands.h"
#include "model/program_config.h"
#include "platform/network_adapters.h"

namespace lumo::cli {
namespace {

// A path argument that the configuration cannot hold is a wrong command line.
void checkStorable(const std::string& path, std::size_t limit, const char* what) {
    switch (pathStorageProblem(path, limit)) {
        case PathProblem::None: return;
        case PathProblem::NotCp1250: throw UsageError(std::string(what) + " holds characters code page 1250 cannot store");
        case PathProblem::TooLong:
            throw UsageError(std::string(what) + " is longer than " + std::to_string(limit) + " characters");
    }
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
    ProgramSettings settings;
    std::string value;
    while (!args.empty()) {
        if (args.option("--data-dir", value)) settings.dataDirectory = value;
        else if (args.option("--hex-editor", value)) settings.hexEditorPath = value;
        else if (args.option("--adapter", value)) settings.adapter = std::optional<AdapterChoice>(AdapterChoice{0, value});
        else throw UsageError("unknown option '" + args.peek() + "'");
    }
    // An empty text names no folder (the working directory is ".").
    if (settings.dataDirectory && settings.dataDirectory->empty()) throw UsageError("the data directory is empty");
    if (settings.dataDirectory) {
        const std::string dir = dataDirectoryFromInput(*settings.dataDirectory);
        if (!dir.empty()) checkStorable(dir.substr(0, dir.size() - 1), ProgramConfig::kDirWidth - 1, "the data directory");
    }
    if (settings.hexEditorPath) checkStorable(*settings.hexEditorPath, ProgramConfig::kHexEditorWidth - 1, "the hex editor path");
    if (settings.adapter) {
        const std::string address = (*settings.adapter)->address;
        if (address == "none") {
            *settings.adapter = std::nullopt;
        } else {
            checkIpv4Address(address, "the adapter (its address, or none)");
            std::vector<platform::NetworkAdapter> adapters;
            if (!platform::listNetworkAdapters(adapters)) {
                setError(err::kNetAdapter);
                reportError();
                return kFailed;
            }
            *settings.adapter = adapterWithAddress(adapters, address);
            if (!*settings.adapter) {
                std::cerr << "lumo-ctl: no network adapter has the address " << address << '\n';
                return kFailed;
            }
        }
    }
    return exitStatus(saveProgramSettings(settings));
}

}  // namespace

int cmdConfig(Args& args) {
    const std::string sub = args.next("config show|set");
    if (sub == "show") return configShow(args);
    if (sub == "set") return configSet(args);
    throw UsageError("unknown config command '" + sub + "'");
}

}  // namespace lumo::cli
