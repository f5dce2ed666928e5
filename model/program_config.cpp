#include "model/program_config.h"

#include <algorithm>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "model/record_file.h"
#include "platform/file_io.h"
#include "platform/system_error.h"
#include "model/model_errors.h"

namespace lumo {
namespace {

std::string withSeparator(std::string dir) {
    if (dir.empty() || dir.back() != platform::pathSeparator()) dir += platform::pathSeparator();
    return dir;
}

std::string workingDirectory() {
    const std::string& wd = appState().workingDirectory;
    return wd.empty() ? platform::currentDirectory() : wd;
}

// Whether the configuration in memory is the file's (loaded, or saved since).
bool configFromFile = false;

// Puts back a caller's pending error after a look at a file.
void restoreError(const ErrorRecord& record) {
    setError(record.code);
    platform::setLastSystemError(record.systemError);
}

// Reads a whole fixed-size file. A file shorter than its record is not a configuration: read
// as it stands it would leave every field empty (an empty data directory among them). `got`
// (when given) is the count of bytes read, -1 when the file could not be opened or read.
template <std::size_t N>
bool readWholeFile(const std::string& path, ByteImage<N>& image, long long* got = nullptr) {
    if (got != nullptr) *got = -1;
    platform::File file(path, platform::File::Mode::Read);
    if (!file.isOpen()) {
        setError(err::kOpenForRead);
        return false;
    }
    const long long n = file.readAt(0, image.data(), N);
    if (got != nullptr) *got = n;
    if (n != static_cast<long long>(N)) {
        setError(err::kReadFile);
        return false;
    }
    return true;
}

// The named values of "config.dat": where they lie and what the user calls them.
struct ConfigField {
    std::size_t offset, width;
    const char* name;
};
constexpr ConfigField kConfigFields[] = {
    {0, 250, config_value::kDataDirectory},
    {250, 250, "druhý adresář"},
    {500, 250, "poslední složka"},
    {750, 139, "údaje o vlastníkovi"},
    {889, 7, "verze formátu"},
    {896, 16, "poloha okna"},
    {912, 4, "pořadové číslo opakované inicializace"},
    {916, 104, nullptr},  // reserved
    {1020, 100, config_value::kHexEditor},
    {1120, 22, config_value::kAdapter},
    {1142, 526, nullptr},  // reserved
};

}  // namespace

ProgramConfig& programConfig() {
    static ProgramConfig config;
    return config;
}

CommandFile& commandFile() {
    static CommandFile file;
    return file;
}

std::string configFilePath() { return withSeparator(workingDirectory()) + "config.dat"; }

std::string commandFilePath() { return withSeparator(workingDirectory()) + "cmd.dat"; }

void setDefaultConfig() {
    ProgramConfig& c = programConfig();
    c.clear();
    const std::string wd = withSeparator(workingDirectory());
    c.setDataDirectory(wd);
    c.setSecondDirectory(wd + "data" + platform::pathSeparator());
    c.setLastFolder(wd);
    c.setVersionText("1.0");
    c.setWindowRect({100, 80, 670, 480});
    c.setReissueSequence(0);
    c.setAdapterIndex(0);
}

void applyConfig() {
    const ProgramConfig& c = programConfig();
    AppState& s = appState();
    // A data directory without its separator (a hand-edited or foreign file) would glue the
    // folder names onto the last path element.
    const std::string dataDir = c.dataDirectory();
    s.dataDirectory = dataDir.empty() ? withSeparator(workingDirectory()) : withSeparator(dataDir);
    s.secondDirectory = c.secondDirectory();
    s.adapterIndex = c.adapterIndex();
    s.adapterAddress = c.adapterAddress();
}

int loadConfig() {
    configFromFile = false;
    if (!readWholeFile(configFilePath(), programConfig())) {
        combineError(err::kConfigRead);
        setDefaultConfig();
        return 1;
    }
    applyConfig();
    configFromFile = true;
    return 0;
}

ConfigRecovery recoverConfig() {
    ConfigRecovery recovery;
    if (configFromFile) return recovery;
    const ErrorRecord before = currentError();
    const std::string path = configFilePath();
    ProgramConfig found;
    long long got = -1;
    const bool whole = readWholeFile(path, found, &got);
    if (whole) {
        // Readable by now: it is the configuration.
        programConfig() = found;
        applyConfig();
        configFromFile = true;
    }
    if (whole || readFailureOf(path) == ReadFailure::Missing) {
        restoreError(before);
        return recovery;  // missing: the defaults stand
    }
    if (got < 0) {
        recovery.writable = false;
        recovery.problem = unreadableFileText(path);
        restoreError(before);
        return recovery;
    }
    restoreError(before);
    recovery.problem = "Soubor " + path + " je neúplný (" + std::to_string(got) + " z " +
                       std::to_string(ProgramConfig::kSize) + " bajtů). ";
    setDefaultConfig();
    ProgramConfig& c = programConfig();
    const auto held = static_cast<std::size_t>(got);
    for (const ConfigField& f : kConfigFields) {
        if (f.offset + f.width <= held) {
            std::copy_n(found.data() + f.offset, f.width, c.data() + f.offset);
        } else if (f.name != nullptr) {
            recovery.defaulted.push_back(f.name);
        } else if (f.offset < held) {
            std::copy_n(found.data() + f.offset, held - f.offset, c.data() + f.offset);  // reserved bytes as far as they go
        }
    }
    applyConfig();
    return recovery;
}

int saveConfig() {
    ProgramConfig& c = programConfig();
    const AppState& s = appState();
    c.setDataDirectory(s.dataDirectory);
    c.setSecondDirectory(s.secondDirectory);
    c.setAdapterIndex(s.adapterIndex);
    c.setAdapterAddress(s.adapterAddress);
    if (!writeWholeFile(configFilePath(), c)) {
        combineError(err::kConfigWrite);
        return 1;
    }
    applyConfig();
    configFromFile = true;
    return 0;
}

int saveWindowRect(const WindowRect& rect) {
    programConfig().setWindowRect(rect);
    if (!writeWholeFile(configFilePath(), programConfig())) {
        combineError(err::kConfigRead);
        return 1;
    }
    return 0;
}

int loadCommandFile() {
    if (!readWholeFile(commandFilePath(), commandFile())) {
        combineError(err::kCommandFileRead);
        commandFile().clear();
        return 1;
    }
    return 0;
}

int saveCommandFile() {
    const std::string path = commandFilePath();
    {
        // What is there is looked at first: a file that cannot be read whole keeps its bytes.
        const ErrorRecord before = currentError();
        CommandFile onDisk;
        long long got = -1;
        const bool whole = readWholeFile(path, onDisk, &got);
        if (!whole && readFailureOf(path) != ReadFailure::Missing) {
            const std::string why = got >= 0 ? "Soubor " + path + " je neúplný (" + std::to_string(got) + " z " +
                                                   std::to_string(CommandFile::kSize) + " bajtů). "
                                             : unreadableFileText(path);
            restoreError(before);
            uiMessage("Upozornění",
                      why + "Zapamatované příkazy a poznámky se do něj neukládají, aby se neztratilo, co v něm je. "
                            "Opravte jej nebo jej smažte. ",
                      MessageIcon::Warning);
            return 1;
        }
        restoreError(before);
    }
    if (!writeWholeFile(path, commandFile())) {
        combineError(err::kCommandFileWrite);
        return 1;
    }
    return 0;
}

}  // namespace lumo
