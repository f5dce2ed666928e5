#include "model/program_config.h"

#include "base/app_state.h"
#include "base/error_report.h"
#include "model/record_file.h"
#include "platform/file_io.h"

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

// Reads a whole fixed-size file. A file shorter than its record is not a configuration: read
// as it stands it would leave every field empty (an empty data directory among them).
template <std::size_t N>
bool readWholeFile(const std::string& path, ByteImage<N>& image) {
    platform::File file(path, platform::File::Mode::Read);
    if (!file.isOpen()) {
        setError(err::kOpenForRead);
        return false;
    }
    if (file.readAt(0, image.data(), N) != static_cast<long long>(N)) {
        setError(err::kReadFile);
        return false;
    }
    return true;
}

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
    if (!readWholeFile(configFilePath(), programConfig())) {
        combineError(err::kConfigRead);
        setDefaultConfig();
        return 1;
    }
    applyConfig();
    return 0;
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
    if (!readRecord(commandFilePath(), commandFile(), 0)) {
        combineError(err::kCommandFileRead);
        commandFile().clear();
        return 1;
    }
    return 0;
}

int saveCommandFile() {
    if (!writeWholeFile(commandFilePath(), commandFile())) {
        combineError(err::kCommandFileWrite);
        return 1;
    }
    return 0;
}

}  // namespace lumo
