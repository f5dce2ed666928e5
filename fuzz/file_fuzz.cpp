// Fuzz target: hostile file contents through every file reader. The input is written, whole,
// as each file the program reads (the record files of a line, "config.dat", "cmd.dat",
// "comports.cfg", a serial-number register) and also handed to the text readers (a simulator
// installation, a MAC address, the code page 1250 codec). Nothing may read or write outside its
// buffers, and nothing may run without end (the sanitizers and the fuzzer's timeout watch).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/ui_port.h"
#include "discovery/neighbour_binding.h"
#include "model/comports_file.h"
#include "model/cp1250.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "model/record_file.h"
#include "model/tree_items.h"
#include "platform/file_io.h"
#include "platform/serial_port.h"
#include "serial/serial_register.h"
#include "sim/installation_file.h"

namespace {

const std::string& scratchFolder() {
    static const std::string folder = [] {
        // A new folder of this run's own under the system's temporary folder.
        std::random_device random;
        std::filesystem::path made;
        for (int attempt = 0; attempt < 100 && made.empty(); ++attempt) {
            const auto candidate = std::filesystem::temp_directory_path() / ("lumo-file-fuzz-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) made = candidate;
        }
        const std::string dir = made.empty() ? std::filesystem::temp_directory_path().string() : made.string();
        lumo::platform::createDirectory(dir + "/line1");
        lumo::platform::createDirectory(dir + "/reg");
        return dir;
    }();
    return folder;
}

void put(const std::string& path, const std::uint8_t* data, std::size_t size) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& dir = scratchFolder();
    lumo::installUiPort({});  // messages go nowhere
    lumo::AppState& s = lumo::appState();
    s.workingDirectory = dir;
    s.dataDirectory = dir + "/";

    // The record files and the tree built from them.
    put(dir + "/line1/line.cfg", data, size);
    put(dir + "/line1/terminal.dat", data, size);
    lumo::LineRecord line;
    lumo::readLineRecord(0, line);
    line.description();
    line.ipAddress();
    lumo::ModuleRecord module;
    for (int k = 1; k <= 3; ++k) lumo::readModuleRecord(0, k, module);
    lumo::RecordImage found;
    lumo::FindKey key{5, 0};
    lumo::findRecord(lumo::moduleFilePath(1), found, lumo::countSameId, key);
    lumo::buildTreeItems(false);

    // The program's own files.
    put(dir + "/config.dat", data, size);
    lumo::loadConfig();
    put(dir + "/cmd.dat", data, size);
    lumo::loadCommandFile();
    for (int k = 0; k < 5; ++k) lumo::commandFile().consoleLine(k);
    put(dir + "/comports.cfg", data, size);
    lumo::comportsDevicePath(3, dir);

    // The register and the pointer to it.
    put(dir + "/sn.dat", reinterpret_cast<const std::uint8_t*>((dir + "/reg").data()), dir.size() + 4);
    put(dir + "/reg/sernum.txt", data, size);
    lumo::RegisterLastSequence(4);
    std::vector<lumo::RegisterRow> rows;
    lumo::registerRows(4, rows);
    for (const auto& row : rows) lumo::registerChoiceOf(row);

    // Texts.
    const std::string text(reinterpret_cast<const char*>(data), size);
    lumo::sim::Installation installation;
    std::string error;
    lumo::sim::parseInstallation(text, installation, error);
    lumo::parseMacText(text);
    const std::string utf8 = lumo::cp1250ToUtf8(data, size);
    lumo::utf8ToCp1250(text);
    lumo::utf8Prefix(text, size / 2);
    lumo::utf8Length(text);
    lumo::fitsCp1250(utf8);
    lumo::clearError();
    return 0;
}
